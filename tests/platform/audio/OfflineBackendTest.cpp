#include "platform/audio/OfflineBackend.h"

#include "RenderProbe.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

namespace {

AudioDeviceInfo device(const std::string& uid) {
    AudioDeviceInfo info;
    info.uid = uid;
    info.name = uid;
    info.outputChannels = 2;
    info.nominalSampleRate = 48000.0;
    info.bufferSizeInFrames = 32;
    return info;
}

class Calls : public AudioBackendListener {
public:
    void deviceListChanged() override { log += "list;"; }
    void defaultOutputChanged() override { log += "default;"; }
    void deviceDied(const std::string& uid) override { log += "died " + uid + ";"; }
    void deviceOverloaded(const std::string& uid) override { log += "over " + uid + ";"; }
    void sampleRateChanged(const std::string& uid) override { log += "rate " + uid + ";"; }
    std::string log;
};

} // namespace

TEST(OfflineBackend, RendersInCyclesOnTheCallersThreadMarkedAsRender) {
    OfflineBackend backend;
    backend.plug(device("a"));
    RenderProbe probe;
    auto stream = backend.openOutput("a", {}, probe);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->config().framesPerBuffer, 32u);
    EXPECT_EQ(stream->config().channels, 2u);

    backend.render(100);
    EXPECT_EQ(probe.cycles.load(), 0) << "a stream renders only once started";
    ASSERT_TRUE(stream->start());
    const std::uint64_t allocations = renderThreadAllocations();
    backend.render(100);
    EXPECT_EQ(renderThreadAllocations(), allocations) << "capturing happens outside the cycle";
    EXPECT_EQ(probe.cycles.load(), 4) << "32 + 32 + 32 + 4";
    EXPECT_TRUE(probe.allRender.load());
    EXPECT_TRUE(probe.contiguous.load());
    EXPECT_EQ(probe.thread, std::this_thread::get_id());
    EXPECT_FALSE(isRenderThread()) << "the role ends with the callback";

    const auto out = backend.capturedOutput("a");
    ASSERT_EQ(out.size(), 200u);
    for (std::uint64_t f = 0; f < 100; ++f) {
        ASSERT_EQ(out[f * 2], RenderProbe::expected(f, 0)) << f;
        ASSERT_EQ(out[f * 2 + 1], RenderProbe::expected(f, 1)) << f;
    }
    // A stretch of it, cut at its end, and none past it or of another device.
    EXPECT_EQ(backend.capturedSampleCount("a"), 200u);
    EXPECT_EQ(backend.capturedOutput("a", 150, 10),
              std::vector<float>(out.begin() + 150, out.begin() + 160));
    EXPECT_EQ(backend.capturedOutput("a", 190, 50).size(), 10u);
    EXPECT_TRUE(backend.capturedOutput("a", 200, 1).empty());
    EXPECT_TRUE(backend.capturedOutput("b", 0, 1).empty());
    EXPECT_EQ(backend.capturedSampleCount("b"), 0u);
    stream->stop();
    backend.render(10);
    EXPECT_EQ(backend.capturedOutput("a").size(), 200u);
}

TEST(OfflineBackend, NonInterleavedStreamsAreCapturedInterleaved) {
    OfflineBackend backend;
    backend.plug(device("a"));
    RenderProbe probe;
    AudioStreamConfig config;
    config.interleaved = false;
    config.framesPerBuffer = 16;
    auto stream = backend.openOutput("a", config, probe);
    stream->start();
    backend.render(40);
    const auto out = backend.capturedOutput("a");
    ASSERT_EQ(out.size(), 80u);
    EXPECT_EQ(out[78], RenderProbe::expected(39, 0));
    EXPECT_EQ(out[79], RenderProbe::expected(39, 1));
}

TEST(OfflineBackend, HooksTellTheListenerAndUnpluggedDevicesStopRendering) {
    OfflineBackend backend;
    Calls calls;
    backend.setListener(&calls);
    backend.plug(device("a"));
    backend.plug(device("b"));
    EXPECT_EQ(calls.log, "list;default;list;");
    EXPECT_EQ(backend.defaultOutputUID(), "a");

    RenderProbe probe;
    auto stream = backend.openOutput("a", {}, probe);
    stream->start();
    calls.log.clear();
    backend.overload("a");
    backend.changeSampleRate("a", 44100.0);
    backend.setDefaultOutput("b");
    backend.setDefaultOutput("missing");
    EXPECT_EQ(calls.log, "over a;rate a;default;");
    EXPECT_EQ(backend.devices()[0].nominalSampleRate, 44100.0);

    calls.log.clear();
    backend.unplug("a");
    EXPECT_EQ(calls.log, "died a;list;");
    backend.render(64);
    EXPECT_EQ(probe.cycles.load(), 0);
    EXPECT_FALSE(backend.openOutput("a", {}, probe)) << "a device that is gone does not open";
    backend.setListener(nullptr);
}
