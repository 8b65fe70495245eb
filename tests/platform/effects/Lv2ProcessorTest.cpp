#include "ProcessorFixture.h"
#include "support/RenderThreadAllocations.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

namespace {
constexpr float kHalfDb = -6.0206f;
}

using Lv2Processor_ = ProcessorFixture;

TEST_F(Lv2Processor_, UnknownPluginIsNotFound) {
    std::int32_t status = 0;
    EXPECT_EQ(
        Lv2Processor::create(testWorld(), "http://pondra.invalid/test/none", _renderLock, status),
        nullptr);
    EXPECT_EQ(status, kEffectComponentNotFound);

    status = 0;
    EXPECT_EQ(Lv2Processor::create(testWorld(), kTestGainWorkerUri, _renderLock, status), nullptr);
    EXPECT_EQ(status, kEffectComponentNotFound);
}

TEST_F(Lv2Processor_, HalfGainHalvesASine) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    ASSERT_EQ(gain->setParameter(kGainPort, kHalfDb), kEffectNoErr);
    EXPECT_NEAR(sinePeaks(*gain, 1, 44100.0, 1.0f)[0], 0.5f, 1e-4f);
}

TEST_F(Lv2Processor_, BypassThroughTheEnabledPortGivesUnity) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    gain->setParameter(kGainPort, kHalfDb);
    gain->setBypassed(true);
    EXPECT_TRUE(gain->bypassed());
    EXPECT_NEAR(sinePeaks(*gain, 1, 44100.0, 1.0f)[0], 1.0f, 1e-4f);
    // The plugin bypasses itself, so its delay stays in the path.
    EXPECT_DOUBLE_EQ(gain->latency(), kTestGainLatencyFrames / 44100.0);

    gain->setBypassed(false);
    EXPECT_NEAR(sinePeaks(*gain, 1, 44100.0, 1.0f)[0], 0.5f, 1e-4f);
}

TEST_F(Lv2Processor_, HostBypassPassesInputUnchanged) {
    auto stereo = make(kTestGainStereoUri);
    ASSERT_EQ(prepare(*stereo, 44100.0, 256, 2), kEffectNoErr);
    stereo->setParameter(kGainPort, -20.0f);
    stereo->setBypassed(true);
    ChannelBuffers buffers(2, 256);
    fillSine(buffers, 441.0, 44100.0, 0.8f, 0);
    const auto input = buffers.data;
    render(*stereo, buffers, 256);
    EXPECT_EQ(buffers.data, input);
    EXPECT_EQ(stereo->latency(), 0.0);
}

TEST_F(Lv2Processor_, MonoPluginRunsOnEveryChannel) {
    auto gain = make(kTestGainUri);
    EXPECT_EQ(gain->supportedChannels(), (std::vector<EffectChannelPair>{{-1, -1}}));
    ASSERT_EQ(prepare(*gain, 48000.0, 512, 2), kEffectNoErr);
    EXPECT_EQ(gain->channels(), 2u);
    gain->setParameter(kGainPort, kHalfDb);
    ChannelBuffers buffers(2, 512);
    for (int b = 0; b < 3; ++b) {
        fillSine(buffers, 441.0, 48000.0, 1.0f, b * 512);
        for (float& sample : buffers.data[1]) {
            sample *= 0.25f;
        }
        render(*gain, buffers, 512);
    }
    EXPECT_NEAR(peak(buffers.data[0]), 0.5f, 1e-3f);
    EXPECT_NEAR(peak(buffers.data[1]), 0.125f, 1e-3f);
}

TEST_F(Lv2Processor_, StereoPluginRefusesALayoutItCannotBeFittedTo) {
    auto stereo = make(kTestGainStereoUri);
    EXPECT_EQ(stereo->supportedChannels(), (std::vector<EffectChannelPair>{{2, 2}, {1, 1}}));
    EXPECT_EQ(prepare(*stereo, 44100.0, 512, 3), kEffectFormatNotSupported);
    EXPECT_FALSE(stereo->isPrepared());

    // A refusal leaves a working preparation as it was.
    ASSERT_EQ(prepare(*stereo, 44100.0, 512, 2), kEffectNoErr);
    EXPECT_EQ(prepare(*stereo, 44100.0, 512, 6), kEffectFormatNotSupported);
    EXPECT_EQ(stereo->channels(), 2u);
    stereo->setParameter(kGainPort, kHalfDb);
    const auto peaks = sinePeaks(*stereo, 2, 44100.0, 1.0f);
    EXPECT_NEAR(peaks[0], 0.5f, 1e-4f);
    EXPECT_NEAR(peaks[1], 0.5f, 1e-4f);
}

namespace {

// The samples of `frames` frames of a ramp with a channel's own slope, so
// that a channel taken for another is seen.
ChannelBuffers ramps(std::uint32_t channels, std::uint32_t frames) {
    ChannelBuffers buffers(channels, frames);
    for (std::uint32_t c = 0; c < channels; ++c) {
        for (std::uint32_t f = 0; f < frames; ++f) {
            buffers.data[c][f] = static_cast<float>(c + 1) * 0.001f * static_cast<float>(f);
        }
    }
    return buffers;
}

} // namespace

