#include "platform/audio/WorkerBackend.h"

#include "foundation/KivLog.h"
#include "platform/audio/DeviceWorker.h"
#include "platform/audio/RenderGate.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// While a call is under way, how often the notification thread looks
// whether it hangs.
constexpr std::chrono::milliseconds kHangPoll{100};

long long count(std::chrono::milliseconds limit) {
    return static_cast<long long>(limit.count());
}

} // namespace

// Shared by the backend, its streams and the worker's tasks.
struct WorkerBackend::State final : AudioBackendListener, std::enable_shared_from_this<State> {
    State(std::string backendName, Limits backendLimits)
        : name(std::move(backendName))
        , limits(backendLimits)
        , worker(backendLimits.answer) {}

    const std::string name;
    const Limits limits;
    DeviceWorker worker;

    // Made and let go on the worker, which alone changes it, under
    // `innerMutex`; the made backend's notification thread reads it under
    // that lock, the worker's tasks without it.
    std::unique_ptr<AudioBackend> inner;
    std::mutex innerMutex;

    mutable std::mutex mutex; // guards the fields below
    bool made = false;
    std::vector<AudioDeviceInfo> listed; // the made backend's, as last read
    std::string defaultUID;
    bool told = false;     // whether the listener last heard of the devices as there
    bool hangTold = false; // whether a hang was logged and not yet its end
    bool stopping = false;
    bool woken = false;
    std::condition_variable wake;

    // Held across every call to the listener, so that calls come one at a
    // time and none comes once setListener(nullptr) has returned. Recursive,
    // for a listener that lets the backend's last user go from inside a call.
    std::recursive_mutex delivery;
    AudioBackendListener* listener = nullptr; // guarded by `delivery`

    // Joined by the backend's destructor; it touches nothing but this state.
    std::thread notifier;

    bool answersLocked() const { return made && !worker.hangs(); }

    void notify() {
        {
            std::lock_guard lock(mutex);
            woken = true;
        }
        wake.notify_one();
    }

    // Each task first wakes the notification thread, which then watches it
    // for as long as it runs; like every task, it holds what it touches.
    DeviceWorker::Task watched(DeviceWorker::Task task) {
        return [self = shared_from_this(), task = std::move(task)] {
            self->notify();
            task();
        };
    }

    bool call(DeviceWorker::Task task, std::chrono::milliseconds limit,
              DeviceWorker::Task late = {}) {
        return worker.call(watched(std::move(task)), limit, std::move(late));
    }

    void post(DeviceWorker::Task task) { worker.post(watched(std::move(task))); }

    // The made backend's list, read afresh.
    void read() {
        std::vector<AudioDeviceInfo> devices;
        std::string uid;
        {
            std::lock_guard lock(innerMutex);
            if (!inner) {
                return;
            }
            devices = inner->devices();
            uid = inner->defaultOutputUID();
        }
        std::lock_guard lock(mutex);
        listed = std::move(devices);
        defaultUID = std::move(uid);
    }

    template <class F>
    void deliver(F&& f) {
        std::lock_guard lock(delivery);
        if (listener) {
            f(*listener);
        }
    }

    // The notification thread: tells the listener when the devices come and
    // go with the worker's answers.
    void notifierLoop() {
        std::unique_lock lock(mutex);
        for (;;) {
            const auto awake = [this] { return stopping || woken; };
            if (worker.busySince()) {
                wake.wait_for(lock, kHangPoll, awake);
            } else {
                wake.wait(lock, awake);
            }
            if (stopping) {
                return;
            }
            woken = false;
            const bool there = answersLocked();
            if (there == told) {
                continue;
            }
            told = there;
            const bool hangEnds = there && hangTold;
            hangTold = !there && made;
            lock.unlock();
            if (!there && made) {
                logFormat("Error: %s does not answer within %lld ms; its devices count as absent "
                          "until it does",
                          name.c_str(), count(limits.answer));
            } else if (hangEnds) {
                logFormat("%s answers again", name.c_str());
            }
            deliver([](AudioBackendListener& l) {
                l.deviceListChanged();
                l.defaultOutputChanged();
            });
            lock.lock();
        }
    }

    // AudioBackendListener: the made backend's notification thread.
    void deviceListChanged() override {
        read();
        deliver([](AudioBackendListener& l) { l.deviceListChanged(); });
    }
    void defaultOutputChanged() override {
        read();
        deliver([](AudioBackendListener& l) { l.defaultOutputChanged(); });
    }
    void deviceDied(const std::string& uid) override {
        deliver([&](AudioBackendListener& l) { l.deviceDied(uid); });
    }
    void deviceOverloaded(const std::string& uid) override {
        deliver([&](AudioBackendListener& l) { l.deviceOverloaded(uid); });
    }
    void sampleRateChanged(const std::string& uid) override {
        read();
        deliver([&](AudioBackendListener& l) { l.sampleRateChanged(uid); });
    }
};

// What a stream's handle and the worker's tasks share: the made backend's
// stream, which renders into the gate, and the gate, which renders into the
// caller's callback while it is open.
struct WorkerBackend::Slot {
    explicit Slot(AudioRenderCallback& callback)
        : gate(callback) {}

    RenderGate gate;
    std::unique_ptr<AudioOutputStream> stream; // the worker's only
};

