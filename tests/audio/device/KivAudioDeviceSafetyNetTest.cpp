#include "audio/OpenDeviceFixture.h"
#include "audio/TestPlayable.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using DeviceSafetyNetTest = OpenDeviceFixture;

} // namespace

// Whatever lets a NaN or an infinity through upstream, the device puts out
// silence for that block, counts it and warns once, not once a cycle.
TEST_F(DeviceSafetyNetTest, ANonFiniteBlockLeavesSilentAndIsCounted) {
    CapturingLogSink log;
    TestPlayable nan(device.get(), "nan", TestPlayable::Signal::Constant,
                     std::numeric_limits<float>::quiet_NaN(), {0});
    TestPlayable tone(device.get(), "tone", TestPlayable::Signal::Constant, 0.5f, {1});
    ASSERT_TRUE(device->_attachAudio(nan));
    ASSERT_TRUE(device->_attachAudio(tone));
    device->performAction(TestPlayable::kPlay, &tone);
    const std::size_t clean = render();
    EXPECT_EQ(cycleOutput(clean, 1), constant(0.5f));
    EXPECT_EQ(device->nonFiniteBlockCount(), 0u);

    device->performAction(TestPlayable::kPlay, &nan);
    const auto allocations = renderThreadAllocations();
    const std::size_t first = render(100);
    EXPECT_EQ(renderThreadAllocations(), allocations);
    for (std::size_t cycle = first; cycle < first + 100; ++cycle) {
        ASSERT_EQ(cycleOutput(cycle, 0), constant(0.0f)) << "cycle " << cycle;
        ASSERT_EQ(cycleOutput(cycle, 1), constant(0.0f)) << "cycle " << cycle;
    }
    EXPECT_EQ(device->nonFiniteBlockCount(), 100u);
    drainRealtimeLog();
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("Warning: audio device ", 0), 0u) << log.lines()[0];
    EXPECT_NE(log.lines()[0].find("non-finite sample"), std::string::npos) << log.lines()[0];

    device->performAction(TestPlayable::kStop, &nan);
    const std::size_t after = render();
    EXPECT_EQ(cycleOutput(after, 1), constant(0.5f));
    EXPECT_EQ(device->nonFiniteBlockCount(), 100u);
}

TEST(KivAudioDeviceSafetyNet, AnInfinityInAnInterleavedStreamIsCaughtToo) {
    OfflineHardware hardware;
    hardware.backend->setInterleavedOnly(true);
    hardware.backend->plug(OfflineHardware::device("card", 2));
    auto device = KivAudioDevice::deviceWithUID("card");
    ASSERT_TRUE(device->open());
    ASSERT_TRUE(device->streamConfig()->interleaved);
    TestPlayable loud(device.get(), "loud", TestPlayable::Signal::Impulse,
                      std::numeric_limits<float>::infinity(), {1});
    ASSERT_TRUE(device->_attachAudio(loud));
    device->performAction(TestPlayable::kPlay, &loud);
    hardware.backend->render(128);
    const auto captured = hardware.backend->capturedOutput("card");
    ASSERT_EQ(captured.size(), 256u);
    for (float sample : captured) {
        ASSERT_EQ(sample, 0.0f);
    }
    EXPECT_EQ(device->nonFiniteBlockCount(), 1u);
    device->close();
    drainRealtimeLog();
}
