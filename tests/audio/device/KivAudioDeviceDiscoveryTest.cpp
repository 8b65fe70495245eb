#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "platform/audio/NullBackend.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::unique_ptr<AudioBackend>> withNull() {
    std::vector<std::unique_ptr<AudioBackend>> more;
    more.push_back(std::make_unique<NullBackend>());
    return more;
}

bool hasLine(const CapturingLogSink& log, const std::string& part) {
    for (const auto& line : log.lines()) {
        if (line.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(KivAudioDeviceDiscovery, AllDevicesInBackendOrderEachANewObject) {
    OfflineHardware offline(withNull());
    offline.backend->plug(OfflineHardware::device("a"));
    offline.backend->plug(OfflineHardware::device("b", 4));

    const auto first = KivAudioDevice::allDevices();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0]->deviceUID(), "a");
    EXPECT_EQ(first[1]->deviceUID(), "b");
    EXPECT_EQ(first[2]->deviceUID(), NullBackend::kUID) << "the null device is always listed";
    EXPECT_EQ(first[1]->outputChannels(), 4u);
    EXPECT_EQ(first[0]->name(), "Card a");
    EXPECT_EQ(first[0]->description(), "Card a");
    EXPECT_EQ(first[0]->nominalSampleRate(), 48000.0);

    const auto second = KivAudioDevice::allDevices();
    ASSERT_EQ(second.size(), 3u);
    EXPECT_NE(first[0].get(), second[0].get());
    EXPECT_EQ(first[0]->deviceID(), second[0]->deviceID());
    EXPECT_NE(first[0]->deviceID(), first[1]->deviceID());
}

TEST(KivAudioDeviceDiscovery, NullOnlyMachineStillHasADefaultOutput) {
    OfflineHardware offline(withNull());
    auto device = KivAudioDevice::defaultOutputDevice();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->deviceUID(), NullBackend::kUID);
    EXPECT_EQ(device->outputChannels(), 2u);

    offline.backend->plug(OfflineHardware::device("card"));
    EXPECT_EQ(KivAudioDevice::defaultOutputDevice()->deviceUID(), "card")
        << "the first backend's default wins";
}

TEST(KivAudioDeviceDiscovery, LookupsByUIDAndName) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    offline.backend->plug(OfflineHardware::device("b"));

    auto byUID = KivAudioDevice::deviceWithUID("b");
    ASSERT_TRUE(byUID);
    EXPECT_EQ(byUID->deviceUID(), "b");
    auto byName = KivAudioDevice::deviceWithName("Card a");
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->deviceUID(), "a");
    EXPECT_FALSE(KivAudioDevice::deviceWithName("Card z"));

    offline.backend->unplug("b");
    EXPECT_FALSE(KivAudioDevice::deviceWithUID("b")) << "an unplugged UID finds nothing";
    EXPECT_FALSE(KivAudioDevice::deviceWithUID(""));
}

TEST(KivAudioDeviceDiscovery, MissingIdsGiveNoneAndTheErrorLine) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    const AudioObjectID id = KivAudioDevice::deviceWithUID("a")->deviceID();
    offline.backend->unplug("a");

    CapturingLogSink log;
    EXPECT_FALSE(KivAudioDevice::deviceWithID(0));
    EXPECT_TRUE(log.lines().empty()) << "id 0 is simply no device";
    EXPECT_FALSE(KivAudioDevice::deviceWithID(id));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(
        log.lines()[0].rfind("Error: 560947818 [jbo!] | KivAudioDevice::deviceWithID [line ", 0),
        0u)
        << log.lines()[0];
}

TEST(KivAudioDeviceDiscovery, PropertiesOfAVanishedDeviceLogAndGiveNothing) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    auto device = KivAudioDevice::deviceWithUID("a");
    offline.backend->unplug("a");

    CapturingLogSink log;
    EXPECT_FALSE(device->name());
    EXPECT_FALSE(device->deviceModelUID());
    EXPECT_EQ(device->outputChannels(), 0u);
    EXPECT_EQ(device->nominalSampleRate(), 0.0);
    EXPECT_EQ(device->minBufferSizeInFrames(), 0u);
    EXPECT_EQ(device->maxBufferSizeInFrames(), 0u);
    EXPECT_EQ(device->outputStreamDescription().sampleRate(), 0.0);
    EXPECT_EQ(log.lines().size(), 7u);
    EXPECT_TRUE(hasLine(log, "| KivAudioDevice::outputChannels [line "));
    EXPECT_TRUE(hasLine(log, "| KivAudioDevice::deviceModelUID [line "));
    EXPECT_TRUE(hasLine(log, "| KivAudioDevice::maxBufferSizeInFrames [line "));
}

TEST(KivAudioDeviceDiscovery, IdentityAndBufferRangeAreTheBackendsOwn) {
    OfflineHardware offline;
    AudioDeviceInfo info = OfflineHardware::device("a");
    info.minBufferSizeInFrames = 32;
    info.maxBufferSizeInFrames = 2048;
    offline.backend->plug(info);
    AudioDeviceInfo other = OfflineHardware::device("b");
    offline.backend->plug(other);

    auto device = KivAudioDevice::deviceWithUID("a");
    EXPECT_EQ(device->deviceModelUID(), "model-a");
    EXPECT_EQ(device->minBufferSizeInFrames(), 32u);
    EXPECT_EQ(device->maxBufferSizeInFrames(), 2048u);
    EXPECT_EQ(KivAudioDevice::deviceWithUID("b")->deviceModelUID(), "model-b");
    EXPECT_EQ(KivAudioDevice::deviceWithUID("b")->maxBufferSizeInFrames(), 1024u);

    info = OfflineHardware::device("c");
    info.modelUID.clear();
    offline.backend->plug(info);
    CapturingLogSink log;
    EXPECT_FALSE(KivAudioDevice::deviceWithUID("c")->deviceModelUID());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("Error: 0 [    ] | KivAudioDevice::deviceModelUID", 0), 0u)
        << log.lines()[0];
}

TEST(KivAudioDeviceDiscovery, EmptyTextPropertyLogsWithStatusZero) {
    OfflineHardware offline;
    AudioDeviceInfo info = OfflineHardware::device("a");
    info.manufacturer.clear();
    offline.backend->plug(info);
    auto device = KivAudioDevice::deviceWithUID("a");
    CapturingLogSink log;
    EXPECT_FALSE(device->manufacturer());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("Error: 0 [    ] | KivAudioDevice::manufacturer", 0), 0u)
        << log.lines()[0];
}

TEST(KivAudioDeviceDiscovery, ReplugGivesANewIdAndIdsAreNeverReused) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    const AudioObjectID before = KivAudioDevice::deviceWithUID("a")->deviceID();
    offline.backend->unplug("a");
    offline.backend->plug(OfflineHardware::device("a"));
    const AudioObjectID after = KivAudioDevice::deviceWithUID("a")->deviceID();
    EXPECT_NE(before, after);
    EXPECT_FALSE(KivAudioDevice::deviceWithID(before)) << "the old id stays gone";
}

TEST(KivAudioDeviceDiscovery, OutputStreamDescriptionFollowsTheDevice) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a", 6));
    const auto d = KivAudioDevice::deviceWithUID("a")->outputStreamDescription();
    EXPECT_EQ(d.sampleRate(), 48000.0);
    EXPECT_EQ(d.channels(), 6u);
    EXPECT_FALSE(d.isInterleaved());
}
