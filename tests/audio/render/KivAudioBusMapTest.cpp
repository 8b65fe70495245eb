#include "audio/render/KivAudioBusMap.h"

#include "audio/DeviceMixerFixture.h"
#include "audio/ImpulseSource.h"
#include "foundation/KivEnvironment.h"
#include "foundation/ThreadRole.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

class KivAudioBusMapTest : public DeviceMixerFixture {
protected:
    bool attach(ImpulseSource& source, const char* name = "source") {
        return buses->attach(source, "Device", name);
    }
    void detach(ImpulseSource& source, const char* name = "source") {
        buses->detach(source, "Device", name);
    }
};

// Sets the log level for one test and restores it.
class ScopedLogLevel {
public:
    explicit ScopedLogLevel(int level)
        : _previous(KivEnvironment::logLevel()) {
        KivEnvironment::setLogLevel(level);
    }
    ~ScopedLogLevel() { KivEnvironment::setLogLevel(_previous); }

private:
    int _previous;
};

} // namespace

TEST_F(KivAudioBusMapTest, ANewMapHasEveryBusFreeAndDisabled) {
    EXPECT_EQ(buses->busCount(), 500u);
    EXPECT_EQ(buses->freeBusCount(), 500u);
    EXPECT_FALSE(busEnabled(0));
    EXPECT_FALSE(busEnabled(499));
}

TEST_F(KivAudioBusMapTest, BusesAreTakenFromTheFrontAndAFreedBusIsReusedFirst) {
    ImpulseSource first, second, third;
    ASSERT_TRUE(attach(first));
    ASSERT_TRUE(attach(second));
    EXPECT_EQ(buses->busOf(first), 0u);
    EXPECT_EQ(buses->busOf(second), 1u);
    EXPECT_TRUE(busEnabled(0));
    EXPECT_TRUE(busEnabled(1));

    detach(first);
    EXPECT_EQ(buses->busOf(first), std::nullopt);
    EXPECT_FALSE(busEnabled(0));
    ASSERT_TRUE(attach(third));
    EXPECT_EQ(buses->busOf(third), 0u);
    EXPECT_EQ(buses->attached(), (std::vector<KivAudioRendering*>{&second, &third}));
    EXPECT_EQ(buses->freeBusCount(), 498u);
}

TEST_F(KivAudioBusMapTest, AttachingTwiceKeepsOneBus) {
    ImpulseSource source;
    ASSERT_TRUE(attach(source));
    ASSERT_TRUE(attach(source));
    EXPECT_EQ(buses->busOf(source), 0u);
    EXPECT_EQ(buses->freeBusCount(), 499u);
    EXPECT_EQ(buses->attached().size(), 1u);
}

TEST_F(KivAudioBusMapTest, DetachingSomethingNotAttachedChangesNothing) {
    ImpulseSource attached, stranger;
    ASSERT_TRUE(attach(attached));
    detach(stranger);
    EXPECT_EQ(buses->busOf(attached), 0u);
    EXPECT_EQ(buses->freeBusCount(), 499u);
}

TEST_F(KivAudioBusMapTest, The501stAttachIsRefusedWithTheBusLine) {
    std::vector<ImpulseSource> sources(501);
    for (std::uint32_t i = 0; i < 500; ++i) {
        ASSERT_TRUE(attach(sources[i]));
    }
    CapturingLogSink log;
    EXPECT_FALSE(attach(sources[500], "[last.wav played to Device]"));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Error: No busses left for device Device; can't attach "
                                        "[last.wav played to Device]"}));
    EXPECT_EQ(buses->busOf(sources[500]), std::nullopt);

    detach(sources[7]);
    EXPECT_TRUE(attach(sources[500]));
    EXPECT_EQ(buses->busOf(sources[500]), 7u);
}

TEST_F(KivAudioBusMapTest, AttachAndDetachAreTracedAtLogLevel3) {
    ImpulseSource source;
    {
        ScopedLogLevel level(2);
        CapturingLogSink log;
        attach(source, "[a.wav played to Device]");
        detach(source, "[a.wav played to Device]");
        EXPECT_TRUE(log.lines().empty());
    }
    ScopedLogLevel level(3);
    CapturingLogSink log;
    attach(source, "[a.wav played to Device]");
    detach(source, "[a.wav played to Device]");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Device attaching [a.wav played to Device]",
                                                     "Device detaching [a.wav played to Device]"}));
}

