#include "audio/render/KivRenderInfo.h"

#include "audio/ImpulseSource.h"
#include "audio/render/KivAudioRendering.h"
#include "audio/source/KivAudioReading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Reads a staircase: frame i of the reader's stream is i, from `available`
// frames; the rest of a request is silence.
class StaircaseReader : public KivAudioReading {
public:
    explicit StaircaseReader(std::uint32_t available)
        : _available(available) {}
    std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                             std::uint32_t offset) override {
        const std::uint32_t produced = std::min(frames, _available);
        for (std::uint32_t k = 0; k < destination.channelCount; ++k) {
            for (std::uint32_t i = 0; i < frames; ++i) {
                destination.channels[k][offset + i] = i < produced ? float(i) : 0.0f;
            }
        }
        return produced;
    }

private:
    std::uint32_t _available;
};

struct Device {
    int notifications = 0;
    std::int32_t notify(KivRenderFlags& flags, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels&) {
        ++notifications;
        flags = 7;
        return 3;
    }
};

} // namespace

TEST(KivRenderInfo, ARegisteredRendererIsCalledThroughItsRecord) {
    ImpulseSource source;
    source._play();
    KivRenderInfo info;
    source.registerRenderInfo(&info);
    ASSERT_TRUE(info.isSet());
    EXPECT_STREQ(info.selector, "render:timeStamp:busNumber:numberFrames:data:");

    float samples[4] = {9, 9, 9, 9};
    float* channels[] = {samples};
    KivRenderFlags flags = 0;
    EXPECT_EQ(info.call(flags, {}, 0, {channels, 1, 4}), 0);
    EXPECT_EQ(source.renders(), 1);
    EXPECT_EQ(samples[0], 1.0f);
    EXPECT_EQ(samples[3], 0.0f);

    source.registerRenderInfo(nullptr); // does nothing
}

TEST(KivRenderInfo, AnUnsetRecordIsSkipped) {
    KivRenderInfo info;
    KivRenderFlags flags = 0;
    EXPECT_EQ(info.call(flags, {}, 0, {}), 0);
    info.target = &flags; // a target without a method is still unset
    EXPECT_FALSE(info.isSet());
    EXPECT_EQ(info.call(flags, {}, 0, {}), 0);
}

TEST(KivRenderInfo, ABoundMemberIsCalledWithTheCyclesArguments) {
    Device device;
    const auto info = KivRenderInfo::bind<Device, &Device::notify>(&device, "notify");
    KivRenderFlags flags = 0;
    EXPECT_EQ(info.call(flags, {}, 0, {}), 3);
    EXPECT_EQ(flags, 7u);
    EXPECT_EQ(device.notifications, 1);
}

TEST(KivReadFramesInfo, AReaderIsCalledThroughItsRecordAtTheOffset) {
    StaircaseReader reader(3);
    KivReadFramesInfo info;
    reader.registerReadFramesInfo(&info);
    EXPECT_STREQ(info.selector, "readFrames:toAudioBufferList:atOffset:");

    std::vector<float> samples(6, -1.0f);
    float* channels[] = {samples.data()};
    EXPECT_EQ(info.call(4, {channels, 1, 6}, 2), 3u);
    EXPECT_EQ(samples, (std::vector<float>{-1, -1, 0, 1, 2, 0}));

    KivReadFramesInfo unset;
    EXPECT_EQ(unset.call(4, {channels, 1, 6}, 0), 0u);
}
