#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The keyboard focus ring of the skinned controls, drawn around their art.
struct KivFocusRing {
    static QColor color();
    static void draw(QPainter& painter, const QRectF& rect, qreal radius);
};
