#include "model/CueTriggerBindings.h"

#include "foundation/KivUTF8.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace {

constexpr std::uint8_t kCommands[] = {MidiMessage::kNoteOff,       MidiMessage::kNoteOn,
                                      MidiMessage::kKeyPressure,   MidiMessage::kControlChange,
                                      MidiMessage::kProgramChange, MidiMessage::kChannelPressure};

bool isDataByte(int value) {
    return value >= 0 && value <= 127;
}

} // namespace

void CueTriggerBindings::setHotkey(const std::string& text) {
    if (text == _hotkey) {
        return;
    }
    std::string old = std::exchange(_hotkey, parseHotkey(text));
    if (old != _hotkey) {
        _hotkeyChanged.emit(old, _hotkey);
    }
}

std::string CueTriggerBindings::parseHotkey(const std::string& text) {
    constexpr const char* kBlanks = " \t\n\r\v\f";
    const std::string clean = KivUTF8::sanitized(text);
    const auto first = clean.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return {};
    }
    // One character: a whole UTF-8 sequence, upper-cased as a pressed key's
    // text is, so that the two meet.
    const auto lead = static_cast<unsigned char>(clean[first]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    return KivUTF8::upperCased(clean.substr(first, length));
}

MidiTrigger CueTriggerBindings::midiTriggerBytes() const {
    return _midiTrigger.value_or(MidiTrigger{0, 0, 0});
}

std::optional<int> CueTriggerBindings::midiNote() const {
    if (!_midiTrigger) {
        return std::nullopt;
    }
    return (*_midiTrigger)[1];
}

void CueTriggerBindings::setMidiNote(int note) {
    if (!isDataByte(note)) {
        return;
    }
    const std::optional<int> old = midiNote();
    MidiTrigger bytes = midiTriggerBytes();
    bytes[1] = static_cast<std::uint8_t>(note);
    setMidiTrigger(bytes);
    _midiNoteChanged.emit(old, midiNote());
}

int CueTriggerBindings::parseMidiNote(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp(value, 0L, 127L));
}

int CueTriggerBindings::midiTriggerCommand() const {
    const std::uint8_t command = midiTriggerBytes()[0];
    const auto* found = std::find(std::begin(kCommands), std::end(kCommands), command);
    return found == std::end(kCommands) ? 0 : static_cast<int>(found - std::begin(kCommands));
}

void CueTriggerBindings::setMidiTriggerCommand(int command) {
    if (command < 0 || command >= static_cast<int>(std::size(kCommands))) {
        return;
    }
    MidiTrigger bytes = midiTriggerBytes();
    bytes[0] = kCommands[command];
    setMidiTrigger(bytes);
}

int CueTriggerBindings::midiTriggerByte2() const {
    return midiTriggerBytes()[2];
}

void CueTriggerBindings::setMidiTriggerByte2(int value) {
    if (!isDataByte(value)) {
        return;
    }
    MidiTrigger bytes = midiTriggerBytes();
    bytes[2] = static_cast<std::uint8_t>(value);
    setMidiTrigger(bytes);
}

bool CueTriggerBindings::matchesForMIDIDown(const MidiMessage& message) const {
    return midiNote() == message.dataByte1() && message.status() == MidiMessage::kNoteOn &&
           message.dataByte2() != 0;
}

bool CueTriggerBindings::matchesForMIDIUp(const MidiMessage& message) const {
    return midiNote() == message.dataByte1() &&
           (message.status() == MidiMessage::kNoteOff ||
            (message.status() == MidiMessage::kNoteOn && message.dataByte2() == 0));
}
