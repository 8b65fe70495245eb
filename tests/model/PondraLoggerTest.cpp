#include "model/PondraLogger.h"

#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/NotificationCenter.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <latch>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using TimePoint = std::chrono::system_clock::time_point;

// 2026-12-09 05:23:54 UTC.
constexpr TimePoint kMorning{std::chrono::seconds{1796793834}};

// Runs a test in a fixed time zone and restores the process's own after it.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* previous = std::getenv("TZ")) {
            _previous = previous;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (_previous) {
            setenv("TZ", _previous->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::optional<std::string> _previous;
};

// A wall clock that moves on by `step` at each line; safe from any thread.
PondraLogger::WallClock steppingClock(TimePoint start, std::chrono::seconds step) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    return [=] { return start + step * calls->fetch_add(1); };
}

// Counts the update notifications of one logger.
class UpdateCounter {
public:
    explicit UpdateCounter(const PondraLogger& logger)
        : _connection(NotificationCenter::defaultCenter().addObserver(
              PondraLogUpdatedNotification, &logger, [this](const Notification&) { ++_count; })) {}
    int count() const { return _count; }

private:
    std::atomic<int> _count{0};
    Connection _connection;
};

class PondraLoggerTest : public ::testing::Test {
protected:
    ScopedTimeZone _utc{"UTC0"};
};

} // namespace

TEST_F(PondraLoggerTest, TimeStampIsLocalTime) {
    EXPECT_EQ(PondraLogger::timeStamp(kMorning), "2026-12-09 05:23:54");
    EXPECT_EQ(PondraLogger::timeStamp(kMorning + 999ms), "2026-12-09 05:23:54")
        << "fractions are cut, not rounded";
    EXPECT_EQ(PondraLogger::timeStamp(TimePoint{} - 1ms), "1969-12-31 23:59:59");
    const ScopedTimeZone east("XST-10");
    EXPECT_EQ(PondraLogger::timeStamp(kMorning + 14h), "2026-12-10 05:23:54");
}

TEST_F(PondraLoggerTest, LinesCarryTheirTimeAndMessage) {
    PondraLogger logger(steppingClock(kMorning, 65s));
    EXPECT_EQ(logger.stringWithContentsOfLog(), "");
    logger.appendLog("Intro (intro.wav)");
    logger.appendLog("Thunder 2 (storm - take 3.flac)");
    logger.appendLog("100% (%s %d.wav)");
    EXPECT_EQ(logger.log(), (std::vector<std::string>{
                                "2026-12-09 05:23:54 - Intro (intro.wav)",
                                "2026-12-09 05:24:59 - Thunder 2 (storm - take 3.flac)",
                                "2026-12-09 05:26:04 - 100% (%s %d.wav)",
                            }));
    EXPECT_EQ(logger.stringWithContentsOfLog(),
              "2026-12-09 05:23:54 - Intro (intro.wav)\n"
              "2026-12-09 05:24:59 - Thunder 2 (storm - take 3.flac)\n"
              "2026-12-09 05:26:04 - 100% (%s %d.wav)\n");
}

TEST_F(PondraLoggerTest, MutedLinesGoToTheConsoleOnly) {
    CapturingLogSink console;
    PondraLogger logger(steppingClock(kMorning, 1s));
    const UpdateCounter updates(logger);
    logger.appendLog("before");
    EXPECT_FALSE(logger.muted());
    logger.toggleMute();
    EXPECT_TRUE(logger.muted());
    logger.appendLog("during %s");
    logger.toggleMute();
    EXPECT_FALSE(logger.muted());
    logger.appendLog("after");
    EXPECT_EQ(logger.stringWithContentsOfLog(), "2026-12-09 05:23:54 - before\n"
                                                "2026-12-09 05:23:55 - after\n");
    EXPECT_EQ(updates.count(), 2) << "a muted line changes nothing to show";
    EXPECT_EQ(console.lines(), std::vector<std::string>{"muted: during %s"});
}

TEST_F(PondraLoggerTest, ClearAndSetLogNotify) {
    PondraLogger logger(steppingClock(kMorning, 1s));
    const UpdateCounter updates(logger);
    logger.appendLog("one");
    EXPECT_EQ(updates.count(), 1);
    logger.clearLog();
    EXPECT_EQ(updates.count(), 2);
    EXPECT_TRUE(logger.log().empty());
    logger.setLog({"a", "b"});
    EXPECT_EQ(updates.count(), 3);
    EXPECT_EQ(logger.stringWithContentsOfLog(), "a\nb\n");
}

TEST_F(PondraLoggerTest, NotificationNamesItsLoggerAndAllowsReading) {
    PondraLogger logger(steppingClock(kMorning, 1s));
    PondraLogger other(steppingClock(kMorning, 1s));
    std::vector<std::string> seen;
    const Connection connection = NotificationCenter::defaultCenter().addObserver(
        PondraLogUpdatedNotification, &logger, [&](const Notification& notification) {
            // The log window reads the logger from inside the notification.
            seen.push_back(logger.stringWithContentsOfLog());
        });
    logger.appendLog("go");
    other.appendLog("elsewhere");
    other.clearLog();
    EXPECT_EQ(seen, std::vector<std::string>{"2026-12-09 05:23:54 - go\n"});
}

