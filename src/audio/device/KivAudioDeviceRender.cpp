#include "audio/device/KivAudioDevice.h"
#include "audio/render/KivAudioBusMap.h"

#include <algorithm>
#include <cstring>

namespace {

// Whether any sample is a NaN or an infinity: those alone have every exponent
// bit set. Integer tests, so the loop vectorises without fast-math.
bool holdsNonFinite(const float* samples, std::size_t count) noexcept {
    std::uint32_t found = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &samples[i], sizeof bits);
        found |= static_cast<std::uint32_t>((bits & 0x7f800000u) == 0x7f800000u);
    }
    return found != 0;
}

} // namespace

void KivAudioDevice::render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept {
    _actions.runPending();
    if (!_busMap || buffer.frames == 0) {
        return;
    }
    KivRenderFlags flags = 0;
    const KivRenderTimeStamp timeStamp{static_cast<double>(time.sampleTime), time.hostTime};
    if (buffer.interleaved) {
        renderInterleaved(flags, timeStamp, buffer);
    } else {
        _busMap->pull(flags, timeStamp, {buffer.data, buffer.channels, buffer.frames});
    }
    silenceNonFinite(time, buffer);
}

void KivAudioDevice::silenceNonFinite(const AudioRenderTime& time,
                                      const AudioOutputBuffer& buffer) noexcept {
    // The last guard before the speakers: whatever let a NaN or an infinity
    // through upstream, the block goes out silent.
    const std::uint32_t planes = buffer.interleaved ? 1 : buffer.channels;
    const std::size_t samples =
        std::size_t(buffer.frames) * (buffer.interleaved ? buffer.channels : 1);
    bool found = false;
    for (std::uint32_t p = 0; p < planes && !found; ++p) {
        found = holdsNonFinite(buffer.data[p], samples);
    }
    if (!found) {
        return;
    }
    for (std::uint32_t p = 0; p < planes; ++p) {
        std::fill_n(buffer.data[p], samples, 0.0f);
    }
    _nonFiniteBlocks.fetch_add(1, std::memory_order_relaxed);
    _nonFiniteWarnings.logFormat(static_cast<double>(time.sampleTime) / _renderRate,
                                 "Warning: audio device %u rendered a non-finite sample; the block "
                                 "of %u frames was silenced",
                                 static_cast<unsigned>(_deviceID), buffer.frames);
}

void KivAudioDevice::renderInterleaved(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                       const AudioOutputBuffer& buffer) noexcept {
    const std::uint32_t channels = buffer.channels;
    const std::uint32_t block =
        channels == 0 ? 0 : static_cast<std::uint32_t>(_scratch.size() / channels);
    if (block == 0 || channels != _scratchChannels.size()) {
        return;
    }
    KivRenderTimeStamp blockTime = timeStamp;
    for (std::uint32_t done = 0; done < buffer.frames;) {
        const std::uint32_t frames = std::min(block, buffer.frames - done);
        _busMap->pull(flags, blockTime, {_scratchChannels.data(), channels, frames});
        float* out = buffer.data[0] + std::size_t(done) * channels;
        for (std::uint32_t f = 0; f < frames; ++f) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                out[std::size_t(f) * channels + c] = _scratchChannels[c][f];
            }
        }
        done += frames;
        blockTime.sampleTime += frames;
    }
}
