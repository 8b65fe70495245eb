#include "audio/render/KivEdgeRamp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace KivEdgeRamp {

namespace {

// Multiplies frames [first, first + count) of every channel by gains[0 .. count).
void scale(const AudioChannels& data, std::uint32_t first, std::uint32_t count,
           const float* gains) {
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
    const float phase =
        std::numbers::pi_v<float> * static_cast<float>(k) / static_cast<float>(length + 1);
    return 0.5f - 0.5f * std::cos(phase);
}

void fadeIn(const AudioChannels& data, std::uint32_t length) {
    const std::uint32_t frames = cut(data, length);
    float gains[kFrames];
    for (std::uint32_t i = 0; i < frames; ++i) {
        gains[i] = gain(i + 1, frames);
    }
    scale(data, 0, frames, gains);
}

void fadeOut(const AudioChannels& data, std::uint32_t length) {
    const std::uint32_t frames = cut(data, length);
    if (data.channels == nullptr) {
        return;
    }
    float gains[kFrames];
    for (std::uint32_t i = 0; i < frames; ++i) {
        gains[i] = gain(frames - i, frames);
    }
    scale(data, 0, frames, gains);
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
    const auto count = static_cast<std::uint32_t>(last - first);
    float gains[kFrames];
    for (std::uint32_t i = 0; i < count; ++i) {
        gains[i] = gain(static_cast<std::uint32_t>(framesToEnd - first - i), kFrames);
    }
    scale(data, static_cast<std::uint32_t>(first), count, gains);
}

} // namespace KivEdgeRamp
