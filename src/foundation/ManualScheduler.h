#pragma once

#include "foundation/Clock.h"
#include "foundation/Scheduler.h"

#include <map>

// A test scheduler: timers fire only when the test advances time. Due timers fire in
// deadline order (then in order of scheduling), with the clock set to each
// deadline as it fires.
class ManualScheduler : public Scheduler {
public:
    explicit ManualScheduler(ManualClock& clock)
        : _clock(clock) {}

    TimerId scheduleOnce(double delay, std::function<void()> callback) override;
    TimerId scheduleRepeating(double interval, std::function<void()> callback) override;
    void cancel(TimerId timer) override;

    void advance(double seconds);
    std::size_t pendingCount() const { return _timers.size(); }

private:
    struct Timer {
        double deadline;
        double interval; // 0 for a one-shot timer
        std::function<void()> callback;
    };
    TimerId add(double delay, double interval, std::function<void()> callback);

    ManualClock& _clock;
    TimerId _nextId = 1;
    std::map<TimerId, Timer> _timers;
};
