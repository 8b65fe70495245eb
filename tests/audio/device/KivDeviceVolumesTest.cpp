#include "audio/device/KivDeviceVolumes.h"

#include "audio/DeviceMixerFixture.h"
#include "audio/ImpulseSource.h"
#include "audio/render/KivVolumesText.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class KivDeviceVolumesTest : public DeviceMixerFixture {
protected:
    KivDeviceVolumesTest() { volumes.setDefaultVolumes(); }

    float gain(MixerScope scope, std::uint32_t element) const {
        float value = -1.0f;
        EXPECT_EQ(mixer->parameter(MixerParameter::Volume, scope, element, value), MixerStatus::Ok);
        return value;
    }
    float crosspoint(std::uint32_t input, std::uint32_t output) const {
        return gain(MixerScope::Global, mixerCrosspointElement(input, output));
    }
    // Mixer input channel of feed channel k on bus b.
    static std::uint32_t feed(std::uint32_t bus, std::uint32_t k) { return bus * 48 + k; }

    KivDeviceVolumes volumes{*mixer, kKivAudioChannelsPerBus};
};

} // namespace

TEST_F(KivDeviceVolumesTest, DefaultsRouteFeedChannelIToOutputIOnEveryBus) {
    EXPECT_EQ(volumes.masterVolume(), 1.0f);
    for (std::uint32_t bus : {0u, 250u, 499u}) {
        EXPECT_EQ(crosspoint(feed(bus, 0), 0), 1.0f);
        EXPECT_EQ(crosspoint(feed(bus, 1), 1), 1.0f);
        EXPECT_EQ(crosspoint(feed(bus, 0), 1), 0.0f);
        EXPECT_EQ(crosspoint(feed(bus, 1), 0), 0.0f);
        EXPECT_EQ(crosspoint(feed(bus, 2), 0), 0.0f);
        EXPECT_EQ(crosspoint(feed(bus, 47), 1), 0.0f);
        EXPECT_EQ(gain(MixerScope::Input, feed(bus, 47)), 1.0f);
    }
    EXPECT_EQ(gain(MixerScope::Output, 1), 1.0f);
}

TEST_F(KivDeviceVolumesTest, RowAndColumnAddressMasterOutputsInputsAndCrosspoints) {
    volumes.setVolume(0.5f, 0, 0);
    EXPECT_EQ(volumes.masterVolume(), 0.5f);

    volumes.setVolume(0.25f, 0, 2);
    EXPECT_EQ(gain(MixerScope::Output, 1), 0.25f);

    volumes.setVolume(0.75f, 2, 0);
    EXPECT_EQ(gain(MixerScope::Input, feed(0, 1)), 0.75f);
    EXPECT_EQ(gain(MixerScope::Input, feed(499, 1)), 0.75f);
    EXPECT_EQ(gain(MixerScope::Input, feed(0, 0)), 1.0f);

    volumes.setVolume(0.125f, 1, 2);
    EXPECT_EQ(crosspoint(feed(0, 0), 1), 0.125f);
    EXPECT_EQ(crosspoint(feed(321, 0), 1), 0.125f);
}

TEST_F(KivDeviceVolumesTest, RoutingShowsInTheRenderedOutput) {
    ImpulseSource source;
    ASSERT_TRUE(buses->attach(source, "Device", "source"));
    // Re-route feed 0 from output 0 to output 1 at half gain, as a workspace
    // does when it moves to device channel 2.
    volumes.setSilentCrosspoints();
    volumes.setVolume(0.5f, 1, 2);
    source._play();
    pull();
    EXPECT_EQ(samples[0][0], 0.0f);
    EXPECT_EQ(samples[1][0], 0.5f);

    volumes.setVolume(0.5f, 0, 0); // master
    pull();                        // which ramps across this cycle
    source._play();
    pull();
    EXPECT_EQ(samples[1][0], 0.25f);
}

TEST_F(KivDeviceVolumesTest, SilentVolumesZeroEveryGain) {
    volumes.setSilentVolumes();
    EXPECT_EQ(volumes.masterVolume(), 0.0f);
    EXPECT_EQ(gain(MixerScope::Output, 0), 0.0f);
    EXPECT_EQ(gain(MixerScope::Input, feed(7, 3)), 0.0f);
    EXPECT_EQ(crosspoint(feed(7, 0), 0), 0.0f);
    EXPECT_EQ(crosspoint(feed(7, 1), 1), 0.0f);
}

TEST_F(KivDeviceVolumesTest, AFailedCrosspointCallLogsItsChannels) {
    CapturingLogSink log;
    volumes.setRawCrosspointVolume(1.0f, 24000, 0);
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Error: -10877 [", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("] input=24000, output=0 | setRawCrosspointVolume [line "),
              std::string::npos)
        << lines[0];
}

TEST_F(KivDeviceVolumesTest, MetersOfAnUnknownOutputLogAndReadTheFloor) {
    CapturingLogSink log;
    EXPECT_EQ(volumes.outPostAveragePower(2), kMeterFloorDb);
    EXPECT_EQ(volumes.outPostPeakHoldLevel(0), kMeterFloorDb); // silent so far
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(KivVolumesText, ListsDimensionsMasterInputRowsAndOutputs) {
    MatrixLevels levels;
    levels.inputChannels = 2;
    levels.outputChannels = 2;
    levels.master = 1.0f;
    levels.inputs = {1.0f, 0.5f};
    levels.outputs = {1.0f, 0.25f};
    levels.crosspoints = {1.0f, 0.0f, 0.0f, 0.75f};
    EXPECT_EQ(volumesText(levels), "\tInput Channels = 2, Output Channels = 2\n"
                                   "\tGlobal Volume: 1.000\n"
                                   "\tInput 0: 1.000 | 1.000 0.000\n"
                                   "\tInput 1: 0.500 | 0.000 0.750\n"
                                   "\tOutput Volumes: 1.000 0.250\n");
}
