#pragma once

#include "foundation/Signal.h"
#include "platform/midi/MidiMessage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Status (command), note, second data byte.
using MidiTrigger = std::array<std::uint8_t, 3>;

// What fires a cue from outside: its hot key and the MIDI message it answers.
// Only the bindings: firing the cue is the cue's own business.
class CueTriggerBindings final {
public:
    // Hot key: empty or one upper-case character.
    const std::string& hotkey() const { return _hotkey; }
    void setHotkey(const std::string& text);
    ChangeSignal<std::string>& hotkeyChanged() { return _hotkeyChanged; }
    // Trimmed, cut to its first character, upper-cased.
    static std::string parseHotkey(const std::string& text);

    // Setters of one byte start from the current bytes (zeros without a
    // trigger); out-of-range values are ignored.
    const std::optional<MidiTrigger>& midiTrigger() const { return _midiTrigger; }
    void setMidiTrigger(std::optional<MidiTrigger> trigger) { _midiTrigger = trigger; }
    // None without a trigger: such a binding matches no note.
    std::optional<int> midiNote() const;
    void setMidiNote(int note);
    ChangeSignal<std::optional<int>>& midiNoteChanged() { return _midiNoteChanged; }
    // The text's integer clamped to 0..127.
    static int parseMidiNote(const std::string& text);
    // 0 note off, 1 note on, 2 key pressure, 3 control change, 4 program
    // change, 5 channel pressure.
    int midiTriggerCommand() const;
    void setMidiTriggerCommand(int command);
    int midiTriggerByte2() const;
    void setMidiTriggerByte2(int value);

    bool matchesForMIDIDown(const MidiMessage& message) const;
    bool matchesForMIDIUp(const MidiMessage& message) const;

private:
    MidiTrigger midiTriggerBytes() const;

    std::string _hotkey;
    std::optional<MidiTrigger> _midiTrigger;
    ChangeSignal<std::string> _hotkeyChanged;
    ChangeSignal<std::optional<int>> _midiNoteChanged;
};
