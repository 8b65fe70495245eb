#include "platform/audio/WorkerBackend.h"

#include "Blocker.h"
#include "RenderProbe.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// What a fake backend did, and where it is held; shared with the worker,
// which may outlive the test's hold on the backend.
struct Server {
    Blocker making, opening, starting, stopping, closing;
    std::atomic<bool> blockMaking{false}, blockOpening{false}, blockStarting{false},
        blockStopping{false}, blockClosing{false};
    std::atomic<int> opened{0}, started{0}, stopped{0}, closed{0}, backendsGone{0};
    std::atomic<std::thread::id> openedOn{};
};

// A stream that renders on a thread of its own from start() to stop(), as a
// sound library's process thread does, into whatever callback it was given.
class FakeStream final : public AudioOutputStream {
public:
    FakeStream(std::shared_ptr<Server> server, AudioRenderCallback& callback)
        : _server(std::move(server))
        , _callback(callback) {}
    ~FakeStream() override {
        if (_server->blockClosing) {
            _server->closing.wait();
        }
        halt();
        _server->closed.fetch_add(1);
    }
    AudioStreamConfig config() const override { return {48000.0, 2, 64, false}; }
    bool start() override {
        if (_server->blockStarting) {
            _server->starting.wait();
        }
        _server->started.fetch_add(1);
        if (!_thread.joinable()) {
            _rendering = true;
            _thread = std::thread([this] {
                float left[64] = {}, right[64] = {};
                float* planes[2] = {left, right};
                while (_rendering.load()) {
                    _callback.render({}, {planes, 2, 64, false});
                    std::this_thread::sleep_for(1ms);
                }
            });
        }
        return true;
    }
    void stop() override {
        if (_server->blockStopping) {
            _server->stopping.wait();
        }
        _server->stopped.fetch_add(1);
        halt();
    }
    bool isRunning() const override { return _rendering.load(); }

private:
    void halt() {
        _rendering = false;
        if (_thread.joinable()) {
            _thread.join();
        }
    }
    const std::shared_ptr<Server> _server;
    AudioRenderCallback& _callback;
    std::atomic<bool> _rendering{false};
    std::thread _thread;
};

class FakeBackend final : public AudioBackend {
public:
    explicit FakeBackend(std::shared_ptr<Server> server)
        : _server(std::move(server)) {
        if (_server->blockMaking) {
            _server->making.wait();
        }
    }
    ~FakeBackend() override { _server->backendsGone.fetch_add(1); }
    void setListener(AudioBackendListener*) override {}
    std::vector<AudioDeviceInfo> devices() override {
        AudioDeviceInfo info;
        info.uid = "fake:1";
        info.name = "Fake";
        info.outputChannels = 2;
        return {info};
    }
    std::string defaultOutputUID() override { return "fake:1"; }
    std::unique_ptr<AudioOutputStream> openOutput(const std::string&, const AudioStreamConfig&,
                                                  AudioRenderCallback& callback) override {
        if (_server->blockOpening) {
            _server->opening.wait();
        }
        _server->opened.fetch_add(1);
        _server->openedOn = std::this_thread::get_id();
        return std::make_unique<FakeStream>(_server, callback);
    }

private:
    const std::shared_ptr<Server> _server;
};

class CountingListener : public AudioBackendListener {
public:
    void deviceListChanged() override { listChanges.fetch_add(1); }
    void defaultOutputChanged() override {}
    void deviceDied(const std::string&) override {}
    void deviceOverloaded(const std::string&) override {}
    void sampleRateChanged(const std::string&) override {}
    std::atomic<int> listChanges{0};
};

bool logged(const CapturingLogSink& log, const std::string& line) {
    const auto lines = log.lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

constexpr WorkerBackend::Limits kLimits{200ms, 100ms, 100ms};

std::unique_ptr<WorkerBackend> makeBackend(const std::shared_ptr<Server>& server) {
    return std::make_unique<WorkerBackend>(
        "the fake backend", [server] { return std::make_unique<FakeBackend>(server); }, kLimits);
}

} // namespace

TEST(WorkerBackend, OpensStartsAndStopsOnItsWorkerAndRendersThroughToTheCallback) {
    auto server = std::make_shared<Server>();
    auto backend = makeBackend(server);
    ASSERT_TRUE(backend->answers());
    ASSERT_EQ(backend->devices().size(), 1u);
    EXPECT_EQ(backend->defaultOutputUID(), "fake:1");
    RenderProbe probe;
    auto stream = backend->openOutput("fake:1", {}, probe);
    ASSERT_TRUE(stream);
    EXPECT_NE(server->openedOn.load(), std::this_thread::get_id());
    EXPECT_EQ(stream->config().framesPerBuffer, 64u);
    ASSERT_TRUE(stream->start());
    EXPECT_TRUE(stream->isRunning());
    ASSERT_TRUE(probe.waitForFrames(64 * 4));
    stream->stop();
    EXPECT_FALSE(stream->isRunning());
    stream.reset();
    backend.reset();
    EXPECT_EQ(server->stopped.load(), 1);
    EXPECT_EQ(server->closed.load(), 1);
    EXPECT_EQ(server->backendsGone.load(), 1);
}

