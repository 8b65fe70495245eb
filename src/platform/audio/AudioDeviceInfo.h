#pragma once

#include <cstdint>
#include <string>

// What a backend knows about one output device. Plain value; backends fill it
// when they enumerate, readers copy it.
struct AudioDeviceInfo {
    // Stable across enumerations and, where the hardware allows, across reboots.
    std::string uid;
    std::string name;
    std::string manufacturer;
    std::string modelUID;
    std::uint32_t outputChannels = 0;
    std::uint32_t inputChannels = 0;
    double nominalSampleRate = 0.0;
    std::uint32_t bufferSizeInFrames = 0;
    std::uint32_t minBufferSizeInFrames = 0;
    std::uint32_t maxBufferSizeInFrames = 0;

    bool operator==(const AudioDeviceInfo&) const = default;
};
