#pragma once

#include "audio/core/AudioChannels.h"

#include <cstdint>

// The short fades that keep a cut in the sound from clicking: a start from a
// point inside a file, a stop, a hard stop and an end point inside the file
// each move between the sound and silence along a raised cosine,
//   gain(k) = 0.5 - 0.5 * cos(pi * k / (length + 1)),  k = 1 .. length,
// k counting frames from the silent side. The curve has no corner at either
// end, and a rise and a fall of one length add up to 1 frame by frame, so
// through a fade a sustained tone steps by no more than it does on its own
// (a full-scale sine from about 66 Hz up, at the full length and 48 kHz).
//
// kFrames (5.3 ms at 48 kHz) is long enough to take the click out of the
// lowest notes a show plays and short enough that a stop is still heard as a
// cut. A fade that begins with a render call ends within that call: where a
// call is shorter, so is the fade, so that what is timed by the cycle (a
// batch starting on frame 0, a stop silent by the end of the cycle it takes
// effect in) still holds to the cycle.
//
// Render thread: nothing allocates, locks or waits. Null channels are skipped.
namespace KivEdgeRamp {

inline constexpr std::uint32_t kFrames = 256;

// The gain k frames (1 .. length) from the silent end of a fade of `length`
// frames.
float gain(std::uint32_t k, std::uint32_t length);

// Frames [0, length) of `data` rise from silence, frame i by gain(i + 1);
// `length` is cut to kFrames and to the frames there are.
void fadeIn(const AudioChannels& data, std::uint32_t length);
// Frames [0, length) fall to silence, frame i by gain(length - i), and the
// frames after them are silenced; `length` is cut as for fadeIn.
void fadeOut(const AudioChannels& data, std::uint32_t length);
// Play stops `framesToEnd` frames after `data`'s first frame (a point that
// may lie beyond the data): the kFrames frames before it fall to silence,
// each by gain(frames left to the end point), so the fade ends on the end
// point itself.
void fadeToEnd(const AudioChannels& data, std::int64_t framesToEnd);

} // namespace KivEdgeRamp
