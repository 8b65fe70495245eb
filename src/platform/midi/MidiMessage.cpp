#include "platform/midi/MidiMessage.h"

#include <stdexcept>

namespace {

bool isVoiceStatus(std::uint8_t status) {
    return status >= MidiMessage::kNoteOff && status <= MidiMessage::kPitchBend &&
           (status & 0x0F) == 0;
}

} // namespace

MidiMessage::MidiMessage(std::uint8_t status, unsigned channel, std::uint8_t dataByte1,
                         std::uint8_t dataByte2)
    : _status(status)
    , _channel(channel)
    , _dataByte1(dataByte1)
    , _dataByte2(dataByte2) {
    if (!isVoiceStatus(status)) {
        throw std::invalid_argument("not a channel voice status");
    }
    if (channel < 1 || channel > 16) {
        throw std::invalid_argument("MIDI channel outside 1..16");
    }
    if (dataByte1 > 127 || dataByte2 > 127) {
        throw std::invalid_argument("MIDI data byte above 127");
    }
}
