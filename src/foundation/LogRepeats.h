#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

class LogSink;

// Folds a line that comes again and again, one time after another, into its
// first writing and one line that counts the rest ("last line repeated N more
// times"), written once a different line comes, once the repeats have stopped
// for kQuiet, or every kLongest while they go on. Not thread-safe: the log
// calls it under its own lock.
class LogRepeats {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kQuiet = std::chrono::seconds(1);
    static constexpr Clock::duration kLongest = std::chrono::seconds(60);

    void write(std::string_view line, LogSink& sink, Clock::time_point now);
    // The count of repeats that have gone quiet, or have been held too long.
    void flushDue(LogSink& sink, Clock::time_point now);
    // Every count held, and the next line is new whatever it says.
    void flush(LogSink& sink);

private:
    void writeCount(LogSink& sink);

    std::string _last;
    std::uint64_t _repeats = 0;
    Clock::time_point _firstRepeat;
    Clock::time_point _lastRepeat;
};
