#pragma once

#include <cstdint>
#include <functional>

// Timers on the owner's loop (the main loop in the application). Callbacks run
// on that loop's thread; they may schedule and cancel timers themselves.
class Scheduler {
public:
    using TimerId = std::uint64_t;

    virtual ~Scheduler() = default;
    virtual TimerId scheduleOnce(double delay, std::function<void()> callback) = 0;
    virtual TimerId scheduleRepeating(double interval, std::function<void()> callback) = 0;
    // Cancelling an unknown or finished timer does nothing.
    virtual void cancel(TimerId timer) = 0;
};
