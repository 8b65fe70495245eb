#include "foundation/ManualScheduler.h"

#include <algorithm>

Scheduler::TimerId ManualScheduler::add(double delay, double interval,
                                        std::function<void()> callback) {
    const TimerId id = _nextId++;
    _timers.emplace(id, Timer{_clock.now() + std::max(0.0, delay), interval, std::move(callback)});
    return id;
}

Scheduler::TimerId ManualScheduler::scheduleOnce(double delay, std::function<void()> callback) {
    return add(delay, 0.0, std::move(callback));
}

Scheduler::TimerId ManualScheduler::scheduleRepeating(double interval,
                                                      std::function<void()> callback) {
    // A repeating timer with no interval would fire forever within one advance.
    return add(interval, std::max(interval, 1e-6), std::move(callback));
}

void ManualScheduler::cancel(TimerId timer) {
    _timers.erase(timer);
}

void ManualScheduler::advance(double seconds) {
    const double end = _clock.now() + seconds;
    for (;;) {
        auto next = _timers.end();
        for (auto it = _timers.begin(); it != _timers.end(); ++it) {
            if (it->second.deadline <= end &&
                (next == _timers.end() || it->second.deadline < next->second.deadline)) {
                next = it;
            }
        }
        if (next == _timers.end()) {
            break;
        }
        _clock.setNow(std::max(_clock.now(), next->second.deadline));
        // Copy: the callback may cancel its own timer.
        auto callback = next->second.callback;
        if (next->second.interval > 0) {
            next->second.deadline += next->second.interval;
        } else {
            _timers.erase(next);
        }
        callback();
    }
    _clock.setNow(end);
}
