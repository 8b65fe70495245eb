#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

// The buffer size set on a device is what its streams open at from the next
// open on, within the device's range, and every object of the device sees it.
TEST(KivAudioDeviceBufferSize, ASetSizeOpensTheNextStreamWithinTheRange) {
    OfflineHardware hardware;
    hardware.backend->plug(OfflineHardware::device("card")); // 64 frames, 16 to 1024
    auto device = KivAudioDevice::deviceWithUID("card");
    ASSERT_TRUE(device->open());
    EXPECT_EQ(device->streamConfig()->framesPerBuffer, 64u);

    EXPECT_TRUE(device->setBufferSizeInFrames(256));
    EXPECT_EQ(device->bufferSizeInFrames(), 256u);
    EXPECT_EQ(KivAudioDevice::deviceWithUID("card")->bufferSizeInFrames(), 256u);
    EXPECT_EQ(device->streamConfig()->framesPerBuffer, 64u) << "the open stream keeps its size";
    ASSERT_TRUE(device->open());
    EXPECT_EQ(device->streamConfig()->framesPerBuffer, 256u);

    EXPECT_TRUE(device->setBufferSizeInFrames(8));
    EXPECT_EQ(device->bufferSizeInFrames(), device->minBufferSizeInFrames());
    EXPECT_EQ(device->bufferSizeInFrames(), 16u);
    EXPECT_TRUE(device->setBufferSizeInFrames(100000));
    EXPECT_EQ(device->bufferSizeInFrames(), device->maxBufferSizeInFrames());
    EXPECT_EQ(device->bufferSizeInFrames(), 1024u);

    // A rescan that lists the device again keeps the size.
    hardware.backend->plug(OfflineHardware::device("other"));
    EXPECT_EQ(device->bufferSizeInFrames(), 1024u);
    device->close();

    hardware.backend->unplug("card");
    CapturingLogSink log;
    EXPECT_FALSE(device->setBufferSizeInFrames(128));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("KivAudioDevice::setBufferSizeInFrames"), std::string::npos);
}
