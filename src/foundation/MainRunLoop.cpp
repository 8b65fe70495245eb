#include "foundation/MainRunLoop.h"

#include "foundation/KivLog.h"

#include <atomic>

namespace {

class MissingScheduler final : public Scheduler {
public:
    TimerId scheduleOnce(double, std::function<void()>) override { return refuse(); }
    TimerId scheduleRepeating(double, std::function<void()>) override { return refuse(); }
    void cancel(TimerId) override {}

private:
    static TimerId refuse() {
        logLine("Error: no main loop scheduler is installed; a timer will not fire");
        return 0;
    }
};

MissingScheduler missingScheduler;
SteadyClock steadyClock;
std::atomic<Scheduler*> installedScheduler{&missingScheduler};
std::atomic<const Clock*> installedClock{&steadyClock};

} // namespace

namespace MainRunLoop {

Scheduler& scheduler() {
    return *installedScheduler.load(std::memory_order_acquire);
}

const Clock& clock() {
    return *installedClock.load(std::memory_order_acquire);
}

void install(Scheduler* scheduler, const Clock* clock) {
    installedScheduler.store(scheduler ? scheduler : &missingScheduler, std::memory_order_release);
    installedClock.store(clock ? clock : &steadyClock, std::memory_order_release);
}

ScopedInstall::ScopedInstall(Scheduler& scheduler, const Clock& clock)
    : _previousScheduler(&MainRunLoop::scheduler())
    , _previousClock(&MainRunLoop::clock()) {
    install(&scheduler, &clock);
}

ScopedInstall::~ScopedInstall() {
    install(_previousScheduler, _previousClock);
}

} // namespace MainRunLoop
