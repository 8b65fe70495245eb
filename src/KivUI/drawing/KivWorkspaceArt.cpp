#include "KivUI/drawing/KivWorkspaceArt.h"

#include <QLinearGradient>
#include <QPainterPath>

using namespace KivImageArt;

namespace {

void squareBezel(QPainter& p, const QRectF& rect, bool highlighted) {
    const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey(1, 0.07), 1));
    p.drawRoundedRect(body.translated(0, 1), 5, 5);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, highlighted ? QColor::fromRgbF(1.0, 0.78, 0.36) : grey(0.32));
    fill.setColorAt(1, highlighted ? QColor::fromRgbF(0.86, 0.55, 0.12) : grey(0.21));
    p.setBrush(fill);
    p.setPen(QPen(highlighted ? QColor::fromRgbF(0.3, 0.18, 0.02) : grey(0.05), 1));
    p.drawRoundedRect(body, 5, 5);
}

QColor glyph(bool highlighted) {
    return highlighted ? grey(0.1) : grey(0.85);
}

} // namespace

void KivWorkspaceArt::bottomPattern(QPainter& p, const QSizeF& size) {
    const QRectF rect(QPointF(), size);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, grey(0.2));
    fill.setColorAt(1, grey(0.135));
    p.fillRect(rect, fill);
    p.fillRect(QRectF(0, 0, size.width(), 1), grey(0.04));
    p.fillRect(QRectF(0, 1, size.width(), 1), grey(1, 0.08));
}

void KivWorkspaceArt::pauseButton(QPainter& p, const QSizeF& size, bool highlighted) {
    const QRectF rect(QPointF(), size);
    squareBezel(p, rect, highlighted);
    const QPointF c = rect.adjusted(0.5, 0.5, -0.5, -1.5).center();
    const qreal h = size.height() * 0.36;
    p.setPen(Qt::NoPen);
    p.setBrush(glyph(highlighted));
    p.drawRoundedRect(QRectF(c.x() - 5.5, c.y() - h / 2, 4, h), 1, 1);
    p.drawRoundedRect(QRectF(c.x() + 1.5, c.y() - h / 2, 4, h), 1, 1);
}

void KivWorkspaceArt::duckingButton(QPainter& p, const QSizeF& size, bool highlighted) {
    const QRectF rect(QPointF(), size);
    squareBezel(p, rect, highlighted);
    const QPointF c = rect.adjusted(0.5, 0.5, -0.5, -1.5).center();
    // A speaker with a downward arrow: the master volume ducked.
    QPainterPath speaker;
    speaker.moveTo(c.x() - 9, c.y() - 3);
    speaker.lineTo(c.x() - 5, c.y() - 3);
    speaker.lineTo(c.x(), c.y() - 7.5);
    speaker.lineTo(c.x(), c.y() + 7.5);
    speaker.lineTo(c.x() - 5, c.y() + 3);
    speaker.lineTo(c.x() - 9, c.y() + 3);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(glyph(highlighted));
    p.drawPath(speaker);
    p.setPen(QPen(glyph(highlighted), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(c.x() + 5.5, c.y() - 6), QPointF(c.x() + 5.5, c.y() + 5));
    QPainterPath head;
    head.moveTo(c.x() + 2.5, c.y() + 2);
    head.lineTo(c.x() + 5.5, c.y() + 5.5);
    head.lineTo(c.x() + 8.5, c.y() + 2);
    p.drawPath(head);
}
