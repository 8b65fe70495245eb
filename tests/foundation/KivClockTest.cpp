#include "foundation/KivClock.h"

#include "foundation/KivGeometry.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cmath>
#include <limits>

TEST(KivClock, CurrentTimeFollowsTheMonotonicClock) {
    timespec mono{};
    clock_gettime(CLOCK_MONOTONIC, &mono);
    const double before = static_cast<double>(mono.tv_sec) + mono.tv_nsec * 1e-9;
    const double now = CurrentTimeInSeconds();
    EXPECT_GE(now, before);
    EXPECT_LT(now - before, 1.0);
    EXPECT_LE(now, CurrentTimeInSeconds());
}

TEST(KivClock, HostTimeConversions) {
    EXPECT_DOUBLE_EQ(SecondsFromHostTime(1500000000), 1.5);
    EXPECT_DOUBLE_EQ(HostTimeFromSeconds(0.01), 10000000.0);
    EXPECT_DOUBLE_EQ(HostTimeFromSeconds(2.0), 2e9);
    EXPECT_EQ(HostTimeFromSeconds(-1.0), 0.0);
    EXPECT_EQ(HostTimeFromSeconds(std::nan("")), 0.0);
    EXPECT_EQ(HostTimeFromSeconds(1e30),
              static_cast<double>(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_EQ(NanosecondsFromSeconds(1.25), 1250000000u);
    EXPECT_EQ(NanosecondsFromSeconds(-3), 0u);
    EXPECT_DOUBLE_EQ(SecondsFromNanoseconds(2500), 2.5e-6);
}

TEST(KivGeometry, InsetAndDistance) {
    const KivRect inset = InsetRectByXY({10, 20, 100, 50}, 2, 5);
    EXPECT_FLOAT_EQ(inset.x, 12);
    EXPECT_FLOAT_EQ(inset.y, 25);
    EXPECT_FLOAT_EQ(inset.width, 96);
    EXPECT_FLOAT_EQ(inset.height, 40);
    EXPECT_FLOAT_EQ(DistanceBetweenPoints({0, 0}, {3, 4}), 5);
    EXPECT_DOUBLE_EQ(RadiansToDegrees(DegreesToRadians(90)), 90);
}
