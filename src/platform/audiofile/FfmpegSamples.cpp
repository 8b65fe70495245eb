#include "platform/audiofile/FfmpegSamples.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

float toFloat(std::uint8_t v) {
    return (static_cast<int>(v) - 128) * (1.0f / 128.0f);
}
float toFloat(std::int16_t v) {
    return v * (1.0f / 32768.0f);
}
float toFloat(std::int32_t v) {
    return static_cast<float>(v * (1.0 / 2147483648.0));
}
float toFloat(std::int64_t v) {
    return static_cast<float>(static_cast<double>(v) * (1.0 / 9223372036854775808.0));
}
float toFloat(float v) {
    return v;
}
float toFloat(double v) {
    // Narrowing a double beyond float's range is undefined behaviour; such a
    // sample is silence, as the reader makes every non-finite one.
    return std::fabs(v) <= std::numeric_limits<float>::max() ? static_cast<float>(v) : 0.0f;
}

template <typename T>
void copyPacked(const AVFrame& frame, int offset, int count, int channels, float* out) {
    const T* in =
        reinterpret_cast<const T*>(frame.data[0]) + static_cast<std::ptrdiff_t>(offset) * channels;
    const int samples = count * channels;
    for (int i = 0; i < samples; ++i) {
        out[i] = toFloat(in[i]);
    }
}

template <typename T>
void copyPlanar(const AVFrame& frame, int offset, int count, int channels, float* out) {
    for (int c = 0; c < channels; ++c) {
        const T* in = reinterpret_cast<const T*>(frame.extended_data[c]) + offset;
        float* o = out + c;
        for (int i = 0; i < count; ++i) {
            o[static_cast<std::ptrdiff_t>(i) * channels] = toFloat(in[i]);
        }
    }
}

} // namespace

bool isConvertibleSampleFormat(int format) {
    switch (format) {
    case AV_SAMPLE_FMT_U8:
    case AV_SAMPLE_FMT_S16:
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S64:
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_DBL:
    case AV_SAMPLE_FMT_U8P:
    case AV_SAMPLE_FMT_S16P:
    case AV_SAMPLE_FMT_S32P:
    case AV_SAMPLE_FMT_S64P:
    case AV_SAMPLE_FMT_FLTP:
    case AV_SAMPLE_FMT_DBLP:
        return true;
    default:
        return false;
    }
}

void convertFrameToFloat(const AVFrame& frame, int offset, int count, int channels, float* out) {
    switch (frame.format) {
    case AV_SAMPLE_FMT_U8:
        return copyPacked<std::uint8_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_S16:
        return copyPacked<std::int16_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_S32:
        return copyPacked<std::int32_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_S64:
        return copyPacked<std::int64_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_FLT:
        return copyPacked<float>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_DBL:
        return copyPacked<double>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_U8P:
        return copyPlanar<std::uint8_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_S16P:
        return copyPlanar<std::int16_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_S32P:
        return copyPlanar<std::int32_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_S64P:
        return copyPlanar<std::int64_t>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_FLTP:
        return copyPlanar<float>(frame, offset, count, channels, out);
    case AV_SAMPLE_FMT_DBLP:
        return copyPlanar<double>(frame, offset, count, channels, out);
    default:
        return;
    }
}
