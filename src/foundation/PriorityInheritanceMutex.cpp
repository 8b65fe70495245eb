#include "foundation/PriorityInheritanceMutex.h"

#include <chrono>
#include <system_error>

namespace {

// Longer than any section its other holders run; short enough that a holder
// which was preempted is soon waited for in the kernel, which lends it the
// waiter's priority.
constexpr auto kSpinLimit = std::chrono::microseconds(20);

void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

void check(int status, const char* what) {
    if (status != 0) {
        throw std::system_error(status, std::generic_category(), what);
    }
}

} // namespace

PriorityInheritanceMutex::PriorityInheritanceMutex() {
    pthread_mutexattr_t attributes;
    check(pthread_mutexattr_init(&attributes), "pthread_mutexattr_init");
    // Where the protocol is not offered the mutex still works, only without
    // the priority loan.
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    const int status = pthread_mutex_init(&_mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    check(status, "pthread_mutex_init");
}

PriorityInheritanceMutex::~PriorityInheritanceMutex() {
    pthread_mutex_destroy(&_mutex);
}

void PriorityInheritanceMutex::lock() {
    check(pthread_mutex_lock(&_mutex), "pthread_mutex_lock");
}

int PriorityInheritanceMutex::lockSpinningFirst() noexcept {
    const auto giveUp = std::chrono::steady_clock::now() + kSpinLimit;
    while (std::chrono::steady_clock::now() < giveUp) {
        if (try_lock()) {
            return 0;
        }
        cpuRelax();
    }
    return pthread_mutex_lock(&_mutex);
}

bool PriorityInheritanceMutex::try_lock() noexcept {
    return pthread_mutex_trylock(&_mutex) == 0;
}

void PriorityInheritanceMutex::unlock() noexcept {
    pthread_mutex_unlock(&_mutex);
}
