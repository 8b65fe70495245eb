#pragma once

#include "audio/ToneSteps.h"
#include "audio/render/KivEdgeRamp.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Edges of the sound, frame by frame as the device puts them out, on a
// fixture of sources or cues (`Base`, a SourceFixture): a full-scale sine,
// the fades an edge is expected to make of it, and the measure of a cut, the
// largest step between neighbouring frames through it, which must not pass
// the sine's own. Cycles are 256 frames, so every fade runs at its full
// length.
template <class Base>
class EdgeFixture : public Base {
protected:
    static constexpr std::uint32_t kPeriod = 256;
    static constexpr std::uint32_t kFade = KivEdgeRamp::kFrames;
    // 240 frames a period, so a loop of whole periods is seamless; low
    // enough that a fade much shorter than kFade would step.
    static constexpr double kFrequency = 200.0;

    EdgeFixture() {
        EXPECT_TRUE(this->device->setBufferSizeInFrames(kPeriod));
        EXPECT_TRUE(this->device->open());
    }

    // Renders whole cycles; answers the frame the first of them begins on.
    std::size_t cycles(std::uint32_t count = 1) {
        const std::size_t first = this->heard().size();
        this->renderCycles(count, kPeriod);
        return first;
    }
    // Runs `action` as one synchronised batch, as a hot key does.
    template <class Action>
    void inABatch(Action action) {
        this->device->startSyncedActions();
        action();
        this->device->endSyncedActions();
    }

    std::vector<float> heardFrom(std::size_t first, std::size_t count) const {
        const auto all = this->heard();
        return std::vector<float>(all.begin() + first, all.begin() + first + count);
    }
    // `count` frames of the sine from `first`, frame i times gain(i).
    template <class Gain>
    std::vector<float> sineFrom(std::size_t first, std::size_t count, Gain gain) const {
        std::vector<float> frames(count);
        for (std::size_t i = 0; i < count; ++i) {
            frames[i] = sine[first + i] * gain(i);
        }
        return frames;
    }
    std::vector<float> sineFrom(std::size_t first, std::size_t count) const {
        return sineFrom(first, count, [](std::size_t) { return 1.0f; });
    }
    static std::vector<float> silence(std::size_t count) { return std::vector<float>(count, 0.0f); }
    // The gain of frame i of a fade in, and of a fade out, of full length.
    static float rise(std::size_t i) {
        return KivEdgeRamp::gain(static_cast<std::uint32_t>(i + 1), kFade);
    }
    static float fall(std::size_t i) {
        return KivEdgeRamp::gain(static_cast<std::uint32_t>(kFade - i), kFade);
    }

    // The largest step through a fade that begins on `frame`: from the frame
    // before it to the frame after its end.
    float stepThroughFadeFrom(std::size_t frame) const {
        return ToneSteps::largestStep(this->heard(), frame - 1, frame + kFade + 2);
    }
    // ... through a fade that ends on `frame`.
    float stepThroughFadeTo(std::size_t frame) const {
        return ToneSteps::largestStep(this->heard(), frame - kFade - 2, frame + 1);
    }

    const std::vector<float> sine = ToneSteps::tone(kFrequency, 4.0, Base::kRate, 1.0f);
    // The signal's own largest step, what no edge may pass.
    const float ownStep = ToneSteps::largestStep(sine);
};
