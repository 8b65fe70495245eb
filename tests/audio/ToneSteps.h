#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

// Sustained tones for the tests that listen for clicks: a change that steps
// the output shows as a jump between two frames larger than the tone's own.
namespace ToneSteps {

// `seconds` of a sine of `frequency` and `amplitude` at `rate`.
inline std::vector<float> tone(double frequency, double seconds, double rate, float amplitude) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t f = 0; f < samples.size(); ++f) {
        samples[f] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * frequency *
                                                             static_cast<double>(f) / rate));
    }
    return samples;
}

// The largest change between two neighbouring frames.
inline float largestStep(const std::vector<float>& samples) {
    float largest = 0.0f;
    for (std::size_t f = 1; f < samples.size(); ++f) {
        largest = std::max(largest, std::fabs(samples[f] - samples[f - 1]));
    }
    return largest;
}

// The largest change between two neighbouring frames of [first, last).
inline float largestStep(const std::vector<float>& samples, std::size_t first, std::size_t last) {
    last = std::min(last, samples.size());
    float largest = 0.0f;
    for (std::size_t f = first + 1; f < last; ++f) {
        largest = std::max(largest, std::fabs(samples[f] - samples[f - 1]));
    }
    return largest;
}

} // namespace ToneSteps