TEST_F(Lv2Processor_, PluginsAreFittedToTheChannelsTheyAreGiven) {
    constexpr std::uint32_t kFrames = 700; // more than a block: every block is fitted
    struct Case {
        const char* uri;
        std::uint32_t channels;
        // The expected output of each channel, from the input channels at one frame.
        std::function<float(const std::vector<float>& in, std::uint32_t channel)> expected;
    };
    const float g = 0.5f;
    const Case cases[] = {
        // A mono chain's one channel goes to both inputs; the outputs' mean comes back.
        {kTestGainStereoUri, 1, [g](const auto& in, std::uint32_t) { return g * in[0]; }},
        {kTestGainWidenUri, 1, [g](const auto& in, std::uint32_t) { return 0.75f * g * in[0]; }},
        {kTestGainNarrowUri, 1, [g](const auto& in, std::uint32_t) { return 0.5f * g * in[0]; }},
        // One input takes the channels' mean; one output goes to every channel.
        {kTestGainWidenUri, 2,
         [g](const auto& in, std::uint32_t c) {
             const float mean = 0.5f * (in[0] + in[1]);
             return (c == 0 ? 1.0f : 0.5f) * g * mean;
         }},
        {kTestGainNarrowUri, 2,
         [g](const auto& in, std::uint32_t) { return g * (in[0] - 0.5f * in[1]); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.uri) + " on " + std::to_string(c.channels));
        auto processor = make(c.uri);
        ASSERT_EQ(prepare(*processor, 48000.0, 256, c.channels), kEffectNoErr);
        EXPECT_EQ(processor->channels(), c.channels);
        processor->setParameter(kGainPort, kHalfDb);
        const ChannelBuffers input = ramps(c.channels, kFrames);
        ChannelBuffers output(c.channels, kFrames);
        render(*processor, input, output, kFrames);
        for (std::uint32_t f = 0; f < kFrames; ++f) {
            std::vector<float> in;
            for (const auto& channel : input.data) {
                in.push_back(channel[f]);
            }
            for (std::uint32_t k = 0; k < c.channels; ++k) {
                ASSERT_NEAR(output.data[k][f], c.expected(in, k), 1e-5f)
                    << "channel " << k << " frame " << f;
            }
        }
        // In place, as the render path runs it, the same.
        ChannelBuffers inPlace = ramps(c.channels, kFrames);
        render(*processor, inPlace, kFrames);
        EXPECT_EQ(inPlace.data, output.data);
    }
}

TEST_F(Lv2Processor_, FittedPluginsProcessWithoutAllocating) {
    for (const auto& [uri, channels] :
         {std::pair{kTestGainStereoUri, 1u}, {kTestGainWidenUri, 2u}, {kTestGainNarrowUri, 1u}}) {
        auto processor = make(uri);
        ASSERT_EQ(prepare(*processor, 48000.0, 512, channels), kEffectNoErr);
        ChannelBuffers buffers = ramps(channels, 512);
        std::lock_guard held(_renderLock);
        ScopedThreadRole role(ThreadRole::Render);
        const auto before = renderThreadAllocations();
        for (int block = 0; block < 4; ++block) {
            processor->process(buffers.inputs.data(), buffers.outputs.data(), 512);
        }
        if (renderThreadMallocIsCounted()) {
            EXPECT_EQ(renderThreadAllocations(), before) << uri;
        }
    }
}

TEST_F(Lv2Processor_, RefusesFormatsWithoutFramesOrRate) {
    auto gain = make(kTestGainUri);
    EXPECT_EQ(prepare(*gain, 44100.0, 0, 1), kEffectFormatNotSupported);
    EXPECT_EQ(prepare(*gain, 0.0, 512, 1), kEffectFormatNotSupported);
    EXPECT_EQ(prepare(*gain, std::numeric_limits<double>::infinity(), 512, 1),
              kEffectFormatNotSupported);
    EXPECT_EQ(prepare(*gain, 44100.0, 512, 0), kEffectFormatNotSupported);
    EXPECT_FALSE(gain->isPrepared());
}

TEST_F(Lv2Processor_, ParametersAreTheControlInputsButEnabled) {
    auto gain = make(kTestGainUri);
    const auto& parameters = gain->parameters();
    ASSERT_EQ(parameters.size(), 1u);
    EXPECT_EQ(parameters[0].id, kGainPort);
    EXPECT_EQ(parameters[0].symbol, "gain");
    EXPECT_EQ(parameters[0].name, "Gain");
    EXPECT_EQ(parameters[0].minValue, -90.0f);
    EXPECT_EQ(parameters[0].maxValue, 24.0f);
    EXPECT_EQ(parameters[0].defaultValue, 0.0f);
    EXPECT_EQ(gain->parameter(kGainPort), 0.0f);
}

