#pragma once

#include <pthread.h>

// libjack cancels its own threads, asynchronously, when a client closes or
// its server goes. A cancellation acting inside a callback's work (a write,
// a wait) would unwind through noexcept code and end the program, so the
// work runs with cancellation held off. A pending one acts when the guard
// restores the old state: the guard and the callback that holds it are
// therefore not noexcept, and the unwind passes on into libjack's thread.
class JackCallbackGuard {
public:
    JackCallbackGuard() noexcept { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &_previous); }
    ~JackCallbackGuard() noexcept(false) { pthread_setcancelstate(_previous, nullptr); }
    JackCallbackGuard(const JackCallbackGuard&) = delete;
    JackCallbackGuard& operator=(const JackCallbackGuard&) = delete;

private:
    int _previous = PTHREAD_CANCEL_ENABLE;
};
