#include "platform/audio/RenderBuffer.h"

#include <algorithm>

RenderBuffer::RenderBuffer(std::uint32_t channels, std::uint32_t maxFrames, bool interleaved)
    : _channels(channels)
    , _maxFrames(maxFrames)
    , _interleaved(interleaved)
    , _samples(static_cast<std::size_t>(channels) * maxFrames, 0.0f) {
    if (interleaved) {
        _planes.push_back(_samples.data());
    } else {
        for (std::uint32_t c = 0; c < channels; ++c) {
            _planes.push_back(_samples.data() + static_cast<std::size_t>(c) * maxFrames);
        }
    }
}

AudioOutputBuffer RenderBuffer::prepare(std::uint32_t frames) noexcept {
    frames = std::min(frames, _maxFrames);
    if (_interleaved) {
        std::fill_n(_samples.data(), static_cast<std::size_t>(frames) * _channels, 0.0f);
    } else {
        for (float* plane : _planes) {
            std::fill_n(plane, frames, 0.0f);
        }
    }
    return AudioOutputBuffer{_planes.data(), _channels, frames, _interleaved};
}
