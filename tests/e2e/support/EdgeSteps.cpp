#include "e2e/support/EdgeSteps.h"

#include <algorithm>
#include <cmath>

namespace EdgeSteps {

namespace {

// Beside the cut, clear of any fade it makes, a stretch of many periods.
constexpr std::size_t kClear = 2000;
constexpr std::size_t kStretch = 10000;

float largestStep(const std::vector<float>& samples, std::size_t first, std::size_t last) {
    float largest = 0.0f;
    for (std::size_t f = first + 1; f < std::min(last, samples.size()); ++f) {
        largest = std::max(largest, std::fabs(samples[f] - samples[f - 1]));
    }
    return largest;
}

bool sounds(const std::vector<float>& samples, std::size_t first, std::size_t last) {
    // A tone of several periods has no run of 64 silent frames.
    std::size_t silent = 0;
    for (std::size_t f = first; f < last; ++f) {
        silent = samples[f] == 0.0f ? silent + 1 : 0;
        if (silent >= 64) {
            return false;
        }
    }
    return last <= samples.size();
}

} // namespace

double Cut::db() const {
    return 20.0 * std::log10(static_cast<double>(step) / static_cast<double>(own));
}

Cut start(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    Cut cut;
    to = std::min(to, samples.size());
    for (std::size_t f = std::max<std::size_t>(from, 1); f < to; ++f) {
        if (samples[f] != 0.0f) {
            cut.frame = f;
            break;
        }
    }
    if (cut.frame == std::string::npos) {
        return cut;
    }
    cut.step = largestStep(samples, cut.frame - 1, cut.frame + kThrough + 1);
    const std::size_t steady = cut.frame + kClear;
    if (sounds(samples, steady, steady + kStretch)) {
        cut.own = largestStep(samples, steady, steady + kStretch);
    }
    return cut;
}

Cut end(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    Cut cut;
    to = std::min(to, samples.size());
    for (std::size_t f = to; f > from; --f) {
        if (samples[f - 1] != 0.0f) {
            cut.frame = f - 1;
            break;
        }
    }
    if (cut.frame == std::string::npos || cut.frame + kClear >= to ||
        cut.frame < kThrough + kClear + kStretch) {
        cut.frame = std::string::npos;
        return cut;
    }
    cut.step = largestStep(samples, cut.frame - kThrough, cut.frame + 2);
    const std::size_t steady = cut.frame - kClear - kStretch;
    if (sounds(samples, steady, steady + kStretch)) {
        cut.own = largestStep(samples, steady, steady + kStretch);
    }
    return cut;
}

} // namespace EdgeSteps
