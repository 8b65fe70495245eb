#include "model/WorkspaceOutput.h"

#include "audio/OfflineHardware.h"
#include "audio/TestPlayable.h"
#include "audio/device/KivAudioDevice.h"
#include "foundation/Clock.h"
#include "platform/undo/UndoManager.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kCycle = 64;

// A four-output card with two feeds playing: 1/2 on feed channel 0 and 1/4 on
// feed channel 1, so each output shows which feed reaches it.
class WorkspaceOutputTest : public ::testing::Test {
protected:
    WorkspaceOutputTest() {
        device->useSteppedFades(clock);
        output = std::make_unique<WorkspaceOutput>(device, undo);
        for (TestPlayable* feed : {&feed0, &feed1}) {
            EXPECT_TRUE(device->_attachAudio(*feed));
            device->performAction(TestPlayable::kPlay, feed);
        }
    }
    ~WorkspaceOutputTest() override {
        for (TestPlayable* feed : {&feed0, &feed1}) {
            device->_detachAudio(*feed);
        }
        output.reset();
    }

    // Frame 0 of each output once the last change has ramped in (across the
    // next cycle): of the cycle after it.
    std::vector<float> outputs(const std::string& uid = "card", std::uint32_t channels = 4) {
        hardware.backend->render(2 * kCycle);
        const auto captured = hardware.backend->capturedOutput(uid);
        const std::size_t cycleStart = captured.size() - kCycle * channels;
        std::vector<float> levels;
        for (std::uint32_t m = 0; m < channels; ++m) {
            levels.push_back(captured.at(cycleStart + m));
        }
        return levels;
    }

    static std::shared_ptr<KivAudioDevice> plugged(OfflineHardware& hardware) {
        hardware.backend->plug(OfflineHardware::device("card", 4));
        hardware.backend->plug(OfflineHardware::device("other", 2));
        return KivAudioDevice::deviceWithUID("card");
    }

    OfflineHardware hardware;
    ManualClock clock;
    UndoManager undo;
    std::shared_ptr<KivAudioDevice> device = plugged(hardware);
    std::unique_ptr<WorkspaceOutput> output;
    TestPlayable feed0{device.get(), "feed 0", TestPlayable::Signal::Constant, 0.5f, {0}};
    TestPlayable feed1{device.get(), "feed 1", TestPlayable::Signal::Constant, 0.25f, {1}};
};

TEST_F(WorkspaceOutputTest, TheDeviceStaysOpenWhenTheLastCueStops) {
    EXPECT_TRUE(device->isOpen());
    EXPECT_EQ(device->engagedCount(), 1);
    device->engage();    // a cue plays
    device->disengage(); // and stops
    EXPECT_TRUE(device->isOpen());
    output.reset();
    EXPECT_FALSE(device->isOpen());
}

TEST_F(WorkspaceOutputTest, TheDeviceChannelRoutesConsecutiveFeedsFromIt) {
    output->setDeviceChannel(3);
    EXPECT_EQ(outputs(), (std::vector<float>{0.0f, 0.0f, 0.5f, 0.25f}));
    output->setDeviceChannel(4);
    EXPECT_EQ(outputs(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.5f}));
    output->setDeviceChannel(0);
    EXPECT_EQ(output->deviceChannel(), 1);
    EXPECT_EQ(outputs(), (std::vector<float>{0.5f, 0.25f, 0.0f, 0.0f}));
    output->setDeviceChannel(5);
    EXPECT_EQ(outputs(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(WorkspaceOutputTest, MasterVolumeChangesAreNamedUndoSteps) {
    output->setMasterVolume(0.5f);
    undo.endTurn();
    EXPECT_EQ(undo.undoActionName(), "Volume Change");
    EXPECT_EQ(output->previousVolume(), 1.0f);
    EXPECT_EQ(outputs()[0], 0.25f);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(output->masterVolume(), 1.0f);
    EXPECT_EQ(output->storedMasterVolume(), 1.0f);
    EXPECT_EQ(outputs()[0], 0.5f);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(output->masterVolume(), 0.5f);
}

TEST_F(WorkspaceOutputTest, DuckingFadesToTheDuckedVolumeAndBack) {
    output->setMasterVolume(0.8f);
    output->duck();
    EXPECT_TRUE(output->isDucked());
    device->stepFades();
    clock.advance(WorkspaceOutput::kDuckTime);
    device->stepFades();
    EXPECT_EQ(device->masterVolume(), WorkspaceOutput::kDefaultDuckedVolume);

    // While ducked the slider sets the ducked volume, its own undo step.
    output->setMasterVolume(0.3f);
    undo.endTurn();
    EXPECT_EQ(undo.undoActionName(), "Ducking Volume Change");
    EXPECT_EQ(output->duckedVolume(), 0.3f);
    EXPECT_EQ(output->storedMasterVolume(), 0.8f);
    EXPECT_EQ(device->masterVolume(), 0.3f);

    output->unduck();
    EXPECT_FALSE(output->isDucked());
    device->stepFades();
    clock.advance(WorkspaceOutput::kDuckTime);
    device->stepFades();
    EXPECT_EQ(device->masterVolume(), 0.8f);
}

TEST_F(WorkspaceOutputTest, RestoredValuesReachTheDeviceWhenApplied) {
    output->restore(0.7f, 0.2f, true);
    output->applyMasterVolume();
    EXPECT_EQ(device->masterVolume(), 0.2f);
    EXPECT_EQ(output->storedMasterVolume(), 0.7f);
    output->restore(0.7f, 0.2f, false);
    output->applyMasterVolume();
    EXPECT_EQ(output->masterVolume(), 0.7f);
}

TEST_F(WorkspaceOutputTest, ANewDeviceIsHeldRoutedAndSetBeforeTheOldOneGoes) {
    output->setDeviceChannel(2);
    output->setMasterVolume(0.5f);
    auto other = KivAudioDevice::deviceWithUID("other");
    for (TestPlayable* feed : {&feed0, &feed1}) {
        device->_detachAudio(*feed);
    }
    output->setAudioDevice(other);
    EXPECT_FALSE(device->isOpen());
    EXPECT_TRUE(other->isOpen());
    EXPECT_EQ(other->engagedCount(), 1);
    EXPECT_EQ(other->masterVolume(), 0.5f);
    device = other; // so the fixture detaches from the device in use
}

} // namespace
