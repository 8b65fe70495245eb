#include "foundation/LogRepeats.h"

#include "foundation/KivLog.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Lines : public LogSink {
public:
    void write(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

using Clock = LogRepeats::Clock;

} // namespace

TEST(LogRepeats, ALineWrittenAgainAndAgainIsWrittenOnceWithItsCount) {
    Lines sink;
    LogRepeats repeats;
    const Clock::time_point start{};
    for (int i = 0; i < 2'000'000; ++i) {
        repeats.write("Error: a state without a component", sink, start);
    }
    repeats.write("Warning: done", sink, start);
    repeats.write("Warning: done", sink, start);
    repeats.flush(sink);
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{"Error: a state without a component",
                                        "last line repeated 1999999 more times", "Warning: done",
                                        "last line repeated 1 more time"}));
    // After a flush the same line is new again.
    repeats.write("Warning: done", sink, start);
    EXPECT_EQ(sink.lines.back(), "Warning: done");
}

TEST(LogRepeats, TheCountIsWrittenOnceTheRepeatsGoQuietOrAtLeastEveryMinute) {
    Lines sink;
    LogRepeats repeats;
    Clock::time_point now{};
    repeats.write("again", sink, now);
    repeats.write("again", sink, now);
    repeats.flushDue(sink, now + LogRepeats::kQuiet / 2);
    EXPECT_EQ(sink.lines.size(), 1u);
    repeats.flushDue(sink, now + LogRepeats::kQuiet);
    EXPECT_EQ(sink.lines.back(), "last line repeated 1 more time");

    // A line that never stops still has its count told every minute.
    for (int tick = 1; tick <= 121; ++tick) {
        now += std::chrono::milliseconds(500);
        repeats.write("again", sink, now);
        repeats.flushDue(sink, now);
        ASSERT_EQ(sink.lines.size(), tick < 121 ? 2u : 3u) << tick;
    }
    EXPECT_EQ(sink.lines.back(), "last line repeated 121 more times");
}

TEST(KivLog, RepeatedLinesReachTheSinkOnceAndTheirCountAtTheFlush) {
    CapturingLogSink log;
    for (int i = 0; i < 1000; ++i) {
        logLine("Warning: the same");
    }
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Warning: the same"});
    flushLog();
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Warning: the same", "last line repeated 999 more times"}));
}
