#include "KivUI/drawing/KivFocusRing.h"

#include <QPainter>

QColor KivFocusRing::color() {
    return QColor::fromRgbF(0.3, 0.58, 0.82, 0.9);
}

void KivFocusRing::draw(QPainter& painter, const QRectF& rect, qreal radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color(), 2));
    painter.drawRoundedRect(rect.adjusted(-0.5, -0.5, 0.5, 0.5), radius + 1, radius + 1);
    painter.restore();
}
