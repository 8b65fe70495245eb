#include "e2e/support/Listening.h"

#include "e2e/support/Tones.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace Listening {

std::size_t frames(double seconds) {
    return static_cast<std::size_t>(std::llround(seconds * Tones::kRate));
}

double seconds(std::size_t frames) {
    return static_cast<double>(frames) / Tones::kRate;
}

double decibels(double amplitude, double reference) {
    return 20.0 * std::log10(std::max(amplitude, 1e-12) / reference);
}

double levelDb(const std::vector<float>& samples, double frequency, std::size_t first,
               std::size_t count, double reference) {
    return decibels(Tones::amplitude(samples, first, count, frequency), reference);
}

std::size_t firstSound(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    for (std::size_t frame = from; frame < to; ++frame) {
        if (std::fabs(samples[frame]) > kSilence) {
            return frame;
        }
    }
    return npos;
}

std::size_t lastSound(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    for (std::size_t frame = to; frame > from; --frame) {
        if (std::fabs(samples[frame - 1]) > kSilence) {
            return frame - 1;
        }
    }
    return npos;
}

bool silent(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    return firstSound(samples, from, to) == npos;
}

float largestStep(const std::vector<float>& samples, std::size_t first, std::size_t last) {
    last = std::min(last, samples.size());
    float largest = 0.0f;
    for (std::size_t frame = first + 1; frame < last; ++frame) {
        largest = std::max(largest, std::fabs(samples[frame] - samples[frame - 1]));
    }
    return largest;
}

std::size_t fallsBelow(const std::vector<float>& samples, double frequency, double threshold,
                       std::size_t from, std::size_t count) {
    const std::size_t hop = std::max<std::size_t>(count / 4, 1);
    for (std::size_t first = from; first + count <= samples.size(); first += hop) {
        if (Tones::amplitude(samples, first, count, frequency) < threshold) {
            return first;
        }
    }
    return npos;
}

std::optional<double> fileAmplitude(const std::string& path, double frequency, std::size_t first,
                                    std::size_t count) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return std::nullopt;
    }
    std::vector<float> frames(static_cast<std::size_t>(std::max<sf_count_t>(info.frames, 0)) *
                              static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    std::vector<float> left(static_cast<std::size_t>(std::max<sf_count_t>(read, 0)));
    for (std::size_t frame = 0; frame < left.size(); ++frame) {
        left[frame] = frames[frame * static_cast<std::size_t>(info.channels)];
    }
    if (info.samplerate != Tones::kRate || first + count > left.size()) {
        return std::nullopt;
    }
    return Tones::amplitude(left, first, count, frequency);
}

} // namespace Listening
