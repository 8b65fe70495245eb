#pragma once

#include <cstdint>

// A view of non-interleaved 32-bit float channels, each frameCount frames
// long. It owns nothing; whoever hands it out keeps the storage alive.
struct AudioChannels {
    float* const* channels = nullptr;
    std::uint32_t channelCount = 0;
    std::uint32_t frameCount = 0;
};
