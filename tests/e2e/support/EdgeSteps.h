#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How a cut sounds in a recording: the largest step between two
// neighbouring frames through the cut, against the tone's own largest step
// on a steady stretch beside it. A cut that clicks steps further than the
// tone ever does; one that fades does not.
namespace EdgeSteps {

// The frames of sound a cut is measured through (a fade's length, and more
// than one period of the tones these cases play).
inline constexpr std::size_t kThrough = 256;

struct Cut {
    std::size_t frame = std::string::npos; // the first (a start) or last (an end) frame of sound
    float step = 0.0f;                     // the largest step from silence through kThrough frames
    float own = 0.0f;                      // the tone's largest step beside it; 0 when unmeasured
    bool found() const { return frame != std::string::npos && own > 0.0f; }
    // The step against the tone's own, in dB.
    double db() const;
};

// The sound that starts in [from, to) after silence: its first frame, the
// steps from the frame before it on, and the tone's own steps from 2,000
// frames after it on (which must still sound).
Cut start(const std::vector<float>& samples, std::size_t from, std::size_t to);
// The sound that ends in [from, to): its last frame (silence follows to
// `to`, at least 2,000 frames of it), the steps up to the frame after it,
// and the tone's own on the stretch that ends 2,000 frames before it.
Cut end(const std::vector<float>& samples, std::size_t from, std::size_t to);

} // namespace EdgeSteps
