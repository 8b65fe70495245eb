#include "foundation/Clock.h"

#include "foundation/KivClock.h"

double SteadyClock::now() const {
    return CurrentTimeInSeconds();
}
