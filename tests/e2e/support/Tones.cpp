#include "e2e/support/Tones.h"

#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace Tones {

bool write(const std::string& path, double frequency, double seconds, unsigned channels) {
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    std::vector<float> samples(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto value = 0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * frequency *
                                                              static_cast<double>(i) / kRate));
        std::fill_n(samples.begin() + static_cast<std::ptrdiff_t>(i * channels), channels, value);
    }
    const std::string extension = path.substr(path.rfind('.') + 1);
    if (extension == "m4a") {
        return AudioFixtures::writeM4a(path, samples, channels, kRate);
    }
    const int format = extension == "wav"    ? SF_FORMAT_WAV | SF_FORMAT_PCM_16
                       : extension == "aiff" ? SF_FORMAT_AIFF | SF_FORMAT_PCM_24
                       : extension == "flac" ? SF_FORMAT_FLAC | SF_FORMAT_PCM_16
                       : extension == "ogg"  ? SF_FORMAT_OGG | SF_FORMAT_VORBIS
                       : extension == "opus" ? SF_FORMAT_OGG | SF_FORMAT_OPUS
                       : extension == "mp3"  ? SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III
                       : extension == "caf"  ? SF_FORMAT_CAF | SF_FORMAT_FLOAT
                                             : 0;
    return format != 0 && AudioFixtures::writeSndfile(path, format, samples, channels, kRate);
}

double amplitude(const std::vector<float>& samples, std::size_t first, std::size_t count,
                 double frequency) {
    if (first >= samples.size() || count == 0) {
        return 0.0;
    }
    count = std::min(count, samples.size() - first);
    // Correlation with a sine and a cosine of the frequency; the phase of
    // the window does not matter.
    double re = 0.0;
    double im = 0.0;
    const double step = 2.0 * std::numbers::pi * frequency / kRate;
    for (std::size_t i = 0; i < count; ++i) {
        const double phase = step * static_cast<double>(first + i);
        re += samples[first + i] * std::cos(phase);
        im += samples[first + i] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

std::size_t onsetPeriod(const std::vector<float>& samples, double frequency, double threshold,
                        std::size_t from) {
    for (std::size_t period = from / kPeriod; (period + 1) * kPeriod <= samples.size(); ++period) {
        if (amplitude(samples, period * kPeriod, kPeriod, frequency) >= threshold) {
            return period;
        }
    }
    return std::string::npos;
}

std::size_t periodsSounding(const std::vector<float>& samples, double frequency, double threshold,
                            std::size_t first, std::size_t last) {
    std::size_t count = 0;
    for (std::size_t period = first; period < last && (period + 1) * kPeriod <= samples.size();
         ++period) {
        count += amplitude(samples, period * kPeriod, kPeriod, frequency) >= threshold ? 1 : 0;
    }
    return count;
}

} // namespace Tones
