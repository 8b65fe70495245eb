#pragma once

#include <cstddef>

struct AVFrame;

// Whether convertFrameToFloat handles the frame's sample format.
bool isConvertibleSampleFormat(int format);

// Copies count frames from frame offset of a decoded frame (any integer or
// float format, planar or packed) to interleaved float in out.
void convertFrameToFloat(const AVFrame& frame, int offset, int count, int channels, float* out);
