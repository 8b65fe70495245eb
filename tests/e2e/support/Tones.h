#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Every test file is a sine of a frequency of its own, so a recording tells
// which cue sounds, when and how loud. The frequencies fall on whole bins of
// one 256-frame period at 48 kHz (multiples of 187.5 Hz): within a period
// they are orthogonal, so each is measured apart from the others.
namespace Tones {

inline constexpr int kRate = 48000;
inline constexpr std::size_t kPeriod = 256;
inline constexpr double kBin = static_cast<double>(kRate) / kPeriod;

// The frequency of tone n: bins 4, 8, 12 ... (750 Hz, 1500 Hz ...), kept
// apart so that lossy coding does not spill one into the next.
inline double frequency(int n) {
    return kBin * 4.0 * (n + 1);
}

// Sine files at half scale, the same on every channel: a format by its
// extension ("wav", "aiff", "flac", "ogg", "opus", "mp3", "m4a", "caf");
// false when it could not be written.
bool write(const std::string& path, double frequency, double seconds, unsigned channels = 1);

// The amplitude of a sine of `frequency` in `count` frames from `first`
// (0 when the range is empty); exact for a whole-bin frequency over whole
// periods.
double amplitude(const std::vector<float>& samples, std::size_t first, std::size_t count,
                 double frequency);

// The first period, at or after the one holding frame `from`, in which the
// tone's amplitude reaches `threshold`; none (npos) when it never does.
std::size_t onsetPeriod(const std::vector<float>& samples, double frequency, double threshold,
                        std::size_t from = 0);

// Periods, from `first` on, in which the tone's amplitude is at least `threshold`.
std::size_t periodsSounding(const std::vector<float>& samples, double frequency, double threshold,
                            std::size_t first, std::size_t last);

} // namespace Tones
