// Animations tick every 1/30 s on the main loop's scheduler.
#include "KivUI/views/KivAnimation.h"

#include "foundation/ManualScheduler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Animation : public ::testing::Test {
protected:
    ManualClock clock;
    ManualScheduler scheduler{clock};
};

} // namespace

TEST_F(Animation, ALinearAnimationReportsItsShareOfTheDurationAtEachTickAndEndsOnce) {
    KivAnimation animation(0.1, KivAnimation::Curve::Linear, scheduler);
    std::vector<double> ticks;
    int ended = 0;
    animation.start([&](double progress) { ticks.push_back(progress); }, [&] { ++ended; });
    EXPECT_TRUE(animation.isAnimating());
    EXPECT_EQ(animation.currentProgress(), 0.0);
    for (int i = 0; i < 5; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_NEAR(ticks[0], 1.0 / 3, 1e-9);
    EXPECT_NEAR(ticks[1], 2.0 / 3, 1e-9);
    EXPECT_EQ(ticks[2], 1.0);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(animation.isAnimating());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(Animation, EaseInOutStartsAndEndsSlowly) {
    KivAnimation animation(0.5, KivAnimation::Curve::EaseInOut, scheduler);
    std::vector<double> ticks;
    animation.start([&](double progress) { ticks.push_back(progress); });
    for (int i = 0; i < 15; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    ASSERT_EQ(ticks.size(), 15u);
    EXPECT_LT(ticks[0], 1.0 / 15);
    EXPECT_NEAR(ticks[6] + ticks[7], 1.0, 0.08);
    EXPECT_GT(ticks[7] - ticks[6], ticks[1] - ticks[0]);
    EXPECT_EQ(ticks.back(), 1.0);
}

TEST_F(Animation, StoppingOrDestroyingCancelsTheTicksWithoutTheEnd) {
    int ended = 0;
    int ticks = 0;
    {
        KivAnimation animation(1.0, KivAnimation::Curve::Linear, scheduler);
        animation.start([&](double) { ++ticks; }, [&] { ++ended; });
        scheduler.advance(KivAnimation::kTick);
        animation.stop();
        scheduler.advance(1.0);
        EXPECT_EQ(ticks, 1);
        animation.start([&](double) { ++ticks; }, [&] { ++ended; });
    }
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    scheduler.advance(2.0);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(ended, 0);
}

TEST_F(Animation, AnAnimationStartedPartWayRunsOnlyTheRestOfItsDuration) {
    KivAnimation animation(0.1, KivAnimation::Curve::EaseInOut, scheduler);
    std::vector<double> ticks;
    int ended = 0;
    animation.start([&](double progress) { ticks.push_back(progress); }, [&] { ++ended; }, 1.0 / 3);
    EXPECT_NEAR(animation.elapsedShare(), 1.0 / 3, 1e-9);
    EXPECT_NEAR(animation.currentProgress(), 0.25, 1e-9);
    for (int i = 0; i < 5; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_NEAR(ticks[0], 0.75, 1e-9);
    EXPECT_EQ(ticks[1], 1.0);
    EXPECT_EQ(ended, 1);
}
