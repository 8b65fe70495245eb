#include "platform/audio/RealtimeThread.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"

#include <pthread.h>
#include <sched.h>

#include <cstring>

void requestRealtimeScheduling(const char* what) {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    const int result = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    if (result != 0 && KivEnvironment::logLevel() >= 3) {
        logFormat("%s runs without real-time priority: %s", what, std::strerror(result));
    }
}
