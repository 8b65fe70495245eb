#include "window/grid/CueTextColors.h"

#include "model/PondraColor.h"

#include <algorithm>
#include <cmath>

namespace {

double linear(double component) {
    return component <= 0.03928 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& color) {
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

} // namespace

QColor CueTextColors::middleOf(const PondraColor& color) {
    const DeviceRGBColor& top = color.startColor();
    const DeviceRGBColor& bottom = color.endColor();
    return QColor::fromRgbF(static_cast<float>((top.red + bottom.red) / 2),
                            static_cast<float>((top.green + bottom.green) / 2),
                            static_cast<float>((top.blue + bottom.blue) / 2));
}

double CueTextColors::contrast(const QColor& one, const QColor& other) {
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

CueTextColors CueTextColors::over(const PondraColor& color) {
    if (contrast(Qt::white, middleOf(color)) >= kMinimumContrast) {
        return {QColor::fromRgbF(1, 1, 1, 0.95f), QColor::fromRgbF(0, 0, 0, 0.45f),
                QColor::fromRgbF(1, 1, 1, 0.85f)};
    }
    return {QColor::fromRgbF(0.1f, 0.09f, 0.08f, 0.95f), QColor::fromRgbF(1, 1, 1, 0.3f),
            QColor::fromRgbF(0.1f, 0.09f, 0.08f, 0.85f)};
}
