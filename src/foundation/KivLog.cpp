#include "foundation/KivLog.h"

#include "foundation/LogRepeats.h"
#include "foundation/RealtimeLogQueue.h"
#include "foundation/ThreadRole.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

struct LogState {
    StderrLogSink stderrSink;
    std::atomic<LogSink*> sink{&stderrSink};
    // Serialises writes so lines from different threads never interleave.
    std::mutex writeMutex;
    // Guarded by writeMutex.
    LogRepeats repeats;
};

// Never destroyed: what other statics log as the process tears them down at
// exit (a backend's worker giving up, say) still has a sink to go to.
LogState& logState() {
    static LogState* const state = new LogState;
    return *state;
}

RealtimeLogQueue gRealtimeQueue;

void writeToSink(std::string_view line) {
    LogState& state = logState();
    std::lock_guard lock(state.writeMutex);
    state.repeats.write(line, *state.sink.load(std::memory_order_acquire),
                        LogRepeats::Clock::now());
}

void flushDueRepeats() {
    LogState& state = logState();
    std::lock_guard lock(state.writeMutex);
    state.repeats.flushDue(*state.sink.load(std::memory_order_acquire), LogRepeats::Clock::now());
}

std::string_view withoutNewline(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

void StderrLogSink::write(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

LogSink* setLogSink(LogSink* sink) {
    LogState& state = logState();
    std::lock_guard lock(state.writeMutex);
    // The count of the old sink's last line is its own.
    state.repeats.flush(*state.sink.load(std::memory_order_acquire));
    return state.sink.exchange(sink ? sink : &state.stderrSink, std::memory_order_acq_rel);
}

void flushLog() {
    LogState& state = logState();
    std::lock_guard lock(state.writeMutex);
    state.repeats.flush(*state.sink.load(std::memory_order_acquire));
}

void logLine(std::string_view line) {
    line = withoutNewline(line);
    if (isRenderThread()) {
        gRealtimeQueue.push(line);
        return;
    }
    writeToSink(line);
}

void logFormatV(const char* format, va_list args) {
    if (isRenderThread()) {
        char buffer[RealtimeLogQueue::kLineLength + 1];
        std::vsnprintf(buffer, sizeof buffer, format, args);
        logLine(buffer);
        return;
    }
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        return;
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    logLine(text);
}

void logFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    logFormatV(format, args);
    va_end(args);
}

void drainRealtimeLog() {
    assertNotRenderThread();
    gRealtimeQueue.drain([](std::string_view line) { writeToSink(line); });
    if (const auto dropped = gRealtimeQueue.takeDroppedCount()) {
        logFormat("Warning: %llu log lines from the render thread were dropped",
                  static_cast<unsigned long long>(dropped));
    }
    flushDueRepeats();
}

RealtimeLogPump::RealtimeLogPump()
    : _thread([this] {
        std::unique_lock lock(_mutex);
        while (_running) {
            _wake.wait_for(lock, std::chrono::milliseconds(20));
            lock.unlock();
            drainRealtimeLog();
            lock.lock();
        }
    }) {}

RealtimeLogPump::~RealtimeLogPump() {
    {
        std::lock_guard lock(_mutex);
        _running = false;
    }
    _wake.notify_one();
    _thread.join();
    drainRealtimeLog();
    flushLog();
}
