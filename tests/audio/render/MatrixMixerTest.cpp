#include "audio/render/MatrixMixer.h"

#include "audio/StaircaseInput.h"
#include "foundation/ThreadRole.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Output channels a test renders into; a channel can be left out (null).
struct Outputs {
    Outputs(std::uint32_t channels, std::uint32_t frames)
        : samples(channels, std::vector<float>(frames, -1.0f))
        , pointers(channels) {
        for (std::uint32_t m = 0; m < channels; ++m) {
            pointers[m] = samples[m].data();
        }
    }
    AudioChannels view() {
        return {pointers.data(), static_cast<std::uint32_t>(pointers.size()),
                static_cast<std::uint32_t>(samples.front().size())};
    }
    std::vector<std::vector<float>> samples;
    std::vector<float*> pointers;
};

std::unique_ptr<MatrixMixer> makeMixer(std::vector<std::uint32_t> inputs,
                                       std::vector<std::uint32_t> outputs,
                                       std::uint32_t maxFrames = 64) {
    auto mixer = MatrixMixer::create({std::move(inputs), std::move(outputs), maxFrames, 48000.0});
    EXPECT_NE(mixer, nullptr);
    return mixer;
}

std::int32_t setVolume(MatrixMixer& mixer, MixerScope scope, std::uint32_t element, float gain) {
    return mixer.setParameter(MixerParameter::Volume, scope, element, gain);
}

float value(const MatrixMixer& mixer, MixerParameter parameter, MixerScope scope,
            std::uint32_t element) {
    float result = NAN;
    EXPECT_EQ(mixer.parameter(parameter, scope, element, result), MixerStatus::Ok);
    return result;
}

} // namespace

TEST(MatrixMixerElements, CrosspointElementIsInputTimes65536PlusOutput) {
    EXPECT_EQ(mixerCrosspointElement(0, 3), 3u);
    EXPECT_EQ(mixerCrosspointElement(1, 0), 65536u);
    EXPECT_EQ(mixerCrosspointElement(23999, 1), 1572798465u);
    EXPECT_EQ(mixerCrosspointElement(2, 65537), 2u * 65536u + 1u); // output taken modulo 65536
    EXPECT_EQ(kMixerMasterElement, 4294967295u);
}

TEST(MatrixMixerElements, RoutesEachElementOnRenderedOutput) {
    // Two buses of four channels (inputs 0-7), three outputs.
    auto mixer = makeMixer({4, 4}, {3});
    StaircaseInput input({4, 4});
    EXPECT_EQ(mixer->firstInputChannelOfBus(1), 4u);

    // Global element 5 * 65536 + 2: input channel 5 (bus 1 channel 1) to output 2.
    ASSERT_EQ(setVolume(*mixer, MixerScope::Global, 327682u, 1.0f), MixerStatus::Ok);
    // Input 1 at 1.0 and input 6 at 2.0 into output 0.
    ASSERT_EQ(setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(1, 0), 1.0f), 0);
    ASSERT_EQ(setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(6, 0), 2.0f), 0);
    // Input scope element 6 is input channel 6; output scope element 0 is output 0.
    ASSERT_EQ(setVolume(*mixer, MixerScope::Input, 6, 0.25f), 0);
    ASSERT_EQ(setVolume(*mixer, MixerScope::Output, 0, 0.5f), 0);
    // The master scales every output.
    ASSERT_EQ(setVolume(*mixer, MixerScope::Global, kMixerMasterElement, 2.0f), 0);

    Outputs out(3, 40);
    ASSERT_EQ(mixer->process(input, out.view()), MixerStatus::Ok);
    for (std::uint32_t i = 0; i < 40; ++i) {
        const float in1 = StaircaseInput::sample(1, i);
        const float in5 = StaircaseInput::sample(5, i);
        const float in6 = StaircaseInput::sample(6, i);
        ASSERT_EQ(out.samples[0][i], 2.0f * 0.5f * (in1 + 2.0f * 0.25f * in6)) << "frame " << i;
        ASSERT_EQ(out.samples[1][i], 0.0f) << "frame " << i;
        ASSERT_EQ(out.samples[2][i], 2.0f * in5) << "frame " << i;
    }
    // Only the routed channels were asked for.
    for (std::uint32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(input.wanted(n), n == 1 || n == 5 || n == 6) << "input " << n;
    }
}

