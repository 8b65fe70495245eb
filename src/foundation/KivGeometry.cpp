#include "foundation/KivGeometry.h"

#include <cmath>

KivRect InsetRectByXY(KivRect rect, float dx, float dy) {
    return {rect.x + dx, rect.y + dy, rect.width - 2 * dx, rect.height - 2 * dy};
}

float DistanceBetweenPoints(KivPoint a, KivPoint b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}
