#include "platform/audio/JackBackend.h"

#include "Blocker.h"
#include "FakeJackServer.h"
#include "JackRecorder.h"
#include "JackTestServer.h"
#include "RenderProbe.h"
#include "audio/device/KivActionInfo.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "audio/device/KivAudioPlayable.h"
#include "foundation/KivEnvironment.h"
#include "platform/audio/WorkerBackend.h"
#include "support/CannotRun.h"
#include "support/CapturingLogSink.h"
#include "support/CleanTake.h"
#include "support/RenderThreadAllocations.h"
#include "support/RenderThreadLocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// Keeps what the backend's notification thread told, and lets the test wait
// for it.
class Listener : public AudioBackendListener {
public:
    void deviceListChanged() override { note(listChanges); }
    void defaultOutputChanged() override {}
    void deviceDied(const std::string&) override { note(deaths); }
    void deviceOverloaded(const std::string&) override { note(overloads); }
    void sampleRateChanged(const std::string&) override { note(rateChanges); }

    // The bound only keeps a broken server from hanging the run.
    bool waitFor(const std::atomic<int>& counter, int atLeast) {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, std::chrono::seconds(20),
                                 [&] { return counter.load() >= atLeast; });
    }

    std::atomic<int> listChanges{0};
    std::atomic<int> deaths{0};
    std::atomic<int> overloads{0};
    std::atomic<int> rateChanges{0};

private:
    void note(std::atomic<int>& counter) {
        counter.fetch_add(1);
        std::lock_guard lock(_mutex);
        _changed.notify_all();
    }
    std::mutex _mutex;
    std::condition_variable _changed;
};

JackBackend::Options on(const JackTestServer& server, bool monitor = true) {
    JackBackend::Options options;
    options.serverName = server.name();
    options.monitor = monitor;
    return options;
}

// Each test has a server of its own.
class JackServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!JackTestServer::installed()) {
            return cannotRun("jackd is not installed (Debian package jackd2)");
        }
        ASSERT_TRUE(server.start()) << "jackd did not start";
    }

    JackTestServer server{48000, 256};
};

// Full scale on one channel from the cycle it is played in.
class Cue final : public KivAudioPlayable {
public:
    Cue(KivAudioDevice* device, std::uint32_t channel)
        : _device(device)
        , _channel(channel) {}
    void _play() { _playing.store(true); }
    static constexpr auto kPlay = kivAction<Cue, &Cue::_play>("_play");

    KivAudioDevice* device() const override { return _device; }
    std::string description() const override { return "cue"; }
    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        const bool playing = _playing.load();
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            if (float* out = data.channels[k]) {
                std::fill_n(out, data.frameCount, playing && k == _channel ? 1.0f : 0.0f);
            }
        }
        return 0;
    }

private:
    KivAudioDevice* _device;
    const std::uint32_t _channel;
    std::atomic<bool> _playing{false};
};

// The application's hardware with only the test server's backend.
std::shared_ptr<KivAudioDevice> deviceOn(const JackTestServer& server) {
    std::vector<std::unique_ptr<AudioBackend>> backends;
    auto backend = std::make_unique<JackBackend>(on(server));
    const std::string uid = backend->uid();
    backends.push_back(std::move(backend));
    KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
    return KivAudioDevice::deviceWithUID(uid);
}

} // namespace

TEST_F(JackServer, ListsTheServerWithItsRatePeriodAndPlaybackPorts) {
    JackBackend backend(on(server, false));
    const auto devices = backend.devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].uid, "jack:" + server.name());
    EXPECT_EQ(devices[0].nominalSampleRate, 48000.0);
    EXPECT_EQ(devices[0].bufferSizeInFrames, 256u);
    EXPECT_EQ(devices[0].outputChannels, 2u);
    EXPECT_EQ(backend.defaultOutputUID(), devices[0].uid);
}

