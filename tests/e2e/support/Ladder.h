#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A test file whose sound tells where in it one is: a sine whose frequency
// steps every tenth of a second. Each step (a rung) sounds a whole bin of a
// 256-frame period at 48 kHz, so any 256 frames of the recording say which
// rung they hold, wherever they begin; and each rung begins on a zero of its
// sine, so the rungs join without a jump. A cue that ignores its start time
// is heard on the wrong rung, one that resumes elsewhere steps rungs at the
// wrong moments.
class Ladder {
public:
    static constexpr double kRungSeconds = 0.1;
    static constexpr std::size_t kRungFrames = 4800;

    // Rungs on the bins first, first + step, ...
    static Ladder rising(int rungs, int firstBin = 4, int step = 4);
    explicit Ladder(std::vector<int> bins, float amplitude = 0.5f);

    int rungs() const { return static_cast<int>(_bins.size()); }
    double seconds() const { return kRungSeconds * rungs(); }
    double frequency(int rung) const;
    float amplitude() const { return _amplitude; }

    // A 16-bit mono WAV at 48 kHz; false when it could not be written.
    bool write(const std::string& path) const;

    // The rung heard loudest in `count` frames from `first`, when its
    // amplitude reaches `threshold`; -1 otherwise.
    int rungAt(const std::vector<float>& samples, std::size_t first, std::size_t count = 256,
               double threshold = 0.05) const;
    // Where, in [from, to), rung `rung` gives way to the next one: the middle
    // of the first 256 frames in which the next is heard (its amplitude
    // reaches `threshold`) and is the louder; npos when it never does.
    std::size_t boundary(const std::vector<float>& samples, int rung, std::size_t from,
                         std::size_t to, double threshold = 0.05) const;

private:
    std::vector<int> _bins;
    float _amplitude;
};
