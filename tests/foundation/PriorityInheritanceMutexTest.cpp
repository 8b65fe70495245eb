#include "foundation/PriorityInheritanceMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

TEST(PriorityInheritanceMutexTest, SpinningFirstStillExcludesAndWaitsOutALongHolder) {
    PriorityInheritanceMutex mutex;
    long counter = 0;
    constexpr int kRounds = 20000;
    std::thread other([&] {
        for (int i = 0; i < kRounds; ++i) {
            std::lock_guard guard(mutex);
            ++counter;
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        ASSERT_EQ(mutex.lockSpinningFirst(), 0);
        ++counter;
        mutex.unlock();
    }
    other.join();
    EXPECT_EQ(counter, 2L * kRounds);

    // A holder far past the spin is waited for in the kernel, not skipped.
    std::atomic<bool> holding{false};
    std::atomic<bool> released{false};
    std::thread holder([&] {
        std::lock_guard guard(mutex);
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        released = true;
    });
    while (!holding) {
        std::this_thread::yield();
    }
    ASSERT_EQ(mutex.lockSpinningFirst(), 0);
    EXPECT_TRUE(released);
    mutex.unlock();
    holder.join();
}
