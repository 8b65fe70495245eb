#include "audio/SourceFixture.h"
#include "audio/ToneSteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Sustained tones through gain changes, every frame as the device puts it
// out. A gain change that steps at a cycle's edge shows as a jump larger than
// the tone's own steps; one that ramps across the cycle adds at most the
// ramp's step per frame (the gain change over the cycle, times the amplitude).
class GainRampTest : public SourceFixture {
protected:
    static constexpr float kAmplitude = 0.5f;
    // A fade thread steps every 10 ms; here once per 512-frame period.
    static constexpr std::uint32_t kCyclesPerStep = 512 / kCycle;

    GainRampTest() { device->useSteppedFades(clock); }

    static std::vector<float> tone(double frequency, double seconds) {
        return ToneSteps::tone(frequency, seconds, kRate, kAmplitude);
    }
    static float largestStep(const std::vector<float>& samples) {
        return ToneSteps::largestStep(samples);
    }

    // A playing source of the tone, already sounding for a few cycles.
    std::shared_ptr<KivAudioSource> playing(const std::vector<float>& samples) {
        auto source = sourceOf(monoFile("tone.wav", samples));
        source->play();
        render(4);
        return source;
    }

    // Steps a fade that has just begun and renders a period after each step,
    // as the fade thread would, until it is over; answers the largest change
    // of the gain between two steps.
    float runFade(const std::function<std::size_t()>& step, const std::function<float()>& gain) {
        float before = gain();
        float largest = 0.0f;
        for (std::size_t live = 1; live != 0;) {
            live = step();
            largest = std::max(largest, std::fabs(gain() - before));
            before = gain();
            render(kCyclesPerStep);
            clock.advance(kCyclesPerStep * kCycle / static_cast<double>(kRate));
        }
        return largest;
    }
};

} // namespace

TEST_F(GainRampTest, ADuckOfTheDeviceDoesNotZipperALowTone) {
    const auto samples = tone(110.0, 3.0);
    auto source = playing(samples);
    const std::size_t first = capturedCycles() - 1;
    // The workspace's duck: the device master to 0.15 over 0.8 s.
    device->fadeToMasterVolume(0.15f, 0.8);
    const float largestGainStep =
        runFade([&] { return device->stepFades(); }, [&] { return device->masterVolume(); });
    render(2);
    ASSERT_EQ(device->masterVolume(), 0.15f);
    // The steps are larger than the tone's own, so a step would show.
    ASSERT_GT(largestGainStep * kAmplitude, largestStep(samples));

    const auto heard = output(first, capturedCycles() - first);
    EXPECT_LE(largestStep(heard),
              largestStep(samples) + largestGainStep * kAmplitude / kCycle + 1e-6f);
}

TEST_F(GainRampTest, AFadeOutOfASourceDoesNotZipperALowTone) {
    const auto samples = tone(110.0, 3.0);
    auto source = playing(samples);
    const std::size_t first = capturedCycles() - 1;
    // A cue's panic: its master to silence over half a second.
    source->fadeToMasterVolume(0.0f, 0.5);
    const float largestGainStep =
        runFade([&] { return source->stepFades(); }, [&] { return source->masterVolume(); });
    render(2);
    ASSERT_EQ(source->masterVolume(), 0.0f);
    ASSERT_GT(largestGainStep * kAmplitude, largestStep(samples));

    const auto heard = output(first, capturedCycles() - first);
    EXPECT_EQ(heard.back(), 0.0f);
    EXPECT_LE(largestStep(heard),
              largestStep(samples) + largestGainStep * kAmplitude / kCycle + 1e-6f);
}

TEST_F(GainRampTest, AbruptGainChangesDoNotClickA1kHzTone) {
    const auto samples = tone(1000.0, 1.0);
    auto source = playing(samples);
    const std::size_t first = capturedCycles() - 1;
    // Fader moves of the cue's input and crosspoint and of the device's
    // crosspoint, each at most from silence to unity, three cycles apart
    // (so that they meet the tone at different phases).
    const std::vector<std::function<void()>> changes = {
        [&] { source->setVolume(0.25f, 1, 0); }, [&] { source->setVolume(1.0f, 1, 0); },
        [&] { source->setVolume(0.0f, 1, 0); },  [&] { source->setVolume(1.0f, 1, 0); },
        [&] { source->setVolume(0.5f, 1, 1); },  [&] { source->setVolume(1.0f, 1, 1); },
        [&] { device->setVolume(0.0f, 1, 1); },  [&] { device->setVolume(1.0f, 1, 1); },
        [&] { device->setVolume(0.0f, 1, 1); },  [&] { device->setVolume(1.0f, 1, 1); },
    };
    for (const auto& change : changes) {
        change();
        render(3);
    }

    const auto heard = output(first, capturedCycles() - first);
    EXPECT_LE(largestStep(heard), largestStep(samples) + 1.0f * kAmplitude / kCycle + 1e-6f);
}

TEST_F(GainRampTest, ACuePlayedAgainAfterAFadeOutStartsAtItsVolume) {
    auto source = sourceOf(levelFile("level.wav", 0.5f, 2.0));
    source->play();
    source->fadeToMasterVolume(0.0f, 0.1);
    source->stepFades();
    render(4);
    clock.advance(0.1);
    source->stepFades();
    render(2);
    ASSERT_EQ(source->masterVolume(), 0.0f);
    source->hardStop();
    render();

    // The audio cue's stop sends it back to its start; its play sets the
    // volume, then starts.
    source->goToTime(0.0);
    source->setMasterVolume(0.8f);
    source->play();
    EXPECT_EQ(cycleOutput(render(), 0), constant(0.5f * 0.8f)) << "no ramp up from silence";
}