// A backend told no server reaches the one JACK_DEFAULT_SERVER names, as
// every JACK client does, and lists it under that server's name, so that a
// show saved on it looks for it by that name.
TEST_F(JackServer, TheDefaultServerIsListedUnderTheNameTheEnvironmentGivesIt) {
    const char* before = std::getenv("JACK_DEFAULT_SERVER");
    const std::string kept = before ? before : "";
    setenv("JACK_DEFAULT_SERVER", server.name().c_str(), 1);
    JackBackend::Options options;
    options.monitor = false;
    JackBackend backend(options);
    if (before) {
        setenv("JACK_DEFAULT_SERVER", kept.c_str(), 1);
    } else {
        unsetenv("JACK_DEFAULT_SERVER");
    }
    EXPECT_EQ(backend.uid(), "jack:" + server.name());
    const auto devices = backend.devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].uid, "jack:" + server.name());
    EXPECT_EQ(devices[0].name, "JACK (" + server.name() + ")");
    RenderProbe probe;
    auto stream = backend.openOutput(devices[0].uid, {}, probe);
    ASSERT_TRUE(stream) << "the stream reaches the server the device is named by";
    EXPECT_TRUE(stream->start());
    stream->stop();
}

TEST(JackBackend, WithoutAServerNothingIsListedAndOneLineIsLogged) {
    KivEnvironment::setLogLevel(1);
    CapturingLogSink log;
    JackBackend::Options options;
    options.serverName = "pondra-test-absent-" + std::to_string(getpid());
    options.monitor = false;
    JackBackend backend(options);
    backend.rescan();
    KivEnvironment::setLogLevel(0);
    EXPECT_TRUE(backend.devices().empty());
    EXPECT_TRUE(backend.defaultOutputUID().empty());
    RenderProbe probe;
    EXPECT_FALSE(backend.openOutput("jack:" + options.serverName, {}, probe));
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("No JACK server"); }),
              1);
}

TEST_F(JackServer, StreamRendersOnTheProcessThreadIntoConnectedPortsWithoutAllocating) {
    JackBackend backend(on(server, false));
    JackRecorder recorder(server.name(), 48000);
    ASSERT_TRUE(recorder.valid());
    RenderProbe probe;
    auto stream = backend.openOutput(backend.uid(), {}, probe);
    ASSERT_TRUE(stream);
    const AudioStreamConfig config = stream->config();
    EXPECT_EQ(config.sampleRate, 48000.0);
    EXPECT_EQ(config.framesPerBuffer, 256u);
    EXPECT_EQ(config.channels, 2u);
    EXPECT_FALSE(config.interleaved);
    const auto allocations = renderThreadAllocations();
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(recorder.listenToPondra());
    ASSERT_TRUE(probe.waitForFrames(4096));
    // Once connected, every recorded frame is the next step of the staircase.
    cleanTake([&] { return recorder.lateCycles(); },
              [&] {
                  const std::size_t from = recorder.recorded.load();
                  ASSERT_TRUE(recorder.waitForFrames(from + 2048));
                  const float first = recorder.sample(0, from);
                  ASSERT_GT(first, 0.0f);
                  const auto frame0 = static_cast<std::uint64_t>(first * 65536.0f) - 1;
                  for (std::size_t f = 0; f < 2048; ++f) {
                      ASSERT_EQ(recorder.sample(0, from + f), RenderProbe::expected(frame0 + f, 0))
                          << f;
                      ASSERT_EQ(recorder.sample(1, from + f), RenderProbe::expected(frame0 + f, 1))
                          << f;
                  }
              });
    stream->stop();
    EXPECT_FALSE(stream->isRunning());
    const std::uint64_t rendered = probe.frames.load();
    EXPECT_TRUE(probe.allRender.load());
    EXPECT_TRUE(probe.contiguous.load());
    EXPECT_NE(probe.thread, std::this_thread::get_id());
    EXPECT_EQ(renderThreadAllocations(), allocations);
    EXPECT_EQ(probe.frames.load(), rendered) << "no cycle after stop() returned";
}

