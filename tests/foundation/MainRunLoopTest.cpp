#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

TEST(MainRunLoopTest, WithoutAnInstalledSchedulerATimerIsRefusedAloud) {
    CapturingLogSink log;
    bool fired = false;
    EXPECT_EQ(MainRunLoop::scheduler().scheduleOnce(0.0, [&] { fired = true; }), 0u);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("no main loop scheduler"), std::string::npos);
    EXPECT_FALSE(fired);
}

TEST(MainRunLoopTest, ScopedInstallDrivesTimersAndRestoresThePreviousPair) {
    const Clock* defaultClock = &MainRunLoop::clock();
    ManualClock outerClock(5.0);
    ManualScheduler outer(outerClock);
    {
        MainRunLoop::ScopedInstall outerInstall(outer, outerClock);
        ManualClock innerClock(9.0);
        ManualScheduler inner(innerClock);
        {
            MainRunLoop::ScopedInstall innerInstall(inner, innerClock);
            int fired = 0;
            MainRunLoop::scheduler().scheduleOnce(1.0, [&] { ++fired; });
            EXPECT_EQ(MainRunLoop::clock().now(), 9.0);
            inner.advance(1.0);
            EXPECT_EQ(fired, 1);
        }
        EXPECT_EQ(&MainRunLoop::scheduler(), &outer);
        EXPECT_EQ(MainRunLoop::clock().now(), 5.0);
    }
    EXPECT_EQ(&MainRunLoop::clock(), defaultClock);
}
