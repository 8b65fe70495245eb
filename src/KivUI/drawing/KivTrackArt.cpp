#include "KivUI/drawing/KivTrackArt.h"

#include <QLinearGradient>
#include <QRadialGradient>

using namespace KivImageArt;

namespace {

QColor accentTop() {
    return QColor::fromRgbF(0.38, 0.66, 0.9);
}
QColor accentBottom() {
    return QColor::fromRgbF(0.2, 0.45, 0.68);
}

// A sunken groove: dark, with a light lip below it.
void groove(QPainter& p, const QRectF& rect, qreal radius, qreal darkness) {
    const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -1.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey(1, 0.07), 1));
    p.drawRoundedRect(body.translated(0, 1), radius, radius);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, grey(darkness * 0.7));
    fill.setColorAt(1, grey(darkness));
    p.setBrush(fill);
    p.setPen(QPen(grey(0.02), 1));
    p.drawRoundedRect(body, radius, radius);
}

void accentBar(QPainter& p, const QRectF& rect, qreal radius) {
    const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -1.5);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, accentTop());
    fill.setColorAt(1, accentBottom());
    p.setBrush(fill);
    p.setPen(QPen(QColor::fromRgbF(0.06, 0.17, 0.28), 1));
    p.drawRoundedRect(body, radius, radius);
}

} // namespace

void KivTrackArt::sliderKnob(QPainter& p, const QSizeF& size) {
    const QRectF body = QRectF(QPointF(), size).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(grey(0, 0.35));
    p.drawEllipse(body.translated(0, 0.5));
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, grey(0.86));
    fill.setColorAt(1, grey(0.6));
    p.setBrush(fill);
    p.setPen(QPen(grey(0.08), 1));
    p.drawEllipse(body.adjusted(0, 0, 0, -0.5));
    QRadialGradient dimple(body.center(), body.width() * 0.18);
    dimple.setColorAt(0, grey(0.45));
    dimple.setColorAt(1, grey(0.55, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(dimple);
    p.drawEllipse(body.center(), body.width() * 0.18, body.width() * 0.18);
}

void KivTrackArt::sliderTrack(QPainter& p, const QSizeF& size, Piece piece, bool filled,
                              bool small) {
    const qreal cap = small ? 2 : 3;
    const QSizeF full = threePartFull(size.height(), cap, cap);
    drawWindow(p, size, full, {threePartOrigin(piece, cap), 0}, [&](const QRectF& rect) {
        const qreal radius = (rect.height() - 1) / 2;
        if (filled) {
            accentBar(p, rect, radius);
        } else {
            groove(p, rect, radius, 0.1);
        }
    });
}

void KivTrackArt::splitterBar(QPainter& p, const QSizeF& size) {
    const QRectF rect(QPointF(), size);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, grey(0.23));
    fill.setColorAt(1, grey(0.16));
    p.fillRect(rect, fill);
    p.fillRect(QRectF(0, 0, size.width(), 1), grey(0.07));
    p.fillRect(QRectF(0, 1, size.width(), 1), grey(1, 0.07));
    p.fillRect(QRectF(0, size.height() - 1, size.width(), 1), grey(0.07));
}

void KivTrackArt::splitterHandle(QPainter& p, const QSizeF& size) {
    p.setPen(Qt::NoPen);
    const int dots = 5;
    const qreal step = size.width() / dots;
    for (int i = 0; i < dots; ++i) {
        const QPointF c(step * (i + 0.5), size.height() / 2 - 0.5);
        p.setBrush(grey(1, 0.12));
        p.drawEllipse(c + QPointF(0, 1), 1.2, 1.2);
        p.setBrush(grey(0.05));
        p.drawEllipse(c, 1.2, 1.2);
    }
}

void KivTrackArt::progressBackground(QPainter& p, const QSizeF& size, Piece piece) {
    constexpr qreal cap = 5;
    const QSizeF full = threePartFull(size.height(), cap, cap);
    drawWindow(p, size, full, {threePartOrigin(piece, cap), 0},
               [&](const QRectF& rect) { groove(p, rect.adjusted(0, 2, 0, -1), 4, 0.085); });
}

void KivTrackArt::progressFill(QPainter& p, const QSizeF& size, bool paused) {
    const QRectF rect(QPointF(), size);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    if (paused) {
        fill.setColorAt(0.25, QColor::fromRgbF(1.0, 0.82, 0.42));
        fill.setColorAt(0.75, QColor::fromRgbF(0.86, 0.56, 0.12));
    } else {
        // The playing colour, lit from above.
        fill.setColorAt(0.25, QColor::fromRgbF(0.66, 0.98, 0.6));
        fill.setColorAt(0.75, QColor::fromRgbF(0.36, 0.8, 0.3));
    }
    p.fillRect(rect, fill);
}
