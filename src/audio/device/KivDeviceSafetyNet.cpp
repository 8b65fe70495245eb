#include "audio/device/KivDeviceSafetyNet.h"

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

void KivDeviceSafetyNet::silenceNonFinite(const AudioRenderTime& time,
                                          const AudioOutputBuffer& buffer) noexcept {
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
    _blocks.fetch_add(1, std::memory_order_relaxed);
    _warnings.logFormat(static_cast<double>(time.sampleTime) / _rate,
                        "Warning: audio device %u rendered a non-finite sample; the block "
                        "of %u frames was silenced",
                        static_cast<unsigned>(_deviceID), buffer.frames);
}
