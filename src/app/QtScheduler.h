#pragma once

#include "foundation/Scheduler.h"

#include <QObject>

#include <map>

class QTimer;

// The plain layers' timers on the GUI thread's event loop. Qt timers measure
// intervals on the monotonic clock. GUI thread only.
class QtScheduler : public Scheduler {
public:
    QtScheduler() = default;
    ~QtScheduler() override = default;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    TimerId scheduleOnce(double delay, std::function<void()> callback) override;
    TimerId scheduleRepeating(double interval, std::function<void()> callback) override;
    void cancel(TimerId timer) override;

private:
    TimerId start(double seconds, bool repeating, std::function<void()> callback);

    // Parent of every timer, so they all go with the scheduler.
    QObject _owner;
    std::map<TimerId, QTimer*> _timers;
    TimerId _nextId = 1;
};
