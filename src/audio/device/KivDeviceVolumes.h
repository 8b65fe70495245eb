#pragma once

#include "audio/render/MatrixMixer.h"

#include <cstdint>

// The gains of an open device's mixer, addressed the way the device offers
// them: a feed channel k stands for input channel k of every bus (mixer input
// channels k, k + 48, k + 96, ... below the mixer's input count). Used by the
// device while it is open; a closed device answers its defaults itself (a
// master of 0, meters at the floor).
//
// Any thread (the main thread, fade threads, the MIDI delivery thread): the
// mixer's gains are atomics that take effect at the next render block. A
// failed mixer call logs the error line and the setter goes on.
class KivDeviceVolumes {
public:
    // `feedChannels` is the channel count of every bus (48 on a device).
    KivDeviceVolumes(MatrixMixer& mixer, std::uint32_t feedChannels);

    float masterVolume() const;
    void setMasterVolume(float volume);
    // Feed channel `channel` on every bus.
    void setInputVolume(float volume, std::uint32_t channel);
    void setOutputVolume(float volume, std::uint32_t channel);
    // From feed channel `input` of every bus to device output `output`.
    void setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);
    // One mixer input channel; one crosspoint of one mixer input channel.
    void setRawInputVolume(float volume, std::uint32_t channel);
    void setRawCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output);

    // Row 0 and column 0: master; row 0, column c: output c - 1; row r,
    // column 0: feed input r - 1; otherwise the crosspoint r - 1 to c - 1.
    void setVolume(float volume, std::uint32_t row, std::uint32_t column);

    // Every crosspoint of every feed channel to every output at 0.
    void setSilentCrosspoints();
    // Master, outputs and feed inputs at 1, then feed channel i to output i
    // at 1 for every i below both channel counts, every other crosspoint 0.
    void setDefaultVolumes();
    // Master, outputs, inputs and every crosspoint at 0.
    void setSilentVolumes();

    // Post-fader meters of a device output, in dB (floor -120).
    float outPostAveragePower(std::uint32_t channel) const;
    float outPostPeakHoldLevel(std::uint32_t channel) const;

private:
    void set(MixerScope scope, std::uint32_t element, float volume, const char* operation,
             int line);
    float meter(MixerParameter parameter, std::uint32_t channel, const char* operation,
                int line) const;

    MatrixMixer& _mixer;
    const std::uint32_t _feedChannels;
};
