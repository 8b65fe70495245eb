#include "foundation/RenderLogLimiter.h"

#include "foundation/ThreadRole.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

// 64-frame cycles at 48 kHz, each failing: one line a second, and the line
// after a quiet second counts the ones held back.
TEST(RenderLogLimiterTest, FailingCyclesGiveOneLineASecondWithTheCount) {
    CapturingLogSink log;
    RenderLogLimiter limiter;
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (int cycle = 0; cycle < 1600; ++cycle) {
            limiter.logStatusError(cycle * 64 / 48000.0, -50, "Source::render", 12);
        }
    }
    drainRealtimeLog();
    flushLog();
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(log.lines()[0], "Error: -50 [\?\?\?\?] | Source::render [line 12]");
    // Cycle 750 starts at 1 s exactly; 749 were held back before it. The
    // next second's line says the same, and the log counts it.
    EXPECT_EQ(log.lines()[1],
              "Error: -50 [\?\?\?\?] | Source::render [line 12] (749 more held back)");
    EXPECT_EQ(log.lines()[2], "last line repeated 1 more time");
}

TEST(RenderLogLimiterTest, EachLimiterKeepsItsOwnSecond) {
    CapturingLogSink log;
    RenderLogLimiter first;
    RenderLogLimiter second;
    first.logFormat(0.0, "Warning: %s", "one");
    second.logFormat(0.5, "Warning: %s", "two");
    first.logFormat(0.9, "Warning: %s", "one");
    first.logFormat(5.0, "Warning: %s", "one");
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(log.lines()[0], "Warning: one");
    EXPECT_EQ(log.lines()[1], "Warning: two");
    EXPECT_EQ(log.lines()[2], "Warning: one (1 more held back)");
}