TEST(MatrixMixerElements, DeviceBusChannelIsBusTimes48PlusChannel) {
    // The device's mixer: 500 buses of 48 channels into a stereo output.
    auto mixer = makeMixer(std::vector<std::uint32_t>(500, 48), {2}, 512);
    StaircaseInput input(std::vector<std::uint32_t>(500, 48));
    const std::uint32_t bus = 499;
    const std::uint32_t left = bus * 48 + 0;
    const std::uint32_t right = bus * 48 + 1;
    EXPECT_EQ(mixer->firstInputChannelOfBus(bus), left);
    ASSERT_EQ(setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(left, 1), 1.0f), 0);
    ASSERT_EQ(setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(right, 0), 1.0f), 0);
    for (std::uint32_t b = 0; b < 499; ++b) {
        ASSERT_EQ(mixer->setParameter(MixerParameter::Enable, MixerScope::Input, b, 0.0f), 0);
    }

    Outputs out(2, 512);
    ASSERT_EQ(mixer->process(input, out.view()), MixerStatus::Ok);
    for (std::uint32_t i = 0; i < 512; ++i) {
        ASSERT_EQ(out.samples[0][i], StaircaseInput::sample(right, i));
        ASSERT_EQ(out.samples[1][i], StaircaseInput::sample(left, i));
    }
    EXPECT_EQ(input.pulls(0), 0u);
    EXPECT_EQ(input.pulls(bus), 1u);
    for (std::uint32_t k = 2; k < 48; ++k) {
        EXPECT_FALSE(input.wanted(bus * 48 + k));
    }
}

TEST(MatrixMixerElements, RefusesElementsScopesAndValuesItDoesNotHave) {
    auto mixer = makeMixer({4, 4}, {3});
    EXPECT_EQ(setVolume(*mixer, MixerScope::Input, 8, 1.0f), MixerStatus::InvalidElement);
    EXPECT_EQ(setVolume(*mixer, MixerScope::Output, 3, 1.0f), MixerStatus::InvalidElement);
    EXPECT_EQ(setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(8, 0), 1.0f),
              MixerStatus::InvalidElement);
    EXPECT_EQ(setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 3), 1.0f),
              MixerStatus::InvalidElement);
    EXPECT_EQ(mixer->setParameter(MixerParameter::Enable, MixerScope::Input, 2, 1.0f),
              MixerStatus::InvalidElement);
    EXPECT_EQ(mixer->setParameter(MixerParameter::Enable, MixerScope::Output, 0, 1.0f),
              MixerStatus::InvalidScope);
    EXPECT_EQ(mixer->setParameter(MixerParameter::PostAveragePower, MixerScope::Output, 0, 1.0f),
              MixerStatus::ParameterNotWritable);
    EXPECT_EQ(mixer->setParameter(static_cast<MixerParameter>(7), MixerScope::Global, 0, 1.0f),
              MixerStatus::InvalidParameter);
    float level = 0;
    EXPECT_EQ(mixer->parameter(MixerParameter::PostPeakHoldLevel, MixerScope::Global, 0, level),
              MixerStatus::InvalidScope);
    EXPECT_EQ(mixer->parameter(MixerParameter::PostPeakHoldLevel, MixerScope::Input, 8, level),
              MixerStatus::InvalidElement);

    // A gain that is not a number would poison every output it reaches.
    EXPECT_EQ(setVolume(*mixer, MixerScope::Global, kMixerMasterElement, NAN),
              MixerStatus::InvalidValue);
    EXPECT_EQ(setVolume(*mixer, MixerScope::Global, 0, INFINITY), MixerStatus::InvalidValue);
    EXPECT_EQ(value(*mixer, MixerParameter::Volume, MixerScope::Global, kMixerMasterElement), 1.0f);
    EXPECT_EQ(value(*mixer, MixerParameter::Volume, MixerScope::Global, 0), 0.0f);
}

