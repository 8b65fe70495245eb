#include "platform/audio/DeviceWorker.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

// While finish() waits, how often it looks whether the call under way hangs.
constexpr std::chrono::milliseconds kFinishPoll{10};

// What a caller and the worker know of one call; guarded by the worker's mutex.
struct CallState {
    bool started = false;
    bool done = false;
    bool abandoned = false;
    DeviceWorker::Task late;
};

struct Entry {
    DeviceWorker::Task task;
    std::shared_ptr<CallState> call; // null for a post
};

} // namespace

// Everything the thread touches: it holds this as long as it runs.
struct DeviceWorker::Shared {
    explicit Shared(std::chrono::milliseconds limit)
        : hangLimit(limit) {}

    const std::chrono::milliseconds hangLimit;
    mutable std::mutex mutex;
    std::condition_variable queued;  // a task came, or stopping
    std::condition_variable changed; // a call ended, or the thread did
    std::deque<Entry> queue;
    std::optional<Clock::time_point> busySince;
    bool stopping = false;
    bool ended = false;

    bool hangsLocked() const { return busySince && Clock::now() - *busySince > hangLimit; }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            queued.wait(lock, [this] { return stopping || !queue.empty(); });
            if (queue.empty()) {
                break;
            }
            // A call given up before it began left the queue with its caller.
            Entry entry = std::move(queue.front());
            queue.pop_front();
            if (entry.call) {
                entry.call->started = true;
            }
            busySince = Clock::now();
            lock.unlock();
            entry.task();
            // What a task holds goes outside the lock: it may be the last
            // hold on an owner that posts or finishes on its way out.
            entry.task = nullptr;
            lock.lock();
            Task late;
            bool runLate = false;
            if (entry.call) {
                entry.call->done = true;
                runLate = entry.call->abandoned && entry.call->late;
                late = std::move(entry.call->late);
            }
            // Busy until the late task has run too: it may wait as long.
            if (!runLate) {
                busySince.reset();
            }
            changed.notify_all();
            lock.unlock();
            if (runLate) {
                late();
            }
            late = nullptr;
            entry = {};
            lock.lock();
            busySince.reset();
        }
        ended = true;
        changed.notify_all();
    }
};

DeviceWorker::DeviceWorker(std::chrono::milliseconds hangLimit)
    : _shared(std::make_shared<Shared>(hangLimit)) {
    _thread = std::thread([shared = _shared] { shared->run(); });
}

DeviceWorker::~DeviceWorker() {
    finish(std::chrono::milliseconds(0));
}

bool DeviceWorker::call(Task task, std::chrono::milliseconds limit, Task late) {
    assert(std::this_thread::get_id() != _thread.get_id());
    auto call = std::make_shared<CallState>();
    call->late = std::move(late);
    // Declared before the lock, so what it holds goes after the lock is let go.
    Entry dropped;
    std::unique_lock lock(_shared->mutex);
    if (_shared->stopping || _shared->hangsLocked()) {
        return false;
    }
    _shared->queue.push_back(Entry{std::move(task), call});
    _shared->queued.notify_one();
    if (_shared->changed.wait_for(lock, limit, [&] { return call->done; })) {
        return true;
    }
    call->abandoned = true;
    if (!call->started) {
        // Dropped where it waits in the queue, with what it holds.
        const auto queued = std::find_if(_shared->queue.begin(), _shared->queue.end(),
                                         [&](const Entry& e) { return e.call == call; });
        if (queued != _shared->queue.end()) {
            dropped = std::move(*queued);
            _shared->queue.erase(queued);
        }
    }
    return false;
}

void DeviceWorker::post(Task task) {
    std::lock_guard lock(_shared->mutex);
    if (_shared->stopping) {
        return;
    }
    _shared->queue.push_back(Entry{std::move(task), nullptr});
    _shared->queued.notify_one();
}

std::optional<DeviceWorker::Clock::time_point> DeviceWorker::busySince() const {
    std::lock_guard lock(_shared->mutex);
    return _shared->busySince;
}

bool DeviceWorker::hangs() const {
    std::lock_guard lock(_shared->mutex);
    return _shared->hangsLocked();
}

bool DeviceWorker::finish(std::chrono::milliseconds limit) {
    if (!_thread.joinable()) {
        return true;
    }
    bool ended = false;
    {
        std::unique_lock lock(_shared->mutex);
        _shared->stopping = true;
        _shared->queued.notify_one();
        for (;;) {
            if (_shared->ended) {
                ended = true;
                break;
            }
            if (_shared->busySince && Clock::now() - *_shared->busySince >= limit) {
                break;
            }
            _shared->changed.wait_for(lock, kFinishPoll);
        }
    }
    // A worker destroyed by its last task, on its own thread, cannot join itself.
    if (ended && std::this_thread::get_id() != _thread.get_id()) {
        _thread.join();
        return true;
    }
    _thread.detach();
    return ended;
}
