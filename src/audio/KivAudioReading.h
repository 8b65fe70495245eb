#pragma once

#include "audio/AudioChannels.h"

#include <cstdint>

// The pull interface of everything the engine reads frames from: a file
// reader, a read-ahead buffer, a meta buffer. Each implementation says on
// which thread its reads run.
class KivAudioReading {
public:
    virtual ~KivAudioReading() = default;

    // Produces up to `frames` frames into `destination`, starting at frame
    // `offset` of it (an implementation may say that it writes from the
    // start instead), and answers how many it produced.
    virtual std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                                     std::uint32_t offset) = 0;
};