TEST(MatrixMixerLayout, RefusesLayoutsItCannotAddress) {
    CapturingLogSink log;
    EXPECT_EQ(MatrixMixer::create({{}, {2}, 512, 48000.0}), nullptr);
    EXPECT_EQ(MatrixMixer::create({{2, 0}, {2}, 512, 48000.0}), nullptr);
    EXPECT_EQ(MatrixMixer::create({{2}, {2}, 0, 48000.0}), nullptr);
    // 65536 channels would make crosspoint elements collide.
    EXPECT_EQ(MatrixMixer::create({{65536}, {2}, 512, 48000.0}), nullptr);
    EXPECT_EQ(log.lines().size(), 4u);
    EXPECT_NE(MatrixMixer::create({{65535}, {1}, 16, 48000.0}), nullptr);
}

TEST(MatrixMixerRouting, ANewMixerIsSilentAndPullsNoChannel) {
    auto mixer = makeMixer({2}, {2});
    StaircaseInput input({2});
    Outputs out(2, 16);
    ASSERT_EQ(mixer->process(input, out.view()), 0);
    EXPECT_EQ(out.samples[0], std::vector<float>(16, 0.0f));
    EXPECT_EQ(out.samples[1], std::vector<float>(16, 0.0f));
    // The bus is enabled, so it is pulled and keeps its place, but no channel is read.
    EXPECT_EQ(input.pulls(0), 1u);
    EXPECT_FALSE(input.wanted(0));
    EXPECT_EQ(value(*mixer, MixerParameter::Enable, MixerScope::Input, 0), 1.0f);
    EXPECT_EQ(value(*mixer, MixerParameter::Volume, MixerScope::Input, 1), 1.0f);
    EXPECT_EQ(value(*mixer, MixerParameter::Volume, MixerScope::Output, 1), 1.0f);
}

TEST(MatrixMixerRouting, ChannelIsReadOnlyWhileItRoutesSomewhereAudible) {
    auto mixer = makeMixer({2}, {2});
    StaircaseInput input({2});
    Outputs out(2, 8);
    const std::uint32_t crosspoint = mixerCrosspointElement(0, 1);

    setVolume(*mixer, MixerScope::Global, crosspoint, 0.5f);
    setVolume(*mixer, MixerScope::Global, crosspoint, 0.75f); // still one route
    mixer->process(input, out.view());
    EXPECT_TRUE(input.wanted(0));
    EXPECT_EQ(out.samples[1][3], 0.75f * StaircaseInput::sample(0, 3));

    setVolume(*mixer, MixerScope::Input, 0, 0.0f); // muted input: read while it ramps out,
    mixer->process(input, out.view());
    EXPECT_TRUE(input.wanted(0));
    EXPECT_EQ(out.samples[1][7], 0.0f);
    mixer->process(input, out.view()); // then not read
    EXPECT_FALSE(input.wanted(0));
    EXPECT_EQ(out.samples[1][3], 0.0f);
    setVolume(*mixer, MixerScope::Input, 0, 1.0f);
    mixer->process(input, out.view());

    out.pointers[1] = nullptr; // the only output it reaches is not rendered
    mixer->process(input, out.view());
    EXPECT_FALSE(input.wanted(0));
    out.pointers[1] = out.samples[1].data();

    setVolume(*mixer, MixerScope::Global, crosspoint, -0.0f); // negative zero is silence too
    mixer->process(input, out.view());
    mixer->process(input, out.view());
    EXPECT_FALSE(input.wanted(0));
    EXPECT_EQ(out.samples[1][3], 0.0f);
}

TEST(MatrixMixerRouting, DisabledBusIsNotPulled) {
    auto mixer = makeMixer({1, 1}, {1});
    StaircaseInput input({1, 1});
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 0), 1.0f);
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(1, 0), 1.0f);
    ASSERT_EQ(mixer->setParameter(MixerParameter::Enable, MixerScope::Input, 1, 0.0f), 0);
    EXPECT_EQ(value(*mixer, MixerParameter::Enable, MixerScope::Input, 1), 0.0f);
    Outputs out(1, 8);
    mixer->process(input, out.view());
    EXPECT_EQ(input.pulls(1), 0u);
    EXPECT_EQ(out.samples[0][5], StaircaseInput::sample(0, 5));
}

