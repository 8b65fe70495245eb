#include "foundation/ManualScheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ManualScheduler, FiresInDeadlineOrderWithTheClockAtEachDeadline) {
    ManualClock clock(10.0);
    ManualScheduler scheduler(clock);
    std::vector<std::pair<std::string, double>> fired;
    scheduler.scheduleOnce(0.5, [&] { fired.emplace_back("half", clock.now()); });
    scheduler.scheduleRepeating(0.2, [&] { fired.emplace_back("tick", clock.now()); });
    scheduler.advance(0.45);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_DOUBLE_EQ(fired[0].second, 10.2);
    EXPECT_DOUBLE_EQ(fired[1].second, 10.4);
    scheduler.advance(0.1);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[2].first, "half");
    EXPECT_DOUBLE_EQ(clock.now(), 10.55);
}

TEST(ManualScheduler, CallbacksMayCancelAndSchedule) {
    ManualClock clock;
    ManualScheduler scheduler(clock);
    int ticks = 0;
    Scheduler::TimerId repeating = 0;
    repeating = scheduler.scheduleRepeating(0.1, [&] {
        if (++ticks == 3) {
            scheduler.cancel(repeating);
            scheduler.scheduleOnce(1.0, [&] { ticks += 100; });
        }
    });
    scheduler.advance(0.95);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(0.5);
    EXPECT_EQ(ticks, 103);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    scheduler.cancel(12345);
}
