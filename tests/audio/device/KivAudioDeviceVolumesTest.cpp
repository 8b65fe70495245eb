#include "audio/OpenDeviceFixture.h"
#include "audio/TestPlayable.h"
#include "foundation/Clock.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

namespace {

// A four-output device with two sources: `first` on bus 0 and `second` on
// bus 1, each playing a constant on feed channels 0 and 1 (first: 1/2 on
// both, second: 1/8 on both).
class DeviceRoutingTest : public OpenDeviceFixture {
protected:
    DeviceRoutingTest()
        : OpenDeviceFixture(4) {
        for (TestPlayable* p : {&first, &second}) {
            EXPECT_TRUE(device->_attachAudio(*p));
            device->performAction(TestPlayable::kPlay, p);
        }
    }
    // Frame 0 of each output once the last gain change has ramped in (across
    // the next cycle); every frame of the cycle after equals it.
    std::vector<float> outputs() {
        const std::size_t cycle = render(2) + 1;
        std::vector<float> levels;
        for (std::uint32_t m = 0; m < 4; ++m) {
            const auto out = cycleOutput(cycle, m);
            EXPECT_EQ(out, constant(out[0]));
            levels.push_back(out[0]);
        }
        return levels;
    }

    TestPlayable first{device.get(), "first", TestPlayable::Signal::Constant, 0.5f, {0, 1}};
    TestPlayable second{device.get(), "second", TestPlayable::Signal::Constant, 0.125f, {0, 1}};
};

} // namespace

TEST_F(DeviceRoutingTest, DefaultsRouteFeedChannelIToOutputI) {
    EXPECT_EQ(outputs(), (std::vector<float>{0.625f, 0.625f, 0.0f, 0.0f}));
    EXPECT_EQ(device->masterVolume(), 1.0f);
}

TEST_F(DeviceRoutingTest, RowAndColumnAddressMasterOutputsInputsAndCrosspoints) {
    device->setVolume(0.5f, 0, 0); // master
    EXPECT_EQ(device->masterVolume(), 0.5f);
    EXPECT_EQ(outputs(), (std::vector<float>{0.3125f, 0.3125f, 0.0f, 0.0f}));

    device->setVolume(1.0f, 0, 0);
    device->setVolume(0.25f, 0, 2); // output 1
    EXPECT_EQ(outputs(), (std::vector<float>{0.625f, 0.15625f, 0.0f, 0.0f}));

    device->setVolume(1.0f, 0, 2);
    device->setVolume(0.0f, 2, 0); // feed input 1, on every bus
    EXPECT_EQ(outputs(), (std::vector<float>{0.625f, 0.0f, 0.0f, 0.0f}));

    device->setVolume(1.0f, 2, 0);
    device->setVolume(1.0f, 1, 4); // crosspoint feed 0 to output 3, on every bus
    EXPECT_EQ(outputs(), (std::vector<float>{0.625f, 0.625f, 0.0f, 0.625f}));
}

TEST_F(DeviceRoutingTest, RawSettersReachOneMixerChannel) {
    // Mixer input 48 is feed channel 0 of bus 1 (the second source).
    device->_setRawCrosspointVolume(1.0f, 48, 2);
    EXPECT_EQ(outputs(), (std::vector<float>{0.625f, 0.625f, 0.125f, 0.0f}));
    device->_setRawInputVolume(0.0f, 48);
    EXPECT_EQ(outputs(), (std::vector<float>{0.5f, 0.625f, 0.0f, 0.0f}));
}