TEST(MatrixMixerRouting, LongCallsAreMixedInBlocksWithoutLosingFrames) {
    auto mixer = makeMixer({1}, {1}, 64);
    StaircaseInput input({1});
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 0), 1.0f);
    Outputs out(1, 200);
    ASSERT_EQ(mixer->process(input, out.view()), 0);
    EXPECT_EQ(input.pulls(0), 4u); // 64 + 64 + 64 + 8
    for (std::uint32_t i = 0; i < 200; ++i) {
        ASSERT_EQ(out.samples[0][i], StaircaseInput::sample(0, i)) << "frame " << i;
    }
}

TEST(MatrixMixerRouting, FailingBusIsLeftOutAndItsStatusReported) {
    auto mixer = makeMixer({1, 1}, {1});
    StaircaseInput input({1, 1});
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 0), 1.0f);
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(1, 0), 1.0f);
    input.failBus(0, -50);
    Outputs out(1, 8);
    EXPECT_EQ(mixer->process(input, out.view()), -50);
    EXPECT_EQ(out.samples[0][2], StaircaseInput::sample(1, 2));
}

TEST(MatrixMixerRouting, WrongOutputCountIsRefusedWithSilence) {
    auto mixer = makeMixer({1}, {2});
    StaircaseInput input({1});
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 0), 1.0f);
    Outputs out(3, 8);
    EXPECT_EQ(mixer->process(input, out.view()), MixerStatus::ChannelCountMismatch);
    EXPECT_EQ(out.samples[0], std::vector<float>(8, 0.0f));
    EXPECT_EQ(input.pulls(0), 0u);
}

TEST(MatrixMixerLevels, SurviveARoundTripAndKeepTheRouting) {
    auto mixer = makeMixer({2}, {2});
    setVolume(*mixer, MixerScope::Global, kMixerMasterElement, 0.5f);
    setVolume(*mixer, MixerScope::Input, 1, 0.25f);
    setVolume(*mixer, MixerScope::Output, 0, 0.125f);
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(1, 0), 1.0f);
    const MatrixLevels saved = mixer->levels();
    EXPECT_EQ(saved.crosspoints, (std::vector<float>{0, 0, 1, 0}));

    auto rebuilt = makeMixer({2}, {2});
    ASSERT_EQ(rebuilt->setLevels(saved), MixerStatus::Ok);
    EXPECT_EQ(rebuilt->levels(), saved);
    StaircaseInput input({2});
    Outputs out(2, 4);
    rebuilt->process(input, out.view());
    EXPECT_EQ(out.samples[0][3], 0.5f * 0.125f * 0.25f * StaircaseInput::sample(1, 3));

    // Clearing the route through the levels stops the channel being read
    // once it has ramped out.
    MatrixLevels silent = saved;
    silent.crosspoints.assign(4, 0.0f);
    ASSERT_EQ(rebuilt->setLevels(silent), MixerStatus::Ok);
    rebuilt->process(input, out.view());
    rebuilt->process(input, out.view());
    EXPECT_FALSE(input.wanted(1));

    auto other = makeMixer({3}, {2});
    EXPECT_EQ(other->setLevels(saved), MixerStatus::InvalidValue);
    MatrixLevels poisoned = saved;
    poisoned.crosspoints[1] = NAN;
    EXPECT_EQ(rebuilt->setLevels(poisoned), MixerStatus::InvalidValue);
}

