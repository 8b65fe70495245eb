#pragma once

#include "platform/audio/AudioRenderCallback.h"

#include <vector>

// The float storage one stream renders into, allocated once when the stream
// opens so that a render cycle never allocates.
class RenderBuffer {
public:
    RenderBuffer(std::uint32_t channels, std::uint32_t maxFrames, bool interleaved);
    RenderBuffer(const RenderBuffer&) = delete;
    RenderBuffer& operator=(const RenderBuffer&) = delete;

    // Render thread: silences the first `frames` frames (at most maxFrames)
    // and describes them.
    AudioOutputBuffer prepare(std::uint32_t frames) noexcept;

    std::uint32_t channels() const { return _channels; }
    std::uint32_t maxFrames() const { return _maxFrames; }
    bool interleaved() const { return _interleaved; }
    // The planes of the last prepare(): one for interleaved data, else one per channel.
    float* const* planes() const { return _planes.data(); }

private:
    std::uint32_t _channels;
    std::uint32_t _maxFrames;
    bool _interleaved;
    std::vector<float> _samples;
    std::vector<float*> _planes;
};
