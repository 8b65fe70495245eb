#include "platform/midi/MidiEventTranslation.h"

namespace {

bool isDataByte(int value) {
    return value >= 0 && value <= 127;
}

std::optional<MidiMessage> voiceMessage(std::uint8_t status, unsigned alsaChannel, int data1,
                                        int data2) {
    if (alsaChannel > 15 || !isDataByte(data1) || !isDataByte(data2)) {
        return std::nullopt;
    }
    return MidiMessage(status, alsaChannel + 1, static_cast<std::uint8_t>(data1),
                       static_cast<std::uint8_t>(data2));
}

} // namespace

std::optional<MidiMessage> messageFromSequencerEvent(const snd_seq_event_t& event) {
    const auto& note = event.data.note;
    const auto& control = event.data.control;
    switch (event.type) {
    case SND_SEQ_EVENT_NOTEON:
        return voiceMessage(MidiMessage::kNoteOn, note.channel, note.note, note.velocity);
    case SND_SEQ_EVENT_NOTEOFF:
        return voiceMessage(MidiMessage::kNoteOff, note.channel, note.note, note.velocity);
    case SND_SEQ_EVENT_KEYPRESS:
        return voiceMessage(MidiMessage::kKeyPressure, note.channel, note.note, note.velocity);
    case SND_SEQ_EVENT_CONTROLLER:
        if (control.param > 127) {
            return std::nullopt;
        }
        return voiceMessage(MidiMessage::kControlChange, control.channel,
                            static_cast<int>(control.param), control.value);
    case SND_SEQ_EVENT_PGMCHANGE:
        return voiceMessage(MidiMessage::kProgramChange, control.channel, control.value, 0);
    case SND_SEQ_EVENT_CHANPRESS:
        return voiceMessage(MidiMessage::kChannelPressure, control.channel, control.value, 0);
    case SND_SEQ_EVENT_PITCHBEND: {
        // ALSA centres the bend on 0; on the wire it is 14 bits centred on 8192.
        // Another client may send any int: range first, so the sum cannot overflow.
        if (control.value < -8192 || control.value > 8191) {
            return std::nullopt;
        }
        const int wire = control.value + 8192;
        return voiceMessage(MidiMessage::kPitchBend, control.channel, wire & 0x7F, wire >> 7);
    }
    default:
        return std::nullopt;
    }
}

bool isChannelVoiceEvent(const snd_seq_event_t& event) {
    switch (event.type) {
    case SND_SEQ_EVENT_NOTEON:
    case SND_SEQ_EVENT_NOTEOFF:
    case SND_SEQ_EVENT_KEYPRESS:
    case SND_SEQ_EVENT_CONTROLLER:
    case SND_SEQ_EVENT_PGMCHANGE:
    case SND_SEQ_EVENT_CHANPRESS:
    case SND_SEQ_EVENT_PITCHBEND:
        return true;
    default:
        return false;
    }
}

bool isSetupChangeEvent(const snd_seq_event_t& event) {
    if (event.source.client != SND_SEQ_CLIENT_SYSTEM ||
        event.source.port != SND_SEQ_PORT_SYSTEM_ANNOUNCE) {
        return false;
    }
    switch (event.type) {
    case SND_SEQ_EVENT_CLIENT_START:
    case SND_SEQ_EVENT_CLIENT_EXIT:
    case SND_SEQ_EVENT_CLIENT_CHANGE:
    case SND_SEQ_EVENT_PORT_START:
    case SND_SEQ_EVENT_PORT_EXIT:
    case SND_SEQ_EVENT_PORT_CHANGE:
        return true;
    default:
        return false;
    }
}
