#pragma once

#include <pthread.h>

// libjack cancels its own threads when a client closes or its server goes.
// Our callbacks are noexcept: a cancellation point reached inside one (a
// write, a wait) would unwind through it and end the program, so a callback
// runs with cancellation held off and lets a pending one act after it returns.
class JackCallbackGuard {
public:
    JackCallbackGuard() noexcept { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &_previous); }
    ~JackCallbackGuard() { pthread_setcancelstate(_previous, nullptr); }
    JackCallbackGuard(const JackCallbackGuard&) = delete;
    JackCallbackGuard& operator=(const JackCallbackGuard&) = delete;

private:
    int _previous = PTHREAD_CANCEL_ENABLE;
};