TEST(MatrixMixerRamps, AGainChangeRampsAcrossTheBlockAndLandsOnItsLastFrame) {
    auto mixer = makeMixer({1}, {1}, 8);
    StaircaseInput input({1});
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 0), 1.0f);
    Outputs out(1, 8);
    mixer->process(input, out.view());

    // Master 1 to 0.5, then input gain 1 to 0.25 (a route's gain).
    setVolume(*mixer, MixerScope::Global, kMixerMasterElement, 0.5f);
    mixer->process(input, out.view());
    for (std::uint32_t i = 0; i < 8; ++i) {
        const float gain = 1.0f + (0.5f - 1.0f) * static_cast<float>(i + 1) / 8.0f;
        ASSERT_FLOAT_EQ(out.samples[0][i], gain * StaircaseInput::sample(0, 8 + i)) << i;
    }
    EXPECT_EQ(out.samples[0][7], 0.5f * StaircaseInput::sample(0, 15));
    setVolume(*mixer, MixerScope::Input, 0, 0.25f);
    mixer->process(input, out.view());
    for (std::uint32_t i = 0; i < 8; ++i) {
        const float gain = 1.0f + (0.25f - 1.0f) * static_cast<float>(i + 1) / 8.0f;
        ASSERT_FLOAT_EQ(out.samples[0][i], 0.5f * gain * StaircaseInput::sample(0, 16 + i)) << i;
    }
    EXPECT_EQ(out.samples[0][7], 0.5f * (0.25f * StaircaseInput::sample(0, 23)));
    mixer->process(input, out.view());
    EXPECT_EQ(out.samples[0][0], 0.5f * (0.25f * StaircaseInput::sample(0, 24)));
}

TEST(MatrixMixerRamps, ABusNewlyEnabledAndAJumpTakeTheirGainsAtOnce) {
    auto mixer = makeMixer({1, 1}, {1}, 8);
    StaircaseInput input({1, 1});
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(0, 0), 1.0f);
    mixer->setParameter(MixerParameter::Enable, MixerScope::Input, 1, 0.0f);
    Outputs out(1, 8);
    mixer->process(input, out.view());

    // Bus 1 was silent: what it brings starts at its gain.
    setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(1, 0), 0.5f);
    mixer->setParameter(MixerParameter::Enable, MixerScope::Input, 1, 1.0f);
    mixer->process(input, out.view());
    EXPECT_EQ(out.samples[0][0],
              StaircaseInput::sample(0, 8) + 0.5f * StaircaseInput::sample(1, 0));

    setVolume(*mixer, MixerScope::Global, kMixerMasterElement, 0.25f);
    mixer->jumpToGains();
    mixer->process(input, out.view());
    EXPECT_EQ(out.samples[0][0],
              0.25f * (StaircaseInput::sample(0, 16) + 0.5f * StaircaseInput::sample(1, 8)));
}

TEST(MatrixMixerRenderThread, ProcessDoesNotAllocate) {
    auto mixer = makeMixer(std::vector<std::uint32_t>(8, 48), {2}, 256);
    StaircaseInput input(std::vector<std::uint32_t>(8, 48));
    for (std::uint32_t bus = 0; bus < 8; ++bus) {
        setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(bus * 48, 0), 0.5f);
        setVolume(*mixer, MixerScope::Global, mixerCrosspointElement(bus * 48 + 1, 1), 0.5f);
    }
    Outputs out(2, 512);
    const std::uint64_t before = renderThreadAllocations();
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (int cycle = 0; cycle < 4; ++cycle) {
            mixer->process(input, out.view());
            // Routing and gain changes (ramps) on the way must not allocate either.
            mixer->setParameter(MixerParameter::Enable, MixerScope::Input, cycle, 0.0f);
            setVolume(*mixer, MixerScope::Global, kMixerMasterElement, 0.25f * cycle);
            setVolume(*mixer, MixerScope::Input, 7 * 48, 0.5f * cycle);
        }
    }
    EXPECT_EQ(renderThreadAllocations(), before);
}

TEST(MatrixLevelsTest, ResizingKeepsWhatBothHaveAndRoutesNewInputsToTheirOwnOutput) {
    MatrixLevels mono{1, 3, 0.5f, {0.25f}, {1.0f, 0.75f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    const MatrixLevels stereo = mono.resized(2, 3);
    EXPECT_EQ(
        stereo,
        (MatrixLevels{
            2, 3, 0.5f, {0.25f, 1.0f}, {1.0f, 0.75f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f}}));
    EXPECT_EQ(stereo.resized(1, 2),
              (MatrixLevels{1, 2, 0.5f, {0.25f}, {1.0f, 0.75f}, {0.0f, 1.0f}}));
}
