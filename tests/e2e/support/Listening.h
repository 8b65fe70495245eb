#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What a recording says about the sound in it, measured as an operator
// would judge it: how loud a tone is, where the sound begins and ends, and
// whether a join between two stretches steps. Frames count from the start
// of the recording; npos stands for "nowhere".
namespace Listening {

inline constexpr std::size_t npos = std::string::npos;
// Below this a sample is silence (a 16-bit file's last bit is 3e-5).
inline constexpr float kSilence = 1e-4f;

// Frames in so many seconds at the case's rate.
std::size_t frames(double seconds);
double seconds(std::size_t frames);

// Level against a reference amplitude, in dB.
double decibels(double amplitude, double reference);
// The amplitude of a sine of `frequency` over `count` frames from `first`,
// in dB against `reference`.
double levelDb(const std::vector<float>& samples, double frequency, std::size_t first,
               std::size_t count, double reference);

// The first frame in [from, to) that is not silence, or npos.
std::size_t firstSound(const std::vector<float>& samples, std::size_t from, std::size_t to = npos);
// The last frame in [from, to) that is not silence, or npos.
std::size_t lastSound(const std::vector<float>& samples, std::size_t from, std::size_t to = npos);
// Whether [from, to) holds silence only.
bool silent(const std::vector<float>& samples, std::size_t from, std::size_t to);

// The largest difference between two neighbouring frames of [first, last).
float largestStep(const std::vector<float>& samples, std::size_t first, std::size_t last);

// The first frame, from `from` on, of a window of `count` frames in which the
// tone's amplitude has fallen below `threshold`; npos when it never does.
// Windows move a quarter of their length at a time.
std::size_t fallsBelow(const std::vector<float>& samples, double frequency, double threshold,
                       std::size_t from, std::size_t count = 256);

// The amplitude of a sine of `frequency` in a file's first channel, over
// `count` frames from `first`, as libsndfile decodes it: what a lossy
// file holds of the tone it was made of. None when libsndfile cannot read it.
std::optional<double> fileAmplitude(const std::string& path, double frequency, std::size_t first,
                                    std::size_t count);

} // namespace Listening
