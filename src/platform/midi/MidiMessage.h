#pragma once

#include <cstdint>
#include <vector>

// One MIDI channel voice message as the cues, the carts and MIDI learn read
// it. A value: copied freely between threads.
class MidiMessage {
public:
    static constexpr std::uint8_t kNoteOff = 0x80;
    static constexpr std::uint8_t kNoteOn = 0x90;
    static constexpr std::uint8_t kKeyPressure = 0xA0;
    static constexpr std::uint8_t kControlChange = 0xB0;
    static constexpr std::uint8_t kProgramChange = 0xC0;
    static constexpr std::uint8_t kChannelPressure = 0xD0;
    static constexpr std::uint8_t kPitchBend = 0xE0;

    // status: one of the kinds above; channel 1..16; data bytes 0..127.
    // Throws std::invalid_argument otherwise, so no message carries bytes
    // that a receiver could misread.
    MidiMessage(std::uint8_t status, unsigned channel, std::uint8_t dataByte1,
                std::uint8_t dataByte2 = 0);

    // The kind without the channel. A note-on with velocity 0 stays 0x90:
    // receivers count it as a note-off themselves.
    std::uint8_t status() const { return _status; }
    // 1..16, the numbering of the workspace's MIDI channel setting.
    unsigned channel() const { return _channel; }
    std::uint8_t dataByte1() const { return _dataByte1; }
    std::uint8_t dataByte2() const { return _dataByte2; }

    bool isNoteMessage() const { return _status == kNoteOn || _status == kNoteOff; }

    bool operator==(const MidiMessage&) const = default;

private:
    std::uint8_t _status;
    unsigned _channel;
    std::uint8_t _dataByte1;
    std::uint8_t _dataByte2;
};

// The messages that arrived together; a chord played at once is one batch.
using MidiBatch = std::vector<MidiMessage>;
