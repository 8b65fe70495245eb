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

    void lock();
    bool try_lock();
    void unlock();

private:
    pthread_mutex_t _mutex;
};
