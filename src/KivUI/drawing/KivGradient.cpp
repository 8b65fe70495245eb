#include "KivUI/drawing/KivGradient.h"

#include <QPainter>

#include <cmath>

QLinearGradient KivGradient::linear(const QRectF& rect, qreal angleDegrees,
                                    const QGradientStops& stops) {
    const qreal radians = angleDegrees * M_PI / 180.0;
    // Qt's y runs down, so the y component flips.
    const QPointF direction(std::cos(radians), -std::sin(radians));
    const qreal half =
        std::abs(rect.width() / 2 * direction.x()) + std::abs(rect.height() / 2 * direction.y());
    QLinearGradient gradient(rect.center() - direction * half, rect.center() + direction * half);
    gradient.setStops(stops);
    return gradient;
}

void KivGradient::fill(QPainter& painter, const QRectF& rect, qreal angleDegrees,
                       const QColor& start, const QColor& end) {
    painter.fillRect(rect, linear(rect, angleDegrees, {{0.0, start}, {1.0, end}}));
}
