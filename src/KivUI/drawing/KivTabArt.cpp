#include "KivUI/drawing/KivTabArt.h"

#include <QPainterPath>

#include <cmath>

using namespace KivImageArt;

namespace {

void cross(QPainter& p, const QPointF& c, qreal half, const QColor& colour) {
    p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

} // namespace

void KivTabArt::tabClose(QPainter& p, const QSizeF& size, bool dirty, ButtonLook look) {
    const QRectF rect(QPointF(), size);
    const QPointF c = rect.center();
    const qreal radius = size.width() / 2 - 0.5;
    if (dirty && look == ButtonLook::Normal) {
        p.setPen(Qt::NoPen);
        p.setBrush(grey(0.72));
        p.drawEllipse(c, radius * 0.45, radius * 0.45);
        return;
    }
    if (look != ButtonLook::Normal) {
        p.setPen(Qt::NoPen);
        p.setBrush(look == ButtonLook::Pressed ? grey(0.78) : grey(0.6));
        p.drawEllipse(c, radius, radius);
    }
    cross(p, c, radius * 0.4, look == ButtonLook::Normal ? grey(0.66) : grey(0.12));
}

void KivTabArt::tabNew(QPainter& p, const QSizeF& size, ButtonLook look) {
    const QPointF c = QRectF(QPointF(), size).center();
    const qreal arm = size.width() * 0.3;
    const qreal white = look == ButtonLook::Pressed    ? 0.5
                        : look == ButtonLook::Rollover ? 0.95
                                                       : 0.74;
    p.setPen(QPen(grey(0, 0.5), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-arm, 1), c + QPointF(arm, 1));
    p.drawLine(c + QPointF(0, -arm + 1), c + QPointF(0, arm + 1));
    p.setPen(QPen(grey(white), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-arm, 0), c + QPointF(arm, 0));
    p.drawLine(c + QPointF(0, -arm), c + QPointF(0, arm));
}

void KivTabArt::overflow(QPainter& p, const QSizeF& size, bool pressed) {
    const QPointF c = QRectF(QPointF(), size).center();
    p.setPen(QPen(grey(pressed ? 1.0 : 0.74), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (qreal dx : {-2.5, 1.5}) {
        QPainterPath chevron;
        chevron.moveTo(c.x() + dx - 1.5, c.y() - 3.5);
        chevron.lineTo(c.x() + dx + 2, c.y());
        chevron.lineTo(c.x() + dx - 1.5, c.y() + 3.5);
        p.drawPath(chevron);
    }
}

void KivTabArt::progressIndicator(QPainter& p, const QSizeF& size) {
    const QPointF c = QRectF(QPointF(), size).center();
    const qreal outer = size.width() / 2 - 1;
    constexpr int spokes = 12;
    for (int i = 0; i < spokes; ++i) {
        const qreal angle = 2 * M_PI * i / spokes;
        const QPointF dir(std::sin(angle), -std::cos(angle));
        p.setPen(QPen(grey(0.9, 0.25 + 0.75 * i / (spokes - 1)), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + dir * outer * 0.45, c + dir * outer);
    }
}
