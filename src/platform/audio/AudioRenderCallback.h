#pragma once

#include <cstdint>

// One cycle's output: `frames` frames of `channels` channels of float.
// Interleaved: data[0] holds frames × channels samples, frame after frame.
// Non-interleaved: data[c] holds the frames of channel c.
struct AudioOutputBuffer {
    float* const* data = nullptr;
    std::uint32_t channels = 0;
    std::uint32_t frames = 0;
    bool interleaved = true;
};

struct AudioRenderTime {
    // Frames rendered by this stream before this cycle.
    std::uint64_t sampleTime = 0;
    // HostTimeNow() when the cycle began.
    std::uint64_t hostTime = 0;
};

// The render entry of an output stream. Called on the backend's render
// thread (marked ThreadRole::Render), one cycle at a time, never concurrently
// with itself. The buffer arrives silenced; the callback overwrites what it
// renders. It must not allocate, block or do file I/O.
class AudioRenderCallback {
public:
    virtual ~AudioRenderCallback() = default;
    virtual void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept = 0;
};
