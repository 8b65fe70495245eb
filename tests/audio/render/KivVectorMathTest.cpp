#include "audio/render/KivVectorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Block lengths around the four-sample steps: the tails are where a kernel
// that goes four at a time slips.
constexpr std::uint32_t kLengths[] = {1, 3, 4, 5, 7, 8, 9, 13, 512, 515};

std::vector<float> samples(std::uint32_t frames, float seed) {
    std::vector<float> block(frames);
    for (std::uint32_t i = 0; i < frames; ++i) {
        block[i] = std::sin(seed + 0.37f * static_cast<float>(i)) * (i % 2 == 0 ? 1.0f : -0.8f);
    }
    return block;
}

float ramp(std::uint32_t i, std::uint32_t frames, float from, float to) {
    return to + (from - to) / static_cast<float>(frames) * static_cast<float>(frames - 1 - i);
}

} // namespace

TEST(KivVectorMathTest, EveryFrameIsWhatThePlainLoopGives) {
    for (std::uint32_t frames : kLengths) {
        SCOPED_TRACE(frames);
        const std::vector<float> in = samples(frames, 0.5f);
        const std::vector<float> start = samples(frames, 2.0f);

        std::vector<float> out = start;
        KivVectorMath::addScaled(out.data(), in.data(), frames, 0.25f);
        for (std::uint32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(out[i], start[i] + 0.25f * in[i]) << i;
        }
        out = start;
        KivVectorMath::scale(out.data(), frames, -0.5f);
        for (std::uint32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(out[i], start[i] * -0.5f) << i;
        }
        out = start;
        KivVectorMath::addRamped(out.data(), in.data(), frames, 0.1f, 0.9f);
        for (std::uint32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(out[i], start[i] + ramp(i, frames, 0.1f, 0.9f) * in[i]) << i;
        }
        out = start;
        KivVectorMath::scaleRamped(out.data(), frames, 1.0f, 0.0f);
        for (std::uint32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(out[i], start[i] * ramp(i, frames, 1.0f, 0.0f)) << i;
        }
        // The ramp ends on its target exactly.
        EXPECT_EQ(out[frames - 1], 0.0f);
    }
}

TEST(KivVectorMathTest, TheLevelFindsThePeakWhereverItLies) {
    for (std::uint32_t frames : kLengths) {
        for (std::uint32_t at = 0; at<frames; at += frames> 16 ? 97 : 1) {
            SCOPED_TRACE(testing::Message() << frames << " frames, peak at " << at);
            std::vector<float> block = samples(frames, 1.0f);
            block[at] = at % 2 == 0 ? -1.5f : 1.5f;
            double sum = 0.0;
            for (float x : block) {
                sum += static_cast<double>(x) * x;
            }
            float peak = 0.0f;
            float sumOfSquares = 0.0f;
            KivVectorMath::levelOf(block.data(), frames, peak, sumOfSquares);
            ASSERT_EQ(peak, 1.5f);
            ASSERT_NEAR(sumOfSquares, sum, sum * 1e-5);
        }
    }
}
