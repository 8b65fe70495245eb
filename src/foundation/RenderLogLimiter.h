#pragma once

#include <cstdint>

// Keeps one source's render-path error from filling the log: a line goes out
// only when a second has passed since the limiter's last one, and it says how
// many like it were held back meanwhile. Times are seconds on any clock that
// does not run backwards (a stream's sample time, for tests that render by
// hand). One thread at a time uses a limiter, normally the render thread;
// nothing here allocates, blocks or throws.
class RenderLogLimiter {
public:
    static constexpr double kInterval = 1.0;

    // The line of logFormat(), with " (N more held back)" when N > 0.
    void logFormat(double now, const char* format, ...) noexcept
        __attribute__((format(printf, 3, 4)));
    // The line of logStatusError(status, operation, line), limited the same way.
    void logStatusError(double now, std::int32_t status, const char* operation, int line) noexcept;

private:
    // Whether a line may go out at `now`; counts it when not.
    bool admit(double now) noexcept;

    bool _logged = false;
    double _lastLine = 0.0;
    std::uint64_t _heldBack = 0;
};
