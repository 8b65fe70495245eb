#include "foundation/KivClock.h"

#include <cmath>
#include <ctime>
#include <limits>
#include <numbers>

namespace {

constexpr double kSecondsPerTick = 1e-9;
// Multiplying keeps whole seconds exact; dividing by kSecondsPerTick would not.
constexpr double kTicksPerSecond = 1e9;

std::uint64_t truncatedTicks(double ticks) {
    if (!(ticks > 0)) {
        return 0;
    }
    constexpr double kLimit = 18446744073709549568.0; // largest double below 2^64
    if (ticks >= kLimit) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return static_cast<std::uint64_t>(ticks);
}

} // namespace

std::uint64_t HostTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull +
           static_cast<std::uint64_t>(now.tv_nsec);
}

double CurrentTimeInSeconds() {
    return SecondsFromHostTime(HostTimeNow());
}

double SecondsFromHostTime(std::uint64_t ticks) {
    return static_cast<double>(ticks) * kSecondsPerTick;
}

double HostTimeFromSeconds(double seconds) {
    return static_cast<double>(truncatedTicks(seconds * kTicksPerSecond));
}

double SecondsFromNanoseconds(std::uint64_t nanoseconds) {
    return static_cast<double>(nanoseconds) * 1e-9;
}

std::uint64_t NanosecondsFromSeconds(double seconds) {
    return truncatedTicks(seconds * 1e9);
}

double DegreesToRadians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

double RadiansToDegrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}
