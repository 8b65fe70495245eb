#include "platform/audio/NullBackend.h"

#include "RenderProbe.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <vector>

TEST(NullBackend, ListsOneStereoDeviceWithAStableUID) {
    NullBackend backend;
    const auto devices = backend.devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].uid, NullBackend::kUID);
    EXPECT_EQ(devices[0].outputChannels, 2u);
    EXPECT_EQ(backend.defaultOutputUID(), NullBackend::kUID);
    EXPECT_EQ(NullBackend().devices()[0], devices[0]);
}

TEST(NullBackend, RendersOnItsOwnRenderThreadUntilStopped) {
    NullBackend backend;
    RenderProbe probe;
    AudioStreamConfig config;
    config.framesPerBuffer = 64;
    config.sampleRate = 192000.0;
    auto stream = backend.openOutput(NullBackend::kUID, config, probe);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->config().channels, 2u);
    EXPECT_EQ(stream->config().framesPerBuffer, 64u);
    const std::uint64_t allocations = renderThreadAllocations();
    ASSERT_TRUE(stream->start());
    EXPECT_TRUE(stream->isRunning());
    ASSERT_TRUE(probe.waitForFrames(64 * 4));
    stream->stop();
    const int cycles = probe.cycles.load();
    EXPECT_FALSE(stream->isRunning());
    EXPECT_TRUE(probe.allRender.load()) << "the callback runs on a thread marked as render";
    EXPECT_TRUE(probe.contiguous.load());
    EXPECT_NE(probe.thread, std::this_thread::get_id());
    EXPECT_EQ(probe.cycles.load(), cycles) << "nothing renders after stop() returns";
    EXPECT_EQ(renderThreadAllocations(), allocations);
}

TEST(NullBackend, RefusesOtherDevices) {
    CapturingLogSink log;
    NullBackend backend;
    RenderProbe probe;
    EXPECT_FALSE(backend.openOutput("hw:CARD=x,DEV=0", {}, probe));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "Error: the null backend has no device hw:CARD=x,DEV=0");
}
