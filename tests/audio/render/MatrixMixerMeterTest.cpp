#include "audio/render/MatrixMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr std::uint32_t kBlock = 512;

// One channel of a 1 kHz sine at the given amplitude, or silence once
// switched off; keeps its phase across blocks.
class SineInput : public MatrixMixerInput {
public:
    float amplitude = 1.0f;

    std::int32_t renderBus(std::uint32_t, const AudioChannels& channels) override {
        for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
            if (channels.channels[k] == nullptr) {
                continue;
            }
            for (std::uint32_t i = 0; i < channels.frameCount; ++i) {
                const double t = (_frame + i) / kRate;
                channels.channels[k][i] =
                    amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * t));
            }
        }
        _frame += channels.frameCount;
        return 0;
    }

private:
    std::uint64_t _frame = 0;
};

class MeterTest : public ::testing::Test {
protected:
    void SetUp() override {
        mixer = MatrixMixer::create({{2}, {2}, kBlock, kRate});
        ASSERT_NE(mixer, nullptr);
        route(0, 0, 1.0f);
    }

    void route(std::uint32_t in, std::uint32_t out, float gain) {
        ASSERT_EQ(mixer->setParameter(MixerParameter::Volume, MixerScope::Global,
                                      mixerCrosspointElement(in, out), gain),
                  0);
    }

    void render(double seconds) {
        const auto blocks = static_cast<int>(std::lround(seconds * kRate / kBlock));
        for (int b = 0; b < blocks; ++b) {
            mixer->process(sine, AudioChannels{pointers, 2, kBlock});
        }
    }

    float meter(MixerParameter parameter, MixerScope scope, std::uint32_t channel) {
        float db = NAN;
        EXPECT_EQ(mixer->parameter(parameter, scope, channel, db), 0);
        return db;
    }
    float average(MixerScope scope, std::uint32_t channel) {
        return meter(MixerParameter::PostAveragePower, scope, channel);
    }
    float peak(MixerScope scope, std::uint32_t channel) {
        return meter(MixerParameter::PostPeakHoldLevel, scope, channel);
    }

    std::unique_ptr<MatrixMixer> mixer;
    SineInput sine;
    std::vector<float> left = std::vector<float>(kBlock);
    std::vector<float> right = std::vector<float>(kBlock);
    float* pointers[2] = {left.data(), right.data()};
};

} // namespace

TEST_F(MeterTest, FullScaleSineMetersMinus3AverageAnd0Peak) {
    render(2.0);
    EXPECT_NEAR(average(MixerScope::Output, 0), -3.01f, 0.05f);
    EXPECT_NEAR(peak(MixerScope::Output, 0), 0.0f, 0.01f);
    EXPECT_NEAR(average(MixerScope::Input, 0), -3.01f, 0.05f);
    EXPECT_NEAR(peak(MixerScope::Input, 0), 0.0f, 0.01f);
}

TEST_F(MeterTest, SilenceMetersTheFloor) {
    EXPECT_EQ(average(MixerScope::Output, 0), kMeterFloorDb);
    EXPECT_EQ(peak(MixerScope::Output, 1), kMeterFloorDb);
    render(0.5);
    // Output 1 has nothing routed; input 1 is not read.
    EXPECT_EQ(average(MixerScope::Output, 1), kMeterFloorDb);
    EXPECT_EQ(peak(MixerScope::Input, 1), kMeterFloorDb);
}

TEST_F(MeterTest, MetersArePostFader) {
    ASSERT_EQ(mixer->setParameter(MixerParameter::Volume, MixerScope::Input, 0, 0.5f), 0);
    ASSERT_EQ(
        mixer->setParameter(MixerParameter::Volume, MixerScope::Global, kMixerMasterElement, 0.5f),
        0);
    render(2.0);
    // Input: after its own gain (-6 dB); output: after input gain and master (-12 dB).
    EXPECT_NEAR(peak(MixerScope::Input, 0), -6.02f, 0.01f);
    EXPECT_NEAR(average(MixerScope::Input, 0), -9.03f, 0.05f);
    EXPECT_NEAR(peak(MixerScope::Output, 0), -12.04f, 0.01f);
    EXPECT_NEAR(average(MixerScope::Output, 0), -15.05f, 0.05f);
}

