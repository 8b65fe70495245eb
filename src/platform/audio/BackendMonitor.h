#pragma once

#include <atomic>
#include <functional>
#include <thread>

// A backend's notification thread and the way to wake it: an eventfd that
// render threads write without a lock, the backend's own events come on a
// descriptor of its own, and a loop of the backend's own that waits on both.
// The owner stops the monitor in its destructor before any field the loop
// reads goes.
class BackendMonitor {
public:
    // `backend` names the backend in the log line when no eventfd is had.
    explicit BackendMonitor(const char* backend);
    ~BackendMonitor();
    BackendMonitor(const BackendMonitor&) = delete;
    BackendMonitor& operator=(const BackendMonitor&) = delete;

    // Whether wake() reaches anyone; without it the loop must not run.
    bool canWake() const { return _wakeFd >= 0; }
    // Runs `loop` on the notification thread.
    void start(std::function<void()> loop);
    // Asks the loop to end, wakes it and joins it. Idempotent.
    void stop();

    // Any thread, the render thread included: lock-free and allocation-free.
    void wake() noexcept;

    enum class Event {
        Woken,   // wake() was called; the wake count is cleared
        Ready,   // `fd` is readable
        Timeout, // the timeout passed, or a signal cut the wait short
        Stopped, // stop() was called
        Failed,  // poll failed; errno tells why
    };
    // Notification thread: waits for a wake, for `fd` (none when negative)
    // to turn readable, or `timeoutMilliseconds` (-1: no timeout).
    Event wait(int fd, int timeoutMilliseconds);

private:
    int _wakeFd = -1;
    std::atomic<bool> _stopping{false};
    std::thread _thread;
};