TEST_F(JackServer, TwoOpenersAreTwoClientsUnderUniqueNames) {
    JackBackend backend(on(server, false));
    RenderProbe first;
    RenderProbe second;
    auto one = backend.openOutput(backend.uid(), {}, first);
    auto two = backend.openOutput(backend.uid(), {}, second);
    ASSERT_TRUE(one);
    ASSERT_TRUE(two);
    ASSERT_TRUE(one->start());
    ASSERT_TRUE(two->start());
    EXPECT_TRUE(first.waitForFrames(2048));
    EXPECT_TRUE(second.waitForFrames(2048));
    jack_status_t status{};
    jack_client_t* observer =
        jack_client_open("pondra-observer", JackOptions(JackNoStartServer | JackServerName),
                         &status, server.name().c_str());
    ASSERT_TRUE(observer);
    const char** ports = jack_get_ports(observer, "^Pondra[^:]*:out_1$", nullptr, JackPortIsOutput);
    ASSERT_TRUE(ports);
    ASSERT_TRUE(ports[0] && ports[1]);
    EXPECT_STRNE(ports[0], ports[1]);
    jack_free(ports);
    jack_client_close(observer);
    one->stop();
    two->stop();
}

TEST_F(JackServer, TwoCuesOfOneBatchLandOnTheSameCapturedFrame) {
    auto device = deviceOn(server);
    ASSERT_TRUE(device);
    JackRecorder recorder(server.name(), 48000 * 4);
    ASSERT_TRUE(recorder.valid());
    const auto allocations = renderThreadAllocations();
    const auto locks = renderThreadBlockingLocks();
    ASSERT_TRUE(device->open());
    ASSERT_TRUE(recorder.listenToPondra());
    // Each take plays a pair of its own from silence.
    cleanTake([&] { return recorder.lateCycles(); },
              [&] {
                  Cue left(device.get(), 0);
                  Cue right(device.get(), 1);
                  device->_attachAudio(left);
                  device->_attachAudio(right);
                  const bool settled = recorder.waitForFrames(recorder.recorded.load() + 4096);
                  const std::size_t from = recorder.recorded.load();
                  // Triggered at several moments of the cycle: a batch never splits.
                  device->startSyncedActions();
                  device->performAction(Cue::kPlay, &left);
                  device->performAction(Cue::kPlay, &right);
                  device->endSyncedActions();
                  const bool recorded = recorder.waitForFrames(from + 4096);
                  device->_detachAudio(left);
                  device->_detachAudio(right);
                  ASSERT_TRUE(settled && recorded) << "the server stopped";
                  const std::size_t leftStart = recorder.firstSound(0, from);
                  const std::size_t rightStart = recorder.firstSound(1, from);
                  EXPECT_LT(leftStart, from + 4096);
                  EXPECT_EQ(leftStart, rightStart);
              });
    // The engine's whole render path through JACK's process thread.
    EXPECT_EQ(renderThreadAllocations(), allocations);
    EXPECT_EQ(renderThreadBlockingLocks(), locks);
    device->close();
    KivAudioHardware::setCurrent(nullptr);
}

TEST_F(JackServer, KillingTheServerMarksTheDeviceDiedAndTakesItOffTheList) {
    JackBackend backend(on(server));
    Listener listener;
    backend.setListener(&listener);
    RenderProbe probe;
    auto stream = backend.openOutput(backend.uid(), {}, probe);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(probe.waitForFrames(1024));
    server.kill(SIGKILL);
    ASSERT_TRUE(listener.waitFor(listener.deaths, 1));
    ASSERT_TRUE(listener.waitFor(listener.listChanges, 1));
    EXPECT_TRUE(backend.devices().empty());
    EXPECT_FALSE(stream->start()) << "a dead server's stream does not start again";
    stream.reset();
    backend.setListener(nullptr);
}

