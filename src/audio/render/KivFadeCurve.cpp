#include "audio/render/KivFadeCurve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

float computeFade(float startVolume, float endVolume, double duration, double elapsed) {
    if (!(duration > 0.0)) {
        return endVolume;
    }
    const float phase = static_cast<float>(std::clamp(elapsed, 0.0, duration) / duration) *
                        std::numbers::pi_v<float>;
    return endVolume + (startVolume - endVolume) * (0.5f + 0.5f * std::cos(phase));
}
