#pragma once

#include <condition_variable>
#include <cstdarg>
#include <mutex>
#include <string_view>
#include <thread>

// Where every layer's console lines go. A line is given without its newline.
class LogSink {
public:
    virtual ~LogSink() = default;
    // Called from any thread but the render thread, one line at a time.
    virtual void write(std::string_view line) = 0;
};

// Writes each line to stderr and flushes it, so lines survive a crash.
class StderrLogSink : public LogSink {
public:
    void write(std::string_view line) override;
};

// A test hook: the program keeps stderr. Installs the process-wide sink and
// returns the one it replaces; nullptr restores stderr. The caller keeps the
// sink alive while it is installed.
LogSink* setLogSink(LogSink* sink);

// Any thread. On a render thread the line is queued without allocating or
// blocking and reaches the sink at the next drainRealtimeLog(). A line equal
// to the one before it is counted rather than written again: the count comes
// as one line of its own (see LogRepeats).
void logLine(std::string_view line);
void logFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logFormatV(const char* format, va_list args);

// Delivers the lines queued by render threads to the sink, with a warning
// when some were dropped, and the counts of repeats that have gone quiet.
// Not from a render thread.
void drainRealtimeLog();
// Writes every count of repeats still held. Not from a render thread.
void flushLog();

// Owns a thread that drains the render threads' lines every few milliseconds;
// the destructor stops it and drains and flushes what is left.
class RealtimeLogPump {
public:
    RealtimeLogPump();
    ~RealtimeLogPump();
    RealtimeLogPump(const RealtimeLogPump&) = delete;
    RealtimeLogPump& operator=(const RealtimeLogPump&) = delete;

private:
    std::mutex _mutex;
    std::condition_variable _wake;
    bool _running = true;
    std::thread _thread;
};