TEST(WorkerBackend, AMakingThatHangsHoldsTheConstructorOnlyForItsLimitAndItsDevicesComeWhenItEnds) {
    CapturingLogSink log;
    auto server = std::make_shared<Server>();
    server->blockMaking = true;
    const auto start = Clock::now();
    auto backend = makeBackend(server);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_FALSE(backend->answers());
    EXPECT_TRUE(backend->devices().empty());
    EXPECT_TRUE(backend->defaultOutputUID().empty());
    RenderProbe probe;
    EXPECT_FALSE(backend->openOutput("fake:1", {}, probe));
    EXPECT_EQ(log.lines().front(),
              "Error: the fake backend did not answer within 100 ms; it lists no device until it "
              "does");

    CountingListener listener;
    backend->setListener(&listener);
    server->making.release();
    ASSERT_TRUE(eventually([&] { return listener.listChanges.load() > 0; }));
    EXPECT_EQ(backend->devices().size(), 1u);
    backend->setListener(nullptr);
}

TEST(WorkerBackend, AnOpenThatHangsFailsAtItsLimitAndTheBackendCountsAsAbsentUntilItAnswers) {
    CapturingLogSink log;
    auto server = std::make_shared<Server>();
    auto backend = makeBackend(server);
    CountingListener listener;
    backend->setListener(&listener);
    server->blockOpening = true;
    RenderProbe probe;
    const auto start = Clock::now();
    EXPECT_FALSE(backend->openOutput("fake:1", {}, probe));
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_GE(Clock::now() - start, 200ms);

    ASSERT_TRUE(eventually([&] { return listener.listChanges.load() >= 1; }))
        << "the listener never heard the devices go";
    EXPECT_FALSE(backend->answers());
    EXPECT_TRUE(backend->devices().empty());
    const auto refused = Clock::now();
    EXPECT_FALSE(backend->openOutput("fake:1", {}, probe));
    EXPECT_LT(Clock::now() - refused, 100ms) << "a backend that hangs is not asked again";

    server->blockOpening = false;
    server->opening.release();
    ASSERT_TRUE(eventually([&] { return listener.listChanges.load() >= 2; }))
        << "the listener never heard the devices come back";
    EXPECT_TRUE(backend->answers());
    EXPECT_EQ(backend->devices().size(), 1u);
    ASSERT_TRUE(eventually([&] { return server->closed.load() == 1; }))
        << "the stream opened for no one stays open";
    EXPECT_EQ(probe.cycles.load(), 0);
    EXPECT_TRUE(logged(log, "Error: the fake backend did not answer within 200 ms, so fake:1 "
                            "could not be opened"));
    EXPECT_TRUE(logged(log, "Error: the fake backend does not answer within 200 ms; its devices "
                            "count as absent until it does"));
    EXPECT_TRUE(logged(log, "the fake backend answers again"));
    backend->setListener(nullptr);
}

TEST(WorkerBackend, AStopAndACloseThatHangReturnAtOnceAndTheCallbackIsNeverCalledAfterTheStop) {
    auto server = std::make_shared<Server>();
    auto backend = makeBackend(server);
    RenderProbe probe;
    auto stream = backend->openOutput("fake:1", {}, probe);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(probe.waitForFrames(64 * 4));
    server->blockStopping = true;
    server->blockClosing = true;

    const auto start = Clock::now();
    stream->stop();
    const int cycles = probe.cycles.load();
    ASSERT_TRUE(server->stopping.holds());
    // The library's thread renders on, into the closed gate.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(probe.cycles.load(), cycles) << "the callback was called after stop() returned";
    stream.reset();
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(server->closed.load(), 0);

    server->stopping.release();
    server->closing.release();
    ASSERT_TRUE(eventually([&] { return server->closed.load() == 1; }));
    EXPECT_EQ(probe.cycles.load(), cycles);
}

TEST(WorkerBackend, AStartThatHangsIsRefusedAtItsLimitAndTheLateStartIsStoppedBehindIt) {
    auto server = std::make_shared<Server>();
    auto backend = makeBackend(server);
    RenderProbe probe;
    auto stream = backend->openOutput("fake:1", {}, probe);
    ASSERT_TRUE(stream);
    server->blockStarting = true;
    EXPECT_FALSE(stream->start());
    EXPECT_FALSE(stream->isRunning());
    server->starting.release();
    ASSERT_TRUE(eventually([&] { return server->stopped.load() == 1; }));
    EXPECT_EQ(server->started.load(), 1);
    EXPECT_EQ(probe.cycles.load(), 0) << "a start given up renders nothing into the callback";
}

TEST(WorkerBackend, DestroyedWhileItsWorkerHangsItEndsWithinItsLimitAndLeavesTheRestToTheWorker) {
    auto server = std::make_shared<Server>();
    auto backend = makeBackend(server);
    server->blockOpening = true;
    RenderProbe probe;
    std::thread opener([&] { EXPECT_FALSE(backend->openOutput("fake:1", {}, probe)); });
    ASSERT_TRUE(server->opening.holds());
    opener.join();

    const auto start = Clock::now();
    backend.reset();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(server->backendsGone.load(), 0) << "the worker still holds its backend";

    server->blockOpening = false;
    server->opening.release();
    ASSERT_TRUE(eventually([&] { return server->backendsGone.load() == 1; }));
    EXPECT_EQ(server->closed.load(), 1);
    EXPECT_EQ(probe.cycles.load(), 0);
}