TEST_F(PondraLoggerTest, CopyIsDeepAndUnmuted) {
    PondraLogger logger(steppingClock(kMorning, 1s));
    logger.appendLog("shared past");
    logger.toggleMute();
    const auto copy = logger.copy();
    EXPECT_EQ(copy->log(), logger.log());
    EXPECT_FALSE(copy->muted());

    logger.toggleMute();
    logger.appendLog("original only");
    copy->appendLog("copy only");
    copy->clearLog();
    copy->appendLog("copy again");
    EXPECT_EQ(logger.log(), (std::vector<std::string>{"2026-12-09 05:23:54 - shared past",
                                                      "2026-12-09 05:23:55 - original only"}));
    EXPECT_EQ(copy->log(), std::vector<std::string>{"2026-12-09 05:23:57 - copy again"})
        << "the copy keeps the clock";
}

TEST_F(PondraLoggerTest, ArchiveRoundTripKeepsLinesNotMute) {
    PondraLogger logger(steppingClock(kMorning, 1s));
    logger.appendLog("Intro (intro.wav)");
    logger.appendLog("caf\xc3\xa9 \"quoted\"\n(two lines)");
    logger.toggleMute();

    KivKeyedEncoder encoder;
    encoder.encodeObject(logger, "logger");
    const nlohmann::json& stored = encoder.storedForm()["logger"];
    EXPECT_EQ(stored["$class"], "PondraLogger");
    EXPECT_EQ(stored["log"], nlohmann::json(logger.log()));
    EXPECT_FALSE(stored.contains("muted"));

    const auto text = encoder.archivedText();
    ASSERT_TRUE(text) << encoder.error();
    auto decoder = KivKeyedDecoder::decoderForText(*text);
    const auto decoded = decoder.decodeObjectForKey<PondraLogger>("logger");
    ASSERT_TRUE(decoded) << decoder.error();
    EXPECT_FALSE(decoder.failed()) << decoder.error();
    EXPECT_EQ(decoded->log(), logger.log());
    EXPECT_FALSE(decoded->muted());
}

TEST_F(PondraLoggerTest, BadArchives) {
    const auto decode = [](nlohmann::json stored, std::string& error) {
        KivKeyedDecoder decoder(nlohmann::json{{"logger", std::move(stored)}});
        auto logger = decoder.decodeObjectForKey<PondraLogger>("logger");
        error = decoder.error();
        return logger;
    };
    std::string error;
    const auto empty = decode({{"$class", "PondraLogger"}}, error);
    ASSERT_TRUE(empty) << error;
    EXPECT_EQ(error, "");
    EXPECT_TRUE(empty->log().empty());

    EXPECT_FALSE(decode({{"$class", "PondraLogger"}, {"log", "one line"}}, error));
    EXPECT_EQ(error, "logger: PondraLogger: log is not an array");
    EXPECT_FALSE(decode({{"$class", "PondraLogger"}, {"log", {"fine", 7}}}, error));
    EXPECT_EQ(error, "logger: PondraLogger: a line of the log is not a string");
    EXPECT_FALSE(decode({{"$class", "PondraLogger"}, {"log", nullptr}}, error));
    EXPECT_EQ(error, "logger: PondraLogger: log is not an array");
}

TEST_F(PondraLoggerTest, AppendsFromManyThreadsLoseNothing) {
    constexpr int kThreads = 6;
    constexpr int kLinesEach = 200;
    PondraLogger logger(steppingClock(kMorning, 0s));
    const UpdateCounter updates(logger);
    std::atomic<int> readsDuringPosts{0};
    const Connection reader = NotificationCenter::defaultCenter().addObserver(
        PondraLogUpdatedNotification, &logger, [&](const Notification&) {
            if (!logger.stringWithContentsOfLog().empty()) {
                ++readsDuringPosts;
            }
        });

    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int i = 0; i < kLinesEach; ++i) {
                logger.appendLog(std::to_string(t) + ":" + std::to_string(i));
                if (t == 0 && i % 50 == 0) {
                    logger.toggleMute();
                    logger.toggleMute();
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const auto lines = logger.log();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    EXPECT_EQ(updates.count(), kThreads * kLinesEach);
    EXPECT_EQ(readsDuringPosts.load(), kThreads * kLinesEach);
    std::vector<int> next(kThreads, 0);
    const std::string prefix = "2026-12-09 05:23:54 - ";
    for (const auto& line : lines) {
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        const std::string message = line.substr(prefix.size());
        const auto colon = message.find(':');
        ASSERT_NE(colon, std::string::npos) << line;
        const int thread = std::stoi(message.substr(0, colon));
        const int index = std::stoi(message.substr(colon + 1));
        ASSERT_EQ(index, next[thread]) << "each thread's lines stay in its order";
        ++next[thread];
    }
}
