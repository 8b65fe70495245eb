#pragma once

#include <cstdint>

// How a MatrixMixer's parameters are addressed: a parameter, a scope and an
// element number, the same numbers the device, source and send code uses.
enum class MixerScope : std::uint32_t { Global = 0, Input = 1, Output = 2 };

enum class MixerParameter : std::uint32_t {
    Volume = 0,               // linear gain; global (master, crosspoints), input or output channel
    Enable = 1,               // input scope, element = input bus; 1.0 pulls the bus, 0.0 skips it
    PostAveragePower = 3000,  // dB, read-only; input or output channel
    PostPeakHoldLevel = 4000, // dB, read-only; input or output channel
};

// Global-scope element of the master gain.
inline constexpr std::uint32_t kMixerMasterElement = 0xFFFFFFFFu;

// Global-scope element of the crosspoint from input channel `input` to output
// channel `output`. Channels are counted across all buses of a side.
constexpr std::uint32_t mixerCrosspointElement(std::uint32_t input, std::uint32_t output) {
    return input * 65536u + (output % 65536u);
}

// Statuses of parameter calls and of process(); 0 is success.
namespace MixerStatus {
inline constexpr std::int32_t Ok = 0;
inline constexpr std::int32_t InvalidScope = -10866;
inline constexpr std::int32_t InvalidElement = -10877;
inline constexpr std::int32_t InvalidParameter = -10878;
inline constexpr std::int32_t InvalidValue = -10851;
inline constexpr std::int32_t ParameterNotWritable = -10865;
inline constexpr std::int32_t ChannelCountMismatch = -10868;
} // namespace MixerStatus
