#include "window/grid/CueTextColors.h"

#include "model/PondraColor.h"

#include <algorithm>

namespace {

const QColor kLight = QColor::fromRgbF(1, 1, 1);
const QColor kDark = QColor::fromRgbF(0, 0, 0);
// A little more than needed, for the antialiased edges of the strokes.
constexpr double kWanted = CueTextColors::kMinimumContrast + 0.1;
// A backing takes the ground well away from the middle greys, so that the
// glow of a playing cell's ring does not bring it back there.
constexpr double kWantedOnBacking = 6.0;

// The ground seen through a backing of black at `alpha`.
QColor under(const QColor& ground, double alpha) {
    const auto keep = static_cast<float>(1 - alpha);
    return QColor::fromRgbF(ground.redF() * keep, ground.greenF() * keep, ground.blueF() * keep);
}

} // namespace

QColor CueTextColors::along(const PondraColor& color, double position) {
    const double t = std::clamp(position, 0.0, 1.0);
    const DeviceRGBColor& start = color.startColor();
    const DeviceRGBColor& end = color.endColor();
    return QColor::fromRgbF(static_cast<float>(start.red + (end.red - start.red) * t),
                            static_cast<float>(start.green + (end.green - start.green) * t),
                            static_cast<float>(start.blue + (end.blue - start.blue) * t));
}

double CueTextColors::contrast(const QColor& one, const QColor& other) {
    return KivColors::contrast(one, other);
}

double CueTextColors::lowestContrast(const PondraColor& color, double top, double bottom) const {
    constexpr int kSamples = 5;
    const double alpha = backing.isValid() ? backing.alphaF() : 0.0;
    double lowest = 21;
    for (int i = 0; i < kSamples; ++i) {
        const double at = top + (bottom - top) * i / (kSamples - 1);
        lowest = std::min(lowest, contrast(text, under(along(color, at), alpha)));
    }
    return lowest;
}

CueTextColors CueTextColors::over(const PondraColor& color, double top, double bottom) {
    const CueTextColors light{kLight, QColor::fromRgbF(0, 0, 0, 0.45f), {}};
    const CueTextColors dark{kDark, QColor::fromRgbF(1, 1, 1, 0.3f), {}};
    const double onLight = light.lowestContrast(color, top, bottom);
    const double onDark = dark.lowestContrast(color, top, bottom);
    if (std::max(onLight, onDark) >= kWanted) {
        return onLight >= onDark ? light : dark;
    }
    // Darkened just enough for white to read all along.
    CueTextColors backed = light;
    for (double alpha = 0.1; alpha < 1.0; alpha += 0.05) {
        backed.backing = QColor::fromRgbF(0, 0, 0, static_cast<float>(alpha));
        if (backed.lowestContrast(color, top, bottom) >= kWantedOnBacking) {
            break;
        }
    }
    return backed;
}