TEST_F(DeviceRoutingTest, SilentCrosspointsAndSilentVolumesMute) {
    device->setSilentCrosspoints();
    EXPECT_EQ(outputs(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(device->masterVolume(), 1.0f);
    device->setCrosspointVolume(1.0f, 1, 3);
    EXPECT_EQ(outputs(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.625f}));

    device->setSilentVolumes();
    EXPECT_EQ(device->masterVolume(), 0.0f);
    device->setDefaultVolumes();
    EXPECT_EQ(outputs(), (std::vector<float>{0.625f, 0.625f, 0.0f, 0.0f}));
    device->setOutputVolume(0.5f, 0);
    device->setInputVolume(0.0f, 1);
    EXPECT_EQ(outputs(), (std::vector<float>{0.3125f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(DeviceRoutingTest, BadAddressesLogTheErrorLine) {
    CapturingLogSink log;
    device->_setRawCrosspointVolume(1.0f, 24000, 0);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("input=24000, output=0"), std::string::npos);
}

namespace {

class DeviceFadeTest : public OpenDeviceFixture {
protected:
    DeviceFadeTest() {
        device->useSteppedFades(clock);
        EXPECT_TRUE(device->_attachAudio(probe));
        device->performAction(TestPlayable::kPlay, &probe);
    }
    // What the master is now, as heard on output 0 at the end of the next
    // cycle, across which a change ramps.
    float heard() { return cycleOutput(render(), 0)[kCycle - 1]; }

    ManualClock clock;
    TestPlayable probe{device.get(), "probe", TestPlayable::Signal::Constant, 1.0f, {0}};
};

} // namespace

TEST_F(DeviceFadeTest, TheMidpointIsHalfWayAndTheEndIsExact) {
    device->setMasterVolume(0.8f);
    device->fadeToMasterVolume(0.2f, 1.0);
    EXPECT_EQ(device->stepFades(), 1u); // starts at 0.8
    EXPECT_EQ(heard(), 0.8f);
    clock.setNow(0.5);
    device->stepFades();
    EXPECT_NEAR(device->masterVolume(), 0.5f, 1e-6f);
    EXPECT_NEAR(heard(), 0.5f, 1e-6f);
    clock.setNow(1.0);
    EXPECT_EQ(device->stepFades(), 0u);
    EXPECT_EQ(heard(), 0.2f);
}

TEST_F(DeviceFadeTest, ASecondFadeEndsTheFirstWithinOneStep) {
    device->fadeToMasterVolume(0.0f, 1.0);
    device->stepFades();
    clock.setNow(0.25);
    device->stepFades();
    const float reached = device->masterVolume();
    EXPECT_LT(reached, 1.0f);
    EXPECT_GT(reached, 0.0f);

    device->fadeToMasterVolume(1.0f, 1.0);
    clock.setNow(0.26);
    EXPECT_EQ(device->stepFades(), 1u) << "only the second fade is left";
    EXPECT_EQ(device->masterVolume(), reached) << "the second starts where the first was";
    clock.setNow(5.0);
    EXPECT_EQ(device->stepFades(), 0u);
    EXPECT_EQ(heard(), 1.0f) << "the first never writes its end value";
}

TEST_F(DeviceFadeTest, AFadeOfNoTimeSetsTheFinalValueAtOnce) {
    device->fadeToMasterVolume(0.3f, 0.0);
    EXPECT_EQ(device->stepFades(), 0u);
    EXPECT_EQ(device->masterVolume(), 0.3f);
}

TEST_F(DeviceFadeTest, ClosingEndsAFadeWithoutItsFinalValue) {
    device->fadeToMasterVolume(0.0f, 1.0);
    device->stepFades();
    device->close();
    clock.setNow(2.0);
    EXPECT_EQ(device->stepFades(), 0u);
    ASSERT_TRUE(device->open());
    EXPECT_EQ(device->masterVolume(), 1.0f);
}

TEST(KivAudioDeviceFadeThreads, AFadeThreadIsJoinedWhenTheDeviceCloses) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card"));
    auto device = KivAudioDevice::deviceWithUID("card");
    ASSERT_TRUE(device->open());
    device->fadeToMasterVolume(0.0f, 60.0);
    device->fadeToMasterVolume(0.5f, 60.0);
    device->close(); // joins both fade threads
    EXPECT_EQ(device->masterVolume(), 0.0f);
    ASSERT_TRUE(device->open());
    EXPECT_EQ(device->masterVolume(), 1.0f) << "no fade outlives the close";
    device->fadeToMasterVolume(0.0f, 60.0);
    device.reset(); // and the destructor joins a running one
}

TEST_F(OpenDeviceFixture, AFullScaleSineMetersMinusThreeAverageAndZeroPeak) {
    TestPlayable sine(device.get(), "sine", TestPlayable::Signal::Sine, 1.0f, {0});
    ASSERT_TRUE(device->_attachAudio(sine));
    device->performAction(TestPlayable::kPlay, &sine);
    render(48000 * 2 / kCycle); // two seconds settle the 300 ms average
    EXPECT_NEAR(device->outPostAveragePowerAtChannel(0), -3.01f, 0.1f);
    EXPECT_NEAR(device->outPostPeakHoldLevelAtChannel(0), 0.0f, 0.05f);
    EXPECT_EQ(device->outPostAveragePowerAtChannel(1), -120.0f);
    EXPECT_EQ(device->outPostPeakHoldLevelAtChannel(1), -120.0f);
}

TEST_F(OpenDeviceFixture, AClosedDeviceAnswersSilentlyAndIgnoresSetters) {
    device->close();
    CapturingLogSink log;
    EXPECT_EQ(device->masterVolume(), 0.0f);
    EXPECT_EQ(device->outPostAveragePowerAtChannel(0), -120.0f);
    EXPECT_EQ(device->outPostPeakHoldLevelAtChannel(1), -120.0f);
    device->setMasterVolume(0.5f);
    device->setVolume(0.5f, 1, 1);
    device->setDefaultVolumes();
    EXPECT_EQ(device->_setEnabled(true, 0), 0);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(device->masterVolume(), 0.0f);
}

TEST_F(OpenDeviceFixture, PrintVolumesWritesTheMixerToStandardOutput) {
    testing::internal::CaptureStdout();
    device->printVolumes();
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text.rfind("\tInput Channels = 24000, Output Channels = 2\n"
                         "\tGlobal Volume: 1.000\n"
                         "\tInput 0: 1.000 | 1.000 0.000\n"
                         "\tInput 1: 1.000 | 0.000 1.000\n"
                         "\tInput 2: 1.000 | 0.000 0.000\n",
                         0),
              0u);
    EXPECT_NE(text.find("\tInput 48: 1.000 | 1.000 0.000\n"), std::string::npos);

    device->close();
    testing::internal::CaptureStdout();
    device->printVolumes();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
