#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Holds whoever calls wait() until release(), as a library call into a
// server that does not answer holds its caller. Tests see who is held.
class Blocker {
public:
    void wait() {
        std::unique_lock lock(_mutex);
        ++_waiting;
        _changed.notify_all();
        _changed.wait(lock, [this] { return _released; });
        --_waiting;
    }
    void release() {
        std::lock_guard lock(_mutex);
        _released = true;
        _changed.notify_all();
    }
    // Whether someone is held, waiting up to `limit` for one to come.
    bool holds(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, limit, [this] { return _waiting > 0; });
    }

private:
    std::mutex _mutex;
    std::condition_variable _changed;
    int _waiting = 0;
    bool _released = false;
};

// Whether `done` comes true within `limit`, looked at every millisecond; the
// default bound only keeps a fault from hanging the run.
template <class F>
bool eventually(F done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
