#include "app/QtScheduler.h"

#include <QTimer>

#include <cmath>
#include <limits>

namespace {

int milliseconds(double seconds) {
    if (!(seconds > 0)) {
        return 0;
    }
    // Never early: round up, and cap at what a QTimer takes.
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                 : static_cast<int>(ms);
}

} // namespace

Scheduler::TimerId QtScheduler::scheduleOnce(double delay, std::function<void()> callback) {
    return start(delay, false, std::move(callback));
}

Scheduler::TimerId QtScheduler::scheduleRepeating(double interval, std::function<void()> callback) {
    return start(interval, true, std::move(callback));
}

void QtScheduler::cancel(TimerId id) {
    const auto found = _timers.find(id);
    if (found == _timers.end()) {
        return;
    }
    QTimer* timer = found->second;
    _timers.erase(found);
    timer->stop();
    // The timer may be the one whose callback is running now.
    timer->deleteLater();
}

Scheduler::TimerId QtScheduler::start(double seconds, bool repeating,
                                      std::function<void()> callback) {
    const TimerId id = _nextId++;
    auto* timer = new QTimer(&_owner);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(milliseconds(seconds));
    QObject::connect(timer, &QTimer::timeout, timer,
                     [this, id, repeating, callback = std::move(callback)] {
                         if (!repeating) {
                             cancel(id);
                         }
                         // A copy: the callback may cancel its own timer.
                         const auto run = callback;
                         run();
                     });
    _timers[id] = timer;
    timer->start();
    return id;
}
