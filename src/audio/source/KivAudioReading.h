#pragma once

#include "audio/render/KivRenderInfo.h"

// Something frames are read from: a file, a read-ahead buffer, the meta
// buffer, a device's input side.
class KivAudioReading {
public:
    // Render thread (or the reader's worker). Writes up to `frames` frames
    // into `destination` from frame `offset` on, silences the rest of the
    // requested frames and answers the number of frames produced.
    virtual std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                                     std::uint32_t offset) = 0;

    // Any thread. Fills `info` with this object, the name of readFrames and
    // the direct function that calls it; a null `info` is left alone.
    void registerReadFramesInfo(KivReadFramesInfo* info);

    static constexpr const char* kReadFramesSelector = "readFrames:toAudioBufferList:atOffset:";

protected:
    ~KivAudioReading() = default;
};
