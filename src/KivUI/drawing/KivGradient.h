#pragma once

#include <QColor>
#include <QGradientStops>
#include <QLinearGradient>
#include <QRectF>

class QPainter;

// Gradients by angle, as the original layouts give them: degrees
// counter-clockwise from the positive x axis with y up, the first colour at
// the start. 90 runs from the bottom edge to the top, -90 (or 270) from the
// top to the bottom. The gradient spans the rectangle along that direction.
struct KivGradient {
    static QLinearGradient linear(const QRectF& rect, qreal angleDegrees,
                                  const QGradientStops& stops);
    static void fill(QPainter& painter, const QRectF& rect, qreal angleDegrees, const QColor& start,
                     const QColor& end);
};
