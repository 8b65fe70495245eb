#include "model/AudioOutput.h"

#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> titles(const std::vector<AudioOutput>& outputs) {
    std::vector<std::string> all;
    for (const AudioOutput& output : outputs) {
        all.push_back(output.title());
    }
    return all;
}

} // namespace

TEST(AudioOutput, EveryStereoPairOfEveryDeviceButMonoAndAirPlayOnesIsOffered) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card"));
    hardware.backend->plug(OfflineHardware::device("mono", 1));
    hardware.backend->plug(OfflineHardware::device("AirPlay", 2));
    hardware.backend->plug(OfflineHardware::device("four", 4));
    EXPECT_EQ(titles(AudioOutput::available({})),
              (std::vector<std::string>{"Card card - channels 1/2", "Card four - channels 1/2",
                                        "Card four - channels 2/3", "Card four - channels 3/4"}));
    EXPECT_EQ((AudioOutput{nullptr, 3}).title(), " - channels 3/4");
}

TEST(AudioOutput, APairKeptOnALiveDeviceKeepsItsDeviceObject) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card", 4));
    const std::vector<AudioOutput> first = AudioOutput::available({});
    ASSERT_EQ(first.size(), 3U);
    const std::vector<AudioOutput> kept{first[1]};
    const std::vector<AudioOutput> again = AudioOutput::available(kept);
    ASSERT_EQ(again.size(), 3U);
    EXPECT_EQ(again[1].device, first[1].device);
    EXPECT_NE(again[0].device, first[1].device) << "another pair gets a device of its own";
    EXPECT_TRUE(AudioOutput::sameDevice(again[0].device, first[1].device));
    EXPECT_FALSE(AudioOutput::sameDevice(again[0].device, nullptr));

    // Gone and back: the dead object is not handed out again.
    hardware.backend->unplug("card");
    hardware.backend->plug(OfflineHardware::device("card", 4));
    ASSERT_TRUE(first[1].device->died());
    const std::vector<AudioOutput> back = AudioOutput::available(kept);
    ASSERT_EQ(back.size(), 3U);
    EXPECT_FALSE(back[1].device->died());
}

TEST(AudioOutput, AVanishedDeviceIsNoLongerOfferedAndTheDefaultDeviceTakesOver) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card", 4));
    hardware.backend->plug(OfflineHardware::device("other"));
    const auto other = KivAudioDevice::deviceWithUID("other");
    std::vector<AudioOutput> outputs = AudioOutput::available({});
    EXPECT_TRUE(AudioOutput::offers(outputs, other));
    EXPECT_FALSE(AudioOutput::offers(outputs, nullptr));

    // The default device's pair at the same channel, else its first.
    EXPECT_EQ(AudioOutput::defaultEntry(outputs, 3), std::optional<std::size_t>(2));
    EXPECT_EQ(AudioOutput::defaultEntry(outputs, 7), std::optional<std::size_t>(0));

    hardware.backend->unplug("other");
    outputs = AudioOutput::available(outputs);
    EXPECT_FALSE(AudioOutput::offers(outputs, other));
    hardware.backend->unplug("card");
    EXPECT_EQ(AudioOutput::defaultEntry(AudioOutput::available(outputs), 1), std::nullopt);
}

TEST(AudioOutput, AReplacedDeviceThatWasOpenComesBackHeldOpenForItsCallerToLetGo) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card"));
    hardware.backend->plug(OfflineHardware::device("other"));
    AudioFixtures::TempFolder folder;
    auto workspace =
        std::make_shared<Workspace>(KivAudioDevice::deviceWithUID("card"), folder.path("cache"));
    const auto old = workspace->audioDevice();
    ASSERT_TRUE(old->isOpen());

    const auto held = workspace->replaceAudioDevice(KivAudioDevice::deviceWithUID("other"));
    EXPECT_EQ(held, old);
    EXPECT_EQ(workspace->audioDevice()->deviceUID(), "other");
    EXPECT_TRUE(old->isOpen()) << "closing waits on the device: the caller does it";
    held->disengage();
    EXPECT_FALSE(old->isOpen());

    // Without a device before there is nothing to let go.
    Workspace silent{nullptr, folder.path("silent")};
    EXPECT_EQ(silent.replaceAudioDevice(old), nullptr);
    EXPECT_EQ(silent.audioDevice(), old);
}
