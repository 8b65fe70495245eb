#pragma once

#include "foundation/Clock.h"
#include "foundation/Scheduler.h"

// The main loop as the plain layers see it: the timers that fire on it and
// the monotonic clock they measure. Objects made deep inside decoding (cues,
// sources) take these at construction. The application installs its Qt
// scheduler at start-up, tests install a manual pair.
namespace MainRunLoop {

// Until a scheduler is installed, scheduling logs an error and the timer never
// fires: nothing must silently wait on a loop that does not exist.
Scheduler& scheduler();
const Clock& clock();

// Main thread, before any model object exists. Null restores the default.
void install(Scheduler* scheduler, const Clock* clock);

// Installs a pair for one scope and restores the previous pair after it.
class ScopedInstall {
public:
    ScopedInstall(Scheduler& scheduler, const Clock& clock);
    ~ScopedInstall();
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

private:
    Scheduler* _previousScheduler;
    const Clock* _previousClock;
};

} // namespace MainRunLoop
