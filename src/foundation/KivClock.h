#pragma once

#include <cstdint>

// Clock helpers. Every time here is monotonic: a change of the wall clock
// never moves a fade, a finish time or a timeout.

// Seconds on the monotonic clock.
double CurrentTimeInSeconds();

// Host ticks: nanoseconds of the monotonic clock.
std::uint64_t HostTimeNow();
double SecondsFromHostTime(std::uint64_t ticks);
// Ticks for a time in seconds, truncated; negative and NaN give 0, and a time
// past the tick range gives the largest tick count.
double HostTimeFromSeconds(double seconds);

double SecondsFromNanoseconds(std::uint64_t nanoseconds);
// Truncated; negative and NaN give 0.
std::uint64_t NanosecondsFromSeconds(double seconds);
double DegreesToRadians(double degrees);
double RadiansToDegrees(double radians);
