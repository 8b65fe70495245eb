#include "foundation/PriorityInheritanceMutex.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

TEST(PriorityInheritanceMutexTest, ExcludesOtherThreadsAndServesAConditionVariable) {
    PriorityInheritanceMutex mutex;
    std::unique_lock lock(mutex);
    bool tookIt = true;
    std::thread([&] { tookIt = mutex.try_lock(); }).join();
    EXPECT_FALSE(tookIt);

    std::condition_variable_any condition;
    bool ready = false;
    std::thread other([&] {
        std::lock_guard guard(mutex);
        ready = true;
        condition.notify_all();
    });
    condition.wait(lock, [&] { return ready; });
    lock.unlock();
    other.join();
    EXPECT_TRUE(mutex.try_lock());
    mutex.unlock();
}
