#pragma once

#include <cstdint>

// The shape of every mixer that sources attach to (a device's, a send's):
// this many input buses, each as wide as the widest file a source plays.
inline constexpr std::uint32_t kKivAudioBusCount = 500;
inline constexpr std::uint32_t kKivAudioChannelsPerBus = 48;
