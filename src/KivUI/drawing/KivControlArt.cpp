#include "KivUI/drawing/KivControlArt.h"

#include <QLinearGradient>
#include <QPainterPath>

using namespace KivImageArt;

namespace {

constexpr qreal kBezelRadius = 4.0;

// The raised bezel shared by buttons and pop-ups: a one-point light edge
// under it, a dark outline and a soft top highlight.
void bezel(QPainter& p, const QRectF& rect, bool pressed) {
    const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey(1, 0.07), 1));
    p.drawRoundedRect(body.translated(0, 1), kBezelRadius, kBezelRadius);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, pressed ? grey(0.14) : grey(0.34));
    fill.setColorAt(1, pressed ? grey(0.19) : grey(0.235));
    p.setBrush(fill);
    p.setPen(QPen(grey(0.05), 1));
    p.drawRoundedRect(body, kBezelRadius, kBezelRadius);
    if (!pressed) {
        QLinearGradient shine(body.topLeft(), body.bottomLeft());
        shine.setColorAt(0, grey(1, 0.16));
        shine.setColorAt(0.5, grey(1, 0.0));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(shine), 1));
        p.drawRoundedRect(body.adjusted(1, 1, -1, -1), kBezelRadius - 1, kBezelRadius - 1);
    }
}

void triangle(QPainter& p, const QPointF& centre, qreal width, bool up, const QColor& colour) {
    const qreal h = width * 0.55;
    const qreal dir = up ? -1 : 1;
    QPainterPath path;
    path.moveTo(centre.x() - width / 2, centre.y() - dir * h / 2);
    path.lineTo(centre.x() + width / 2, centre.y() - dir * h / 2);
    path.lineTo(centre.x(), centre.y() + dir * h / 2);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

} // namespace

void KivControlArt::button(QPainter& p, const QSizeF& size, Piece piece, bool small, bool pressed) {
    const qreal cap = small ? 7 : 8;
    const QSizeF full = threePartFull(size.height(), cap, cap);
    drawWindow(p, size, full, {threePartOrigin(piece, cap), 0},
               [&](const QRectF& rect) { bezel(p, rect, pressed); });
}

void KivControlArt::popUp(QPainter& p, const QSizeF& size, Piece piece, bool small, bool pullDown) {
    const qreal left = small ? 7 : 8;
    const qreal right = small ? 18 : 22;
    const QSizeF full = threePartFull(size.height(), left, right);
    drawWindow(p, size, full, {threePartOrigin(piece, left), 0}, [&](const QRectF& rect) {
        bezel(p, rect, false);
        const qreal sx = rect.right() - right + 0.5;
        p.setPen(QPen(grey(0.08), 1));
        p.drawLine(QPointF(sx, rect.top() + 4), QPointF(sx, rect.bottom() - 5));
        p.setPen(QPen(grey(1, 0.08), 1));
        p.drawLine(QPointF(sx + 1, rect.top() + 4), QPointF(sx + 1, rect.bottom() - 5));
        const QPointF centre(rect.right() - right / 2 + 0.5, rect.center().y() - 0.5);
        const qreal arrow = small ? 6 : 7;
        const QColor ink = grey(0.88);
        if (pullDown) {
            triangle(p, centre, arrow, false, ink);
        } else {
            const qreal gap = small ? 2.5 : 3;
            triangle(p, centre - QPointF(0, gap), arrow, true, ink);
            triangle(p, centre + QPointF(0, gap), arrow, false, ink);
        }
    });
}

void KivControlArt::checkbox(QPainter& p, const QSizeF& size, Qt::CheckState state, bool pressed) {
    const QRectF box = QRectF(QPointF(), size).adjusted(1.5, 1.5, -1.5, -2.5);
    const qreal shade = pressed ? 0.78 : 1.0;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey(1, 0.07), 1));
    p.drawRoundedRect(box.translated(0, 1), 3, 3);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    if (state == Qt::Unchecked) {
        fill.setColorAt(0, grey(0.12 * shade));
        fill.setColorAt(1, grey(0.2 * shade));
        p.setPen(QPen(grey(0.04), 1));
    } else {
        fill.setColorAt(0, QColor::fromRgbF(0.33 * shade, 0.6 * shade, 0.82 * shade));
        fill.setColorAt(1, QColor::fromRgbF(0.2 * shade, 0.43 * shade, 0.63 * shade));
        p.setPen(QPen(QColor::fromRgbF(0.05, 0.16, 0.26), 1));
    }
    p.setBrush(fill);
    p.drawRoundedRect(box, 3, 3);
    p.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    QPen ink(grey(0.97), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(ink);
    if (state == Qt::Checked) {
        QPainterPath mark;
        mark.moveTo(c.x() - 3.4, c.y() + 0.2);
        mark.lineTo(c.x() - 1.0, c.y() + 2.6);
        mark.lineTo(c.x() + 3.4, c.y() - 2.6);
        p.drawPath(mark);
    } else if (state == Qt::PartiallyChecked) {
        p.drawLine(QPointF(c.x() - 3, c.y()), QPointF(c.x() + 3, c.y()));
    }
}

void KivControlArt::well(QPainter& p, const QSizeF& size, Grid piece) {
    constexpr qreal corner = 6;
    const QSizeF full(2 * corner + 1, 2 * corner + 1);
    drawWindow(p, size, full, gridOrigin(piece, corner), [&](const QRectF& rect) {
        const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -1.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(grey(1, 0.06), 1));
        p.drawRoundedRect(body.translated(0, 1), 5, 5);
        p.setBrush(grey(0.095));
        p.setPen(QPen(grey(0.03), 1));
        p.drawRoundedRect(body, 5, 5);
        QLinearGradient shadow(body.topLeft(), body.bottomLeft());
        shadow.setColorAt(0, grey(0, 0.45));
        shadow.setColorAt(0.4, grey(0, 0));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(shadow), 1));
        p.drawRoundedRect(body.adjusted(1, 1, -1, -1), 4, 4);
    });
}
