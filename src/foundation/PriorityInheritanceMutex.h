#pragma once

#include <pthread.h>

// A mutex that lends the priority of a real-time waiter to whoever holds it.
// A render thread that must take a lock a normal thread also takes would
// otherwise wait out the holder's preemption by unrelated work: a loaded
// machine turns a few microseconds under the lock into milliseconds.
// Lockable, so it works with std::lock_guard, std::unique_lock and
// std::condition_variable_any.
class PriorityInheritanceMutex {
public:
    PriorityInheritanceMutex();
    ~PriorityInheritanceMutex();
    PriorityInheritanceMutex(const PriorityInheritanceMutex&) = delete;
    PriorityInheritanceMutex& operator=(const PriorityInheritanceMutex&) = delete;

    // Not on the render thread: throws std::system_error when the lock fails.
    void lock();
    // For the render thread, whose waits must stay short: tries without
    // sleeping for a few microseconds before it blocks. The other holders'
    // sections are that short, and a thread put to sleep on the lock can take
    // far longer than that to be woken (tens of microseconds on a virtual
    // machine, whose idle processor must be woken too). Answers 0 with the
    // lock held, or the error that kept it; it never throws.
    [[nodiscard]] int lockSpinningFirst() noexcept;
    bool try_lock() noexcept;
    void unlock() noexcept;

private:
    pthread_mutex_t _mutex;
};
