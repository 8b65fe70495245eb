#pragma once

#include "platform/effects/Lv2World.h"

#include <cstdint>
#include <memory>
#include <vector>

inline constexpr const char* kTestGainUri = "http://pondra.invalid/test/gain";
inline constexpr const char* kTestGainStereoUri = "http://pondra.invalid/test/gain-stereo";
inline constexpr const char* kTestGainMidiUri = "http://pondra.invalid/test/gain-midi";
inline constexpr const char* kTestGainWorkerUri = "http://pondra.invalid/test/gain-worker";
// A mono gain whose other ports show every kind a generated view meets.
inline constexpr const char* kTestGainControlsUri = "http://pondra.invalid/test/gain-controls";
// One input and two outputs: left = gain * in, right = half of that.
inline constexpr const char* kTestGainWidenUri = "http://pondra.invalid/test/gain-widen";
// Two inputs and one output: gain * (left - right / 2).
inline constexpr const char* kTestGainNarrowUri = "http://pondra.invalid/test/gain-narrow";
inline constexpr std::uint32_t kTestGainLatencyFrames = 64;
inline constexpr std::uint32_t kGainPort = 0; // the gain's parameter id in every variant

// The world of this test process: the test plugins' bundle in front of the
// LV2 path the process was given (or lilv's default one). LV2_PATH is set
// before lilv first loads.
std::shared_ptr<Lv2World> testWorld();

// Non-interleaved channel buffers and the pointer arrays process() takes.
struct ChannelBuffers {
    ChannelBuffers(std::uint32_t channels, std::uint32_t frames);
    std::vector<std::vector<float>> data;
    std::vector<const float*> inputs;
    std::vector<float*> outputs;
};

// A sine of the given amplitude on every channel, continuing from `phaseFrame`.
void fillSine(ChannelBuffers& buffers, double frequency, double sampleRate, float amplitude,
              std::uint64_t phaseFrame);
float peak(const std::vector<float>& samples);
