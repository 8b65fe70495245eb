#include "e2e/support/Ladder.h"

#include "e2e/support/Tones.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Windows of a boundary search move this far at a time.
constexpr std::size_t kHop = 32;

} // namespace

Ladder Ladder::rising(int rungs, int firstBin, int step) {
    std::vector<int> bins;
    for (int rung = 0; rung < rungs; ++rung) {
        bins.push_back(firstBin + step * rung);
    }
    return Ladder(std::move(bins));
}

Ladder::Ladder(std::vector<int> bins, float amplitude)
    : _bins(std::move(bins))
    , _amplitude(amplitude) {}

double Ladder::frequency(int rung) const {
    return Tones::kBin * _bins.at(static_cast<std::size_t>(rung));
}

bool Ladder::write(const std::string& path) const {
    std::vector<float> samples(kRungFrames * _bins.size());
    for (std::size_t frame = 0; frame < samples.size(); ++frame) {
        const int rung = static_cast<int>(frame / kRungFrames);
        const double t = static_cast<double>(frame % kRungFrames) / Tones::kRate;
        samples[frame] =
            _amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * frequency(rung) * t));
    }
    return AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 1,
                                       Tones::kRate);
}

int Ladder::rungAt(const std::vector<float>& samples, std::size_t first, std::size_t count,
                   double threshold) const {
    int loudest = -1;
    double level = threshold;
    for (int rung = 0; rung < rungs(); ++rung) {
        const double amplitude = Tones::amplitude(samples, first, count, frequency(rung));
        if (amplitude >= level) {
            level = amplitude;
            loudest = rung;
        }
    }
    return loudest;
}

std::size_t Ladder::boundary(const std::vector<float>& samples, int rung, std::size_t from,
                             std::size_t to, double threshold) const {
    if (rung + 1 >= rungs()) {
        return std::string::npos;
    }
    constexpr std::size_t window = Tones::kPeriod;
    for (std::size_t first = from; first + window <= std::min(to, samples.size()); first += kHop) {
        const double next = Tones::amplitude(samples, first, window, frequency(rung + 1));
        if (next >= threshold && next > Tones::amplitude(samples, first, window, frequency(rung))) {
            return first + window / 2;
        }
    }
    return std::string::npos;
}
