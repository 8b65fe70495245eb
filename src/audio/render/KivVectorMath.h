#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

// Block arithmetic on float samples, four at a time in the vector registers
// every target has (SSE on x86-64, NEON on ARM), whatever the optimisation
// level: the compiler's own vectoriser leaves these loops alone at -O2. Each
// result is the one the plain loop gives, frame by frame; only the sums of
// levelOf() are added in another order. Render thread; nothing allocates.
namespace KivVectorMath {

using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

inline Float4 load(const float* samples) {
    Float4 v;
    std::memcpy(&v, samples, sizeof v);
    return v;
}

inline void store(float* samples, Float4 v) {
    std::memcpy(samples, &v, sizeof v);
}

// out[i] += gain * in[i]
inline void addScaled(float* __restrict out, const float* __restrict in, std::uint32_t frames,
                      float gain) {
    std::uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        store(out + i, load(out + i) + gain * load(in + i));
    }
    for (; i < frames; ++i) {
        out[i] += gain * in[i];
    }
}

// out[i] *= gain
inline void scale(float* out, std::uint32_t frames, float gain) {
    std::uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        store(out + i, load(out + i) * gain);
    }
    for (; i < frames; ++i) {
        out[i] *= gain;
    }
}

// The gain moving linearly from `from` to `to` across the block: frame i has
// to + (from - to) / frames * (frames - 1 - i), so that the last frame has
// `to` exactly.
inline Float4 rampAt(std::uint32_t i, std::uint32_t frames, float to, float step) {
    const float left = static_cast<float>(frames - 1 - i);
    const Float4 back = {left, left - 1.0f, left - 2.0f, left - 3.0f};
    return to + step * back;
}

// out[i] += ramp(i) * in[i]
inline void addRamped(float* __restrict out, const float* __restrict in, std::uint32_t frames,
                      float from, float to) {
    const float step = (from - to) / static_cast<float>(frames);
    std::uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        store(out + i, load(out + i) + rampAt(i, frames, to, step) * load(in + i));
    }
    for (; i < frames; ++i) {
        out[i] += (to + step * static_cast<float>(frames - 1 - i)) * in[i];
    }
}

// out[i] *= ramp(i)
inline void scaleRamped(float* out, std::uint32_t frames, float from, float to) {
    const float step = (from - to) / static_cast<float>(frames);
    std::uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        store(out + i, load(out + i) * rampAt(i, frames, to, step));
    }
    for (; i < frames; ++i) {
        out[i] *= to + step * static_cast<float>(frames - 1 - i);
    }
}

// The largest absolute sample and the sum of squares of a block.
inline void levelOf(const float* samples, std::uint32_t frames, float& peak, float& sumOfSquares) {
    // Masks rather than ?: on vectors, which not every compiler takes.
    const Int4 noSign = {0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff};
    Float4 peaks = {0, 0, 0, 0};
    Float4 sums = {0, 0, 0, 0};
    std::uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const Float4 x = load(samples + i);
        // A cast between vectors of one size keeps the bits.
        const Int4 magnitude = (Int4)x & noSign;
        const Int4 louder = (Float4)magnitude > peaks;
        peaks = (Float4)((magnitude & louder) | ((Int4)peaks & ~louder));
        sums += x * x;
    }
    peak = std::max(std::max(peaks[0], peaks[1]), std::max(peaks[2], peaks[3]));
    sumOfSquares = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    for (; i < frames; ++i) {
        peak = std::max(peak, samples[i] < 0.0f ? -samples[i] : samples[i]);
        sumOfSquares += samples[i] * samples[i];
    }
}

} // namespace KivVectorMath