TEST_F(JackServer, DeviceOfAKilledServerDiesAndAnotherDevicePlays) {
    auto device = deviceOn(server);
    ASSERT_TRUE(device);
    ASSERT_TRUE(device->open());
    server.kill(SIGKILL);
    // The death comes from the backend's thread; the bound keeps a broken
    // server from hanging the run.
    for (int tries = 0; tries < 400 && !device->died(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_TRUE(device->died());
    EXPECT_FALSE(device->streamConfig()) << "a dead device is closed";
    // libjack keeps one "server running" flag per process: the first
    // backend, still looking for its server, goes before another is reached.
    device.reset();
    KivAudioHardware::setCurrent(nullptr);
    JackTestServer other(48000, 128);
    ASSERT_TRUE(other.start());
    auto next = deviceOn(other);
    ASSERT_TRUE(next);
    ASSERT_TRUE(next->open());
    EXPECT_EQ(next->streamConfig()->framesPerBuffer, 128u);
    next->close();
    KivAudioHardware::setCurrent(nullptr);
}

TEST_F(JackServer, AStalledCycleIsReportedAsAnOverload) {
    JackBackend backend(on(server));
    Listener listener;
    backend.setListener(&listener);
    JackRecorder recorder(server.name(), 48000);
    ASSERT_TRUE(recorder.valid());
    RenderProbe probe;
    auto stream = backend.openOutput(backend.uid(), {}, probe);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(recorder.listenToPondra());
    ASSERT_TRUE(recorder.waitForFrames(1024));
    // Another client of the graph overruns its period by far: the server
    // counts an xrun and tells every client.
    recorder.stallNextCycle(std::chrono::milliseconds(50));
    EXPECT_TRUE(listener.waitFor(listener.overloads, 1));
    stream.reset();
    backend.setListener(nullptr);
}

// What the recordings of these tests and of the end-to-end suite count on
// to take a measurement again.
TEST_F(JackServer, ACycleStalledPastItsPeriodIsCountedLateByTheRecorder) {
    JackRecorder recorder(server.name(), 48000);
    ASSERT_TRUE(recorder.valid());
    ASSERT_TRUE(recorder.waitForFrames(1024));
    const std::size_t before = recorder.lateCycles();
    recorder.stallNextCycle(std::chrono::milliseconds(50));
    for (int tries = 0; tries < 200 && recorder.lateCycles() == before; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_GT(recorder.lateCycles(), before);
}

TEST(CleanTake, ATakeThatFailsAcrossALateCycleIsTakenAgainAndTheNextCleanOneCounts) {
    std::size_t late = 0;
    int takes = 0;
    int againCalls = 0;
    cleanTake([&] { return late; },
              [&] {
                  ++takes;
                  if (takes == 1) {
                      ++late;
                      ADD_FAILURE() << "a period cut short";
                  }
              },
              [&] { ++againCalls; });
    EXPECT_EQ(takes, 2);
    EXPECT_EQ(againCalls, 1);
}

TEST(CleanTake, ATakeThatFailsWithNoLateCycleFailsTheTestAtOnce) {
    int takes = 0;
    EXPECT_NONFATAL_FAILURE(cleanTake([] { return std::size_t{0}; },
                                      [&] {
                                          ++takes;
                                          ADD_FAILURE() << "the program's own fault";
                                      }),
                            "the program's own fault");
    EXPECT_EQ(takes, 1);
}

TEST(CleanTake, ATakeThatPassesAcrossALateCycleCounts) {
    std::size_t late = 0;
    int takes = 0;
    cleanTake([&] { return late; },
              [&] {
                  ++takes;
                  ++late;
              });
    EXPECT_EQ(takes, 1);
}

TEST(CleanTake, WhenEveryTakeFailsAcrossALateCycleTheLastOnesFailuresAreReported) {
    std::size_t late = 0;
    int takes = 0;
    EXPECT_NONFATAL_FAILURE(cleanTake([&] { return late; },
                                      [&] {
                                          ++takes;
                                          late += 2;
                                          ADD_FAILURE() << "take " << takes;
                                      }),
                            "take 3\n(take 3 of 3, across 2 cycles the server reported late)");
    EXPECT_EQ(takes, 3);
}

TEST_F(JackServer, ANewBufferSizeReachesTheListenerAsARateChange) {
    JackBackend backend(on(server));
    Listener listener;
    backend.setListener(&listener);
    JackRecorder recorder(server.name(), 48000);
    ASSERT_TRUE(recorder.valid());
    ASSERT_TRUE(recorder.setBufferSize(128));
    ASSERT_TRUE(listener.waitFor(listener.rateChanges, 1));
    EXPECT_EQ(backend.devices().at(0).bufferSizeInFrames, 128u);
    backend.setListener(nullptr);
}

TEST(JackBackend, AServerThatStartsLaterIsListed) {
    if (!JackTestServer::installed()) {
        return cannotRun("jackd is not installed (Debian package jackd2)");
    }
    JackTestServer server(48000, 256);
    JackBackend backend(on(server));
    Listener listener;
    backend.setListener(&listener);
    EXPECT_TRUE(backend.devices().empty());
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(listener.waitFor(listener.listChanges, 1));
    EXPECT_EQ(backend.devices().size(), 1u);
    backend.setListener(nullptr);
}

namespace {

using Steady = std::chrono::steady_clock;

std::unique_ptr<WorkerBackend> onWorker(const std::string& serverName) {
    using namespace std::chrono_literals;
    return std::make_unique<WorkerBackend>(
        "the JACK backend",
        [serverName] {
            JackBackend::Options options;
            options.serverName = serverName;
            return std::make_unique<JackBackend>(options);
        },
        WorkerBackend::Limits{500ms, 1000ms, 200ms});
}

} // namespace

// libjack's open waits for the first reply without a limit: only the
// worker's limit stands between it and its caller.
TEST(JackBackend, OnItsWorkerAServerThatNeverAnswersIsAbsentWithinTheLimitAndHoldsUpNoOne) {
    FakeJackServer fake("pondra-fake-" + std::to_string(getpid()));
    ASSERT_TRUE(fake.listening());
    const auto start = Steady::now();
    auto backend = onWorker(fake.name());
    EXPECT_LT(Steady::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(backend->devices().empty());
    EXPECT_FALSE(backend->answers());
    EXPECT_TRUE(eventually([&] { return fake.connections() > 0; }))
        << "the backend never tried the server";
    const auto closing = Steady::now();
    backend.reset();
    EXPECT_LT(Steady::now() - closing, std::chrono::seconds(2));
}

TEST_F(JackServer, OnItsWorkerAStoppedServerHoldsUpNoStopNorCloseAndIsListedAgainWhenItGoesOn) {
    auto backend = onWorker(server.name());
    ASSERT_EQ(backend->devices().size(), 1u);
    Listener listener;
    backend->setListener(&listener);
    RenderProbe probe;
    auto stream = backend->openOutput("jack:" + server.name(), {}, probe);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(probe.waitForFrames(256 * 4));

    server.suspend();
    const auto start = Steady::now();
    stream->stop();
    const int cycles = probe.cycles.load();
    stream.reset();
    EXPECT_LT(Steady::now() - start, std::chrono::milliseconds(200));
    ASSERT_TRUE(listener.waitFor(listener.listChanges, 1));
    EXPECT_TRUE(backend->devices().empty()) << "a server that does not answer is listed";

    server.resume();
    ASSERT_TRUE(listener.waitFor(listener.listChanges, 2));
    EXPECT_EQ(backend->devices().size(), 1u);
    EXPECT_EQ(probe.cycles.load(), cycles) << "the callback was called after the stop";
    backend->setListener(nullptr);
}
