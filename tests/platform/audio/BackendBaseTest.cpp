#include "platform/audio/BackendBase.h"

#include "foundation/ThreadRole.h"
#include "platform/audio/BackendMonitor.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace {

struct FlaggedStream {
    std::string name;
    bool overloaded = false;
    bool died = false;
    const std::string& uid() const { return name; }
    bool takeOverload() { return std::exchange(overloaded, false); }
    bool takeDeath() { return std::exchange(died, false); }
};

// Lists what it is given and opens nothing; its streams are registered by hand.
class ListingBackend : public BackendBase<FlaggedStream> {
public:
    ListingBackend()
        : BackendBase("the listing backend") {}
    std::string defaultOutputUID() override { return {}; }
    std::unique_ptr<AudioOutputStream> openOutput(const std::string&, const AudioStreamConfig&,
                                                  AudioRenderCallback&) override {
        return nullptr;
    }
    using BackendBase::addStream;
    using BackendBase::removeStream;
    using BackendBase::reportStreamEvents;
};

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

TEST(BackendBase, ReportsEachFlagOnceOverloadsBeforeDeathsOnlyForRegisteredStreams) {
    ListingBackend backend;
    Calls calls;
    backend.setListener(&calls);
    FlaggedStream a{"a", true, true};
    FlaggedStream b{"b", true, false};
    FlaggedStream gone{"gone", true, true};
    backend.addStream(&a);
    backend.addStream(&b);
    backend.addStream(&gone);
    backend.removeStream(&gone);

    backend.reportStreamEvents();
    EXPECT_EQ(calls.log, "over a;over b;died a;");
    calls.log.clear();
    backend.reportStreamEvents();
    EXPECT_EQ(calls.log, "");
    EXPECT_TRUE(gone.overloaded && gone.died);

    // With no listener the flags are still taken, so none is told late.
    backend.setListener(nullptr);
    a.died = true;
    backend.reportStreamEvents();
    EXPECT_FALSE(a.died);
    backend.removeStream(&a);
    backend.removeStream(&b);
}

TEST(BackendBase, FillsOnlyTheZeroFieldsOfARequestFromTheDevice) {
    AudioDeviceInfo device;
    device.nominalSampleRate = 44100.0;
    device.outputChannels = 6;
    device.bufferSizeInFrames = 256;

    const AudioStreamConfig filled = withDeviceDefaults({}, device);
    EXPECT_EQ(filled.sampleRate, 44100.0);
    EXPECT_EQ(filled.channels, 6u);
    EXPECT_EQ(filled.framesPerBuffer, 256u);

    AudioStreamConfig asked;
    asked.sampleRate = 96000.0;
    asked.channels = 2;
    asked.framesPerBuffer = 64;
    asked.interleaved = false;
    const AudioStreamConfig kept = withDeviceDefaults(asked, device);
    EXPECT_EQ(kept.sampleRate, 96000.0);
    EXPECT_EQ(kept.channels, 2u);
    EXPECT_EQ(kept.framesPerBuffer, 64u);
    EXPECT_FALSE(kept.interleaved);

    // A device that names no buffer size gets a usual one rather than zero.
    device.bufferSizeInFrames = 0;
    EXPECT_EQ(withDeviceDefaults({}, device).framesPerBuffer, 512u);
}

TEST(BackendMonitor, TellsWakesDescriptorsTimeoutsAndStopsApart) {
    BackendMonitor monitor("the test backend");
    ASSERT_TRUE(monitor.canWake());
    EXPECT_EQ(monitor.wait(-1, 0), BackendMonitor::Event::Timeout);

    // Wakes coalesce: two wakes are one event, and the count is cleared.
    const auto before = renderThreadAllocations();
    {
        ScopedThreadRole role(ThreadRole::Render);
        monitor.wake();
        monitor.wake();
    }
    EXPECT_EQ(renderThreadAllocations(), before);
    EXPECT_EQ(monitor.wait(-1, 0), BackendMonitor::Event::Woken);
    EXPECT_EQ(monitor.wait(-1, 0), BackendMonitor::Event::Timeout);

    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(monitor.wait(fd, 0), BackendMonitor::Event::Timeout);
    const std::uint64_t one = 1;
    ASSERT_EQ(::write(fd, &one, sizeof one), ssize_t(sizeof one));
    EXPECT_EQ(monitor.wait(fd, 0), BackendMonitor::Event::Ready);
    close(fd);

    monitor.stop();
    EXPECT_EQ(monitor.wait(-1, -1), BackendMonitor::Event::Stopped);
}

TEST(BackendMonitor, StopEndsALoopBlockedWithoutTimeoutAndJoinsIt) {
    BackendMonitor monitor("the test backend");
    std::atomic<bool> ended{false};
    monitor.start([&] {
        while (monitor.wait(-1, -1) != BackendMonitor::Event::Stopped) {
        }
        ended.store(true);
    });
    monitor.stop();
    EXPECT_TRUE(ended.load());
    monitor.stop();
}