class WorkerBackend::Stream final : public AudioOutputStream {
public:
    Stream(std::shared_ptr<State> state, std::shared_ptr<Slot> slot, AudioStreamConfig config)
        : _state(std::move(state))
        , _slot(std::move(slot))
        , _config(config) {}

    ~Stream() override {
        _slot->gate.close();
        _state->post([slot = std::move(_slot)] { slot->stream.reset(); });
    }

    AudioStreamConfig config() const override { return _config; }

    bool start() override {
        if (_running.load()) {
            return true;
        }
        _slot->gate.open();
        auto started = std::make_shared<std::atomic<bool>>(false);
        const bool answered =
            _state->call([slot = _slot, started] { started->store(slot->stream->start()); },
                         _state->limits.answer);
        if (answered && started->load()) {
            _running.store(true);
            return true;
        }
        _slot->gate.close();
        if (!answered) {
            logFormat("Error: %s did not answer within %lld ms; the stream does not start",
                      _state->name.c_str(), count(_state->limits.answer));
            // A start that comes late is stopped behind it.
            _state->post([slot = _slot] { slot->stream->stop(); });
        }
        return false;
    }

    void stop() override {
        _running.store(false);
        _slot->gate.close();
        _state->post([slot = _slot] { slot->stream->stop(); });
    }

    bool isRunning() const override { return _running.load(); }

private:
    const std::shared_ptr<State> _state;
    std::shared_ptr<Slot> _slot;
    const AudioStreamConfig _config;
    std::atomic<bool> _running{false};
};

WorkerBackend::WorkerBackend(std::string name, Factory make)
    : WorkerBackend(std::move(name), std::move(make), Limits{}) {}

WorkerBackend::WorkerBackend(std::string name, Factory make, Limits limits)
    : _state(std::make_shared<State>(std::move(name), limits)) {
    State& state = *_state;
    state.notifier = std::thread([&state] { state.notifierLoop(); });
    const bool made = state.call(
        [shared = _state, make = std::move(make)] {
            std::unique_ptr<AudioBackend> backend = make();
            AudioBackend* raw = backend.get();
            {
                std::lock_guard lock(shared->innerMutex);
                shared->inner = std::move(backend);
            }
            raw->setListener(shared.get());
            shared->read();
            {
                std::lock_guard lock(shared->mutex);
                shared->made = true;
            }
            // Made late, it is news to the listener.
            shared->notify();
        },
        limits.firstScan);
    if (!made) {
        logFormat("Error: %s did not answer within %lld ms; it lists no device until it does",
                  state.name.c_str(), count(limits.firstScan));
    }
    std::lock_guard lock(state.mutex);
    state.told = state.answersLocked();
}

WorkerBackend::~WorkerBackend() {
    State& state = *_state;
    {
        std::lock_guard lock(state.mutex);
        state.stopping = true;
    }
    state.wake.notify_one();
    state.notifier.join();
    state.worker.post([shared = _state] {
        std::unique_ptr<AudioBackend> gone;
        {
            std::lock_guard lock(shared->innerMutex);
            gone = std::move(shared->inner);
        }
        if (gone) {
            gone->setListener(nullptr);
        }
    });
    if (!state.worker.finish(state.limits.quit)) {
        logFormat("Warning: %s still waits on its devices as it closes; its calls are left to "
                  "end on their own",
                  state.name.c_str());
    }
}

void WorkerBackend::setListener(AudioBackendListener* listener) {
    std::lock_guard lock(_state->delivery);
    _state->listener = listener;
}

bool WorkerBackend::answers() const {
    std::lock_guard lock(_state->mutex);
    return _state->answersLocked();
}

std::vector<AudioDeviceInfo> WorkerBackend::devices() {
    std::lock_guard lock(_state->mutex);
    return _state->answersLocked() ? _state->listed : std::vector<AudioDeviceInfo>{};
}

std::string WorkerBackend::defaultOutputUID() {
    std::lock_guard lock(_state->mutex);
    return _state->answersLocked() ? _state->defaultUID : std::string();
}

std::unique_ptr<AudioOutputStream> WorkerBackend::openOutput(const std::string& uid,
                                                             const AudioStreamConfig& config,
                                                             AudioRenderCallback& callback) {
    if (!answers()) {
        logFormat("Error: %s does not answer, so %s cannot be opened", _state->name.c_str(),
                  uid.c_str());
        return nullptr;
    }
    auto slot = std::make_shared<Slot>(callback);
    auto opened = std::make_shared<std::optional<AudioStreamConfig>>();
    const bool answered = _state->call(
        [shared = _state, slot, uid, config, opened] {
            if (!shared->inner) {
                return;
            }
            slot->stream = shared->inner->openOutput(uid, config, slot->gate);
            if (slot->stream) {
                *opened = slot->stream->config();
            }
        },
        _state->limits.answer,
        // Opened for no one: the caller went on without it.
        [slot] { slot->stream.reset(); });
    if (!answered) {
        logFormat("Error: %s did not answer within %lld ms, so %s could not be opened",
                  _state->name.c_str(), count(_state->limits.answer), uid.c_str());
        return nullptr;
    }
    if (!*opened) {
        return nullptr;
    }
    return std::make_unique<Stream>(_state, std::move(slot), **opened);
}