TEST_F(KivAudioBusMapTest, PullCallsEachRendererOnItsOwnBusZeroWithTheCyclesArguments) {
    ImpulseSource first, second;
    ASSERT_TRUE(attach(first));
    ASSERT_TRUE(attach(second));
    route(0, 0);
    route(1, 1);
    first._play();
    second.setFlagsToSet(0x10);

    KivRenderFlags flags = 0;
    EXPECT_EQ(pull(flags, 512.0), 0);
    EXPECT_EQ(first.renders(), 1);
    EXPECT_EQ(second.renders(), 1);
    EXPECT_EQ(first.lastBus(), 0u);
    EXPECT_EQ(second.lastBus(), 0u);
    EXPECT_EQ(first.lastSampleTime(), 512.0);
    EXPECT_EQ(flags, 0x10u);
    EXPECT_EQ(samples[0][0], 1.0f);
    EXPECT_EQ(samples[1][0], 0.0f);
}

TEST_F(KivAudioBusMapTest, ARenderersStatusComesBackWhole) {
    ImpulseSource source;
    ASSERT_TRUE(attach(source));
    route(0, 0);
    source.setStatus(-66748); // does not fit 16 bits
    EXPECT_EQ(pull(), -66748);
}

TEST_F(KivAudioBusMapTest, AnEnabledBusWithoutARendererIsSilentNotStale) {
    ImpulseSource loud;
    ASSERT_TRUE(attach(loud));
    route(0, 0);
    route(1, 0);
    // Bus 1 is enabled but has no entry: it must not repeat bus 0's samples
    // from the mixer's shared bus buffer.
    mixer->setParameter(MixerParameter::Enable, MixerScope::Input, 1, 1.0f);
    loud._play();
    pull();
    EXPECT_EQ(samples[0][0], 1.0f);
}

TEST_F(KivAudioBusMapTest, ADetachedRendererIsNeverPulledAgain) {
    ImpulseSource source;
    ASSERT_TRUE(attach(source));
    route(0, 0);
    pull();
    detach(source);
    pull();
    EXPECT_EQ(source.renders(), 1);
}

TEST_F(KivAudioBusMapTest, PullingDoesNotAllocate) {
    std::vector<ImpulseSource> sources(64);
    for (std::uint32_t i = 0; i < sources.size(); ++i) {
        ASSERT_TRUE(attach(sources[i]));
        route(i, i % 2);
        sources[i]._play();
    }
    const auto before = renderThreadAllocations();
    {
        ScopedThreadRole role(ThreadRole::Render);
        pull();
        pull();
    }
    EXPECT_EQ(renderThreadAllocations(), before);
}

// A render thread pulls while a control thread attaches and detaches; once
// detach returns the object is retired, and a pull of a retired object would
// count. Run under ThreadSanitizer too.
TEST_F(KivAudioBusMapTest, NoPullReachesADetachedObject) {
    struct Retirable : ImpulseSource {
        std::atomic<bool> retired{false};
        std::atomic<int>* violations = nullptr;
        std::int32_t render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                            std::uint32_t bus, const AudioChannels& data) override {
            if (retired.load()) {
                violations->fetch_add(1);
            }
            return ImpulseSource::render(flags, timeStamp, bus, data);
        }
    };
    route(0, 0);
    route(1, 1);
    std::atomic<int> violations{0};
    std::atomic<bool> running{true};
    std::thread render([&] {
        ScopedThreadRole role(ThreadRole::Render);
        while (running.load()) {
            KivRenderFlags flags = 0;
            const KivRenderTimeStamp timeStamp;
            float left[kFrames], right[kFrames];
            float* channels[] = {left, right};
            buses->pull(flags, timeStamp, {channels, 2, kFrames});
        }
    });
    for (int round = 0; round < 2000; ++round) {
        auto source = std::make_unique<Retirable>();
        source->violations = &violations;
        ASSERT_TRUE(buses->attach(*source, "Device", "source"));
        buses->detach(*source, "Device", "source");
        source->retired.store(true);
    }
    running.store(false);
    render.join();
    EXPECT_EQ(violations.load(), 0);
}
