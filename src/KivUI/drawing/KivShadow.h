#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

// A drop shadow: colour, blur radius and an offset given y-up, so (0, -1)
// falls one point below what casts it.
struct KivShadow {
    QColor color = QColor(0, 0, 0, 85);
    qreal blur = 0;
    QPointF offset;

    static KivShadow withColor(const QColor& color, qreal blur, const QPointF& offset) {
        return {color, blur, offset};
    }
    // Black, no blur, offset (0, 1), for text on light art.
    static const KivShadow& darkText();
    static const KivShadow& lightText();

    // Paints `draw` with this shadow under it. The drawing goes through an
    // offscreen layer of `bounds` (in the painter's coordinates), whose alpha,
    // tinted and blurred, is laid down first at the offset.
    void paint(QPainter& painter, const QRectF& bounds,
               const std::function<void(QPainter&)>& draw) const;

    // The blurred, tinted silhouette of a premultiplied image, same size.
    QImage silhouette(const QImage& layer) const;
};
