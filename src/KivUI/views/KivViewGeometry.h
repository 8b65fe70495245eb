#pragma once

#include "foundation/KivGeometry.h"

#include <QPointF>
#include <QRectF>

class QScreen;
class QWidget;

// Converts the y-up geometry of the original layouts (origin at the bottom
// left) into Qt's y-down geometry of one view, so that each view flips once,
// at its edge.
class KivViewGeometry {
public:
    explicit KivViewGeometry(const QWidget& view);
    // For a painter's target of the given height, e.g. an image.
    explicit KivViewGeometry(qreal height)
        : _height(height) {}

    QRectF toQt(const KivRect& rect) const;
    QRectF toQt(const QRectF& yUpRect) const;
    QPointF toQt(const KivPoint& point) const;
    KivRect fromQt(const QRectF& rect) const;
    KivPoint fromQt(const QPointF& point) const;

    // A y-up offset, (0, -1) being one point down.
    static QPointF offsetToQt(const QPointF& yUpOffset) { return {yUpOffset.x(), -yUpOffset.y()}; }

    // Screen coordinates are y-up from the bottom left of the primary screen.
    static QPointF screenToGlobal(const KivPoint& point, const QScreen& primary);
    static KivPoint globalToScreen(const QPointF& global, const QScreen& primary);

private:
    qreal _height = 0;
};
