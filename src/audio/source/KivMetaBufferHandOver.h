#pragma once

#include "audio/render/KivRenderInfo.h"
#include "audio/render/KivRetireList.h"
#include "audio/source/KivMetaBufferSerials.h"
#include "audio/source/KivSlice.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class KivAudioBuffer;

// A meta buffer's play position, in frames at the working rate.
struct KivMetaBufferPosition {
    std::int64_t framesRead = 0;
    std::int64_t framesSansInfLoops = 0;
    std::int64_t logicalFrame = 0;
    std::int64_t playbackFrame = 0;
};

// A read-ahead buffer as the tend step hands it over, labelled with the
// request it answers and the state generation that asked for it.
struct KivMetaBufferDelivery final : KivRetired {
    ~KivMetaBufferDelivery() override;
    std::unique_ptr<KivAudioBuffer> buffer;
    KivReadFramesInfo info;
    std::uint64_t serial = 0;
    std::uint64_t generation = 0;
};

// The next play state as the owner hands it over. Once taken it holds the
// slices it replaced, to be freed off the render thread.
struct KivMetaBufferReset final : KivRetired {
    std::uint64_t generation = 0;
    std::vector<KivSlice> slices;
    // A seek sets the position; new slices alone keep the one playing.
    bool hasPosition = false;
    // The same, for the render thread to peek at while the owner may still
    // fold a later change in.
    std::atomic<bool> seeks{false};
    KivMetaBufferPosition position;
    double seekTime = 0.0;
    // The position the owner saw (for new slices alone): the buffers it
    // asked for start there.
    std::int64_t seenPlaybackFrame = 0;
    KivMetaBufferWant wants[2];
};
