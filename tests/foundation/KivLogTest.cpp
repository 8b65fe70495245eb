#include "foundation/KivStatusError.h"
#include "foundation/RealtimeLogQueue.h"
#include "foundation/ThreadRole.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

TEST(KivLog, LinesLoseTheirTrailingNewline) {
    CapturingLogSink log;
    logFormat("Launching at log level %d\n", 0);
    logLine("plain");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Launching at log level 0", "plain"}));
}

TEST(KivStatusError, ShowsTheStatusBytesLeastSignificantFirst) {
    CapturingLogSink log;
    // 'fmt?' as a four-character code lies in memory as "?tmf".
    logStatusError(0x666d743f, "input=1, output=2", "AudioUnitSetProperty", 42);
    logStatusError(0x666d743f, "AUGraphStart", 7);
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0],
              "Error: 1718449215 [?tmf] input=1, output=2 | AudioUnitSetProperty [line 42]");
    EXPECT_EQ(log.lines()[1], "Error: 1718449215 [?tmf] | AUGraphStart [line 7]");
}

TEST(KivStatusError, NeverWritesControlOrNonAsciiBytes) {
    char chars[5];
    statusCharacters(-43, chars); // D5 FF FF FF
    EXPECT_STREQ(chars, "????");
    statusCharacters(1, chars); // 01 00 00 00: stops at the zero byte
    EXPECT_STREQ(chars, "?");
    statusCharacters(0, chars);
    EXPECT_STREQ(chars, "");
}

TEST(KivLog, RenderThreadLinesWaitForTheDrain) {
    CapturingLogSink log;
    std::thread render([] {
        ScopedThreadRole role(ThreadRole::Render);
        logFormat("Warning: dropped %d frames", 12);
    });
    render.join();
    EXPECT_TRUE(log.lines().empty());
    drainRealtimeLog();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Warning: dropped 12 frames"}));
}

TEST(KivLog, PumpDeliversRenderLinesByItself) {
    CapturingLogSink log;
    {
        RealtimeLogPump pump;
        ScopedThreadRole role(ThreadRole::Render);
        logLine("from the render thread");
    }
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"from the render thread"}));
}

TEST(RealtimeLogQueue, FullQueueDropsAndCounts) {
    RealtimeLogQueue queue;
    for (std::size_t i = 0; i < RealtimeLogQueue::kCapacity; ++i) {
        ASSERT_TRUE(queue.push("line " + std::to_string(i)));
    }
    EXPECT_FALSE(queue.push("one too many"));
    EXPECT_EQ(queue.takeDroppedCount(), 1u);
    EXPECT_EQ(queue.takeDroppedCount(), 0u);

    std::vector<std::string> lines;
    queue.drain([&](std::string_view line) { lines.emplace_back(line); });
    ASSERT_EQ(lines.size(), RealtimeLogQueue::kCapacity);
    EXPECT_EQ(lines.front(), "line 0");
    EXPECT_EQ(lines.back(), "line " + std::to_string(RealtimeLogQueue::kCapacity - 1));
    EXPECT_TRUE(queue.push("room again"));
}

TEST(RealtimeLogQueue, LongLinesAreCut) {
    RealtimeLogQueue queue;
    queue.push(std::string(1000, 'x'));
    std::string line;
    queue.drain([&](std::string_view text) { line = text; });
    EXPECT_EQ(line, std::string(RealtimeLogQueue::kLineLength, 'x'));
}

TEST(RealtimeLogQueue, ManyProducersLoseNothingThatFits) {
    RealtimeLogQueue queue;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 50; // 200 lines fit in the queue
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&queue, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.push(std::to_string(t) + ":" + std::to_string(i));
            }
        });
    }
    for (auto& p : producers) {
        p.join();
    }
    std::vector<int> next(kThreads, 0);
    std::size_t count = queue.drain([&](std::string_view line) {
        const auto colon = line.find(':');
        const int t = std::stoi(std::string(line.substr(0, colon)));
        const int i = std::stoi(std::string(line.substr(colon + 1)));
        EXPECT_EQ(i, next[t]) << "lines of one producer stay in order";
        next[t] = i + 1;
    });
    EXPECT_EQ(count, static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_EQ(queue.takeDroppedCount(), 0u);
}