TEST_F(MeterTest, PeakHoldsOneSecondThenFalls20DbPerSecond) {
    render(1.0);
    sine.amplitude = 0.0f;
    render(0.9);
    EXPECT_NEAR(peak(MixerScope::Output, 0), 0.0f, 0.01f);
    render(0.6); // 1.5 s after the last peak: 0.5 s of falling
    EXPECT_NEAR(peak(MixerScope::Output, 0), -10.0f, 0.5f);
    // The average has fallen with its 300 ms time constant: -3 dB minus 1.5 s / 0.3 s nepers.
    EXPECT_NEAR(average(MixerScope::Output, 0), -3.01f - 10.0f * 5.0f / std::log(10.0f), 0.5f);
    render(10.0);
    EXPECT_EQ(peak(MixerScope::Output, 0), kMeterFloorDb);
    EXPECT_EQ(average(MixerScope::Output, 0), kMeterFloorDb);
}

TEST_F(MeterTest, LouderPeakRestartsTheHold) {
    sine.amplitude = 0.5f;
    render(1.0);
    EXPECT_NEAR(peak(MixerScope::Output, 0), -6.02f, 0.01f);
    sine.amplitude = 1.0f;
    render(0.1);
    EXPECT_NEAR(peak(MixerScope::Output, 0), 0.0f, 0.01f);
}

TEST_F(MeterTest, InputThatStopsBeingReadDropsToTheFloor) {
    render(0.5);
    EXPECT_NEAR(peak(MixerScope::Input, 0), 0.0f, 0.01f);
    mixer->process(sine, AudioChannels{pointers, 2, 0}); // an empty call changes nothing
    EXPECT_NEAR(peak(MixerScope::Input, 0), 0.0f, 0.01f);
    route(0, 0, 0.0f);
    render(0.1);
    EXPECT_EQ(peak(MixerScope::Input, 0), kMeterFloorDb);
    EXPECT_EQ(average(MixerScope::Input, 0), kMeterFloorDb);
}

// A mixer made with its meters off spends nothing on them until one is read;
// from that read on it meters as one made with them on.
TEST(MeterOnDemandTest, MetersThatStartOnReadMeterFromTheFirstRead) {
    auto mixer = MatrixMixer::create({{2}, {2}, kBlock, kRate, false, false});
    ASSERT_NE(mixer, nullptr);
    ASSERT_EQ(mixer->setParameter(MixerParameter::Volume, MixerScope::Global,
                                  mixerCrosspointElement(0, 0), 1.0f),
              0);
    SineInput sine;
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    float* pointers[2] = {left.data(), right.data()};
    const auto render = [&](int blocks) {
        for (int b = 0; b < blocks; ++b) {
            mixer->process(sine, AudioChannels{pointers, 2, kBlock});
        }
    };
    const auto read = [&](MixerParameter parameter, MixerScope scope) {
        float db = NAN;
        EXPECT_EQ(mixer->parameter(parameter, scope, 0, db), 0);
        return db;
    };
    render(100);
    // The mixing itself does not wait for the meters.
    EXPECT_NEAR(*std::max_element(left.begin(), left.end()), 1.0f, 0.01f);
    EXPECT_EQ(read(MixerParameter::PostPeakHoldLevel, MixerScope::Output), kMeterFloorDb);
    EXPECT_EQ(read(MixerParameter::PostPeakHoldLevel, MixerScope::Input), kMeterFloorDb);
    render(200);
    EXPECT_NEAR(read(MixerParameter::PostPeakHoldLevel, MixerScope::Output), 0.0f, 0.01f);
    EXPECT_NEAR(read(MixerParameter::PostAveragePower, MixerScope::Output), -3.01f, 0.05f);
    EXPECT_NEAR(read(MixerParameter::PostPeakHoldLevel, MixerScope::Input), 0.0f, 0.01f);
    EXPECT_NEAR(read(MixerParameter::PostAveragePower, MixerScope::Input), -3.01f, 0.05f);
}
