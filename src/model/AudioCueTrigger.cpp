#include "foundation/NotificationCenter.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::uint8_t kCommands[] = {MidiMessage::kNoteOff,       MidiMessage::kNoteOn,
                                      MidiMessage::kKeyPressure,   MidiMessage::kControlChange,
                                      MidiMessage::kProgramChange, MidiMessage::kChannelPressure};

bool isDataByte(int value) {
    return value >= 0 && value <= 127;
}

} // namespace

MidiTrigger AudioCue::midiTriggerBytes() const {
    return _midiTrigger.value_or(MidiTrigger{0, 0, 0});
}

std::optional<int> AudioCue::midiNote() const {
    if (!_midiTrigger) {
        return std::nullopt;
    }
    return (*_midiTrigger)[1];
}

void AudioCue::setMidiNote(int note) {
    if (!isDataByte(note)) {
        return;
    }
    const std::optional<int> old = midiNote();
    MidiTrigger bytes = midiTriggerBytes();
    bytes[1] = static_cast<std::uint8_t>(note);
    setMidiTrigger(bytes);
    _midiNoteChanged.emit(old, midiNote());
}

int AudioCue::parseMidiNote(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp(value, 0L, 127L));
}

void AudioCue::setMidiTriggerFrom(const MidiMessage& message) {
    setMidiNote(message.dataByte1());
}

int AudioCue::midiTriggerCommand() const {
    const std::uint8_t command = midiTriggerBytes()[0];
    const auto* found = std::find(std::begin(kCommands), std::end(kCommands), command);
    return found == std::end(kCommands) ? 0 : static_cast<int>(found - std::begin(kCommands));
}

void AudioCue::setMidiTriggerCommand(int command) {
    if (command < 0 || command >= static_cast<int>(std::size(kCommands))) {
        return;
    }
    MidiTrigger bytes = midiTriggerBytes();
    bytes[0] = kCommands[command];
    setMidiTrigger(bytes);
}

int AudioCue::midiTriggerByte2() const {
    return midiTriggerBytes()[2];
}

void AudioCue::setMidiTriggerByte2(int value) {
    if (!isDataByte(value)) {
        return;
    }
    MidiTrigger bytes = midiTriggerBytes();
    bytes[2] = static_cast<std::uint8_t>(value);
    setMidiTrigger(bytes);
}

bool AudioCue::matchesForMIDIDown(const MidiMessage& message) const {
    return midiNote() == message.dataByte1() && message.status() == MidiMessage::kNoteOn &&
           message.dataByte2() != 0;
}

bool AudioCue::matchesForMIDIUp(const MidiMessage& message) const {
    return midiNote() == message.dataByte1() &&
           (message.status() == MidiMessage::kNoteOff ||
            (message.status() == MidiMessage::kNoteOn && message.dataByte2() == 0));
}

void AudioCue::handleMIDIMessages(const MidiBatch& messages) {
    assertMainThread();
    for (const MidiMessage& message : messages) {
        if (matchesForMIDIDown(message)) {
            triggerDown();
        } else if (matchesForMIDIUp(message)) {
            triggerUp();
        }
    }
}

void AudioCue::triggerDown() {
    assertMainThread();
    if (_playing) {
        stop();
        return;
    }
    if (_dead) {
        return;
    }
    // A cue that cannot sound must not silence the show for nothing. Its
    // file is looked for now, so one deleted since it was placed is found.
    if (!checkMedia() || isBroken()) {
        _triggerRefused.emit();
        return;
    }
    if (_solo) {
        NotificationCenter::defaultCenter().post(PondraCueHardStopNotification, this);
    }
    play();
}

void AudioCue::triggerUp() {
    assertMainThread();
    if (_hold) {
        stop();
    }
}