TEST_F(Lv2Processor_, ParameterValuesReadBackClamped) {
    auto gain = make(kTestGainUri);
    EXPECT_EQ(gain->setParameter(kGainPort, -12.5f), kEffectNoErr);
    EXPECT_EQ(gain->parameter(kGainPort), -12.5f);
    EXPECT_EQ(gain->setParameter(kGainPort, 100.0f), kEffectNoErr);
    EXPECT_EQ(gain->parameter(kGainPort), 24.0f);
    EXPECT_EQ(gain->setParameter(kGainPort, std::numeric_limits<float>::quiet_NaN()),
              kEffectInvalidParameter);
    EXPECT_EQ(gain->parameter(kGainPort), 24.0f);
}

TEST_F(Lv2Processor_, UnknownParametersAreRefused) {
    auto gain = make(kTestGainUri);
    EXPECT_EQ(gain->setParameter(1, 0.0f), kEffectInvalidParameter); // the enabled port
    EXPECT_EQ(gain->setParameter(2, 0.0f), kEffectInvalidParameter); // an output
    EXPECT_EQ(gain->setParameter(99, 0.0f), kEffectInvalidParameter);
    EXPECT_EQ(gain->parameter(99), 0.0f);
}

TEST_F(Lv2Processor_, LatencyComesFromTheLatencyPort) {
    auto gain = make(kTestGainUri);
    EXPECT_EQ(gain->latency(), 0.0);
    ASSERT_EQ(prepare(*gain, 48000.0, 256, 1), kEffectNoErr);
    EXPECT_DOUBLE_EQ(gain->latency(), kTestGainLatencyFrames / 48000.0);
    EXPECT_EQ(gain->tailTime(), 0.0);

    auto stereo = make(kTestGainStereoUri);
    ASSERT_EQ(prepare(*stereo, 48000.0, 256, 2), kEffectNoErr);
    EXPECT_EQ(stereo->latency(), 0.0);
}

TEST_F(Lv2Processor_, BlocksLongerThanMaxFramesRunInPieces) {
    auto stereo = make(kTestGainStereoUri);
    ASSERT_EQ(prepare(*stereo, 44100.0, 100, 2), kEffectNoErr);
    stereo->setParameter(kGainPort, kHalfDb);
    ChannelBuffers input(2, 1000);
    fillSine(input, 441.0, 44100.0, 1.0f, 0);
    ChannelBuffers output(2, 1000);
    render(*stereo, input, output, 1000);
    const float half = std::pow(10.0f, kHalfDb / 20.0f);
    for (int c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < 1000; ++i) {
            ASSERT_FLOAT_EQ(output.data[c][i], input.data[c][i] * half) << "frame " << i;
        }
    }
}

TEST_F(Lv2Processor_, UnpreparedProcessingLeavesOutputAlone) {
    auto gain = make(kTestGainUri);
    ChannelBuffers input(1, 64);
    fillSine(input, 441.0, 44100.0, 1.0f, 0);
    ChannelBuffers output(1, 64);
    render(*gain, input, output, 64);
    EXPECT_EQ(peak(output.data[0]), 0.0f);
}

TEST_F(Lv2Processor_, RefusesALockOfAnotherMutexOrOneNotHeld) {
    auto gain = make(kTestGainUri);
    std::mutex other;
    EffectRenderLock wrong(other);
    EXPECT_EQ(gain->prepare(wrong, 44100.0, 512, 1), kEffectCannotDoInCurrentContext);
    EffectRenderLock notHeld(_renderLock, std::defer_lock);
    EXPECT_EQ(gain->prepare(notHeld, 44100.0, 512, 1), kEffectCannotDoInCurrentContext);
    EXPECT_EQ(gain->setState(notHeld, EffectState{}), kEffectCannotDoInCurrentContext);
    EXPECT_EQ(gain->applyFactoryPreset(wrong, 0), kEffectCannotDoInCurrentContext);
    EXPECT_FALSE(gain->isPrepared());
    EXPECT_EQ(gain->presentPreset().number, -1);
}

TEST_F(Lv2Processor_, ProcessingDoesNotAllocate) {
    if (!renderThreadMallocIsCounted()) {
        GTEST_SKIP() << "plugins allocate with malloc, which the sanitizers own";
    }
    auto gain = make(kTestGainUri);
    auto stereo = make(kTestGainStereoUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 256, 2), kEffectNoErr);
    ASSERT_EQ(prepare(*stereo, 44100.0, 256, 2), kEffectNoErr);
    ChannelBuffers buffers(2, 600);
    fillSine(buffers, 441.0, 44100.0, 1.0f, 0);

    std::lock_guard held(_renderLock);
    ScopedThreadRole role(ThreadRole::Render);
    const auto before = renderThreadAllocations();
    for (int block = 0; block < 20; ++block) {
        gain->setParameter(kGainPort, -0.5f * block);
        gain->setBypassed(block % 3 == 0);
        stereo->setBypassed(block % 4 == 0);
        gain->process(buffers.inputs.data(), buffers.outputs.data(), 600);
        stereo->process(buffers.inputs.data(), buffers.outputs.data(), 600);
    }
    EXPECT_EQ(renderThreadAllocations(), before);
}
