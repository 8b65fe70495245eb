#include "audio/render/KivEdgeRamp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace KivEdgeRamp {

namespace {

float curve(std::uint32_t k, std::uint32_t length) {
    const float phase =
        std::numbers::pi_v<float> * static_cast<float>(k) / static_cast<float>(length + 1);
    return 0.5f - 0.5f * std::cos(phase);
}

// The full-length fade, worked out before any render: a cycle in which
// every cue of a show stops or seeks at once costs no cosine.
const std::array<float, kFrames> kFullLength = [] {
    std::array<float, kFrames> gains{};
    for (std::uint32_t k = 1; k <= kFrames; ++k) {
        gains[k - 1] = curve(k, kFrames);
    }
    return gains;
}();

// Multiplies frames [first, first + count) of every channel by gain(k) for
// k = firstK, firstK + direction, ...
void scale(const AudioChannels& data, std::uint32_t first, std::uint32_t count,
           std::uint32_t length, std::uint32_t firstK, int direction) {
    float computed[kFrames];
    const float* gains = computed;
    if (length == kFrames && direction > 0) {
        gains = kFullLength.data() + (firstK - 1);
    } else {
        for (std::uint32_t i = 0; i < count; ++i) {
            computed[i] = gain(firstK + static_cast<std::uint32_t>(direction * int(i)), length);
        }
    }
    for (std::uint32_t c = 0; c < data.channelCount; ++c) {
        float* samples = data.channels[c];
        if (samples == nullptr) {
            continue;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            samples[first + i] *= gains[i];
        }
    }
}

std::uint32_t cut(const AudioChannels& data, std::uint32_t length) {
    return data.channels == nullptr ? 0 : std::min({length, kFrames, data.frameCount});
}

} // namespace

float gain(std::uint32_t k, std::uint32_t length) {
    return length == kFrames && k >= 1 && k <= kFrames ? kFullLength[k - 1] : curve(k, length);
}

void fadeIn(const AudioChannels& data, std::uint32_t length) {
    const std::uint32_t frames = cut(data, length);
    scale(data, 0, frames, frames, 1, 1);
}

void fadeOut(const AudioChannels& data, std::uint32_t length) {
    const std::uint32_t frames = cut(data, length);
    if (data.channels == nullptr) {
        return;
    }
    scale(data, 0, frames, frames, frames, -1);
    for (std::uint32_t c = 0; c < data.channelCount; ++c) {
        if (data.channels[c] != nullptr) {
            std::fill(data.channels[c] + frames, data.channels[c] + data.frameCount, 0.0f);
        }
    }
}

void fadeToEnd(const AudioChannels& data, std::int64_t framesToEnd) {
    if (data.channels == nullptr || framesToEnd <= 0 ||
        framesToEnd - static_cast<std::int64_t>(kFrames) >= data.frameCount) {
        return;
    }
    const std::int64_t first = std::max<std::int64_t>(0, framesToEnd - kFrames);
    const std::int64_t last = std::min<std::int64_t>(framesToEnd, data.frameCount);
    scale(data, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last - first),
          kFrames, static_cast<std::uint32_t>(framesToEnd - first), -1);
}

} // namespace KivEdgeRamp
