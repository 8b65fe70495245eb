#pragma once

#include "audio/render/KivRenderInfo.h"

// Something the render thread pulls: a source, a send, an effect.
class KivAudioRendering {
public:
    // Render thread. Fills every non-null channel of `data` with
    // data.frameCount frames, silence when it has nothing, and returns a
    // status (0 for success). A null channel is one nobody reads.
    virtual std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                std::uint32_t busNumber, const AudioChannels& data) = 0;

    // Any thread. Fills `info` with this object, the name of render and the
    // direct function that calls it; a null `info` is left alone.
    void registerRenderInfo(KivRenderInfo* info);

    static constexpr const char* kRenderSelector = "render:timeStamp:busNumber:numberFrames:data:";

protected:
    ~KivAudioRendering() = default;
};
