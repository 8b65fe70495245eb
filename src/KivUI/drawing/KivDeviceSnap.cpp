#include "KivUI/drawing/KivDeviceSnap.h"

#include <QPainter>

#include <cmath>

namespace {

// Leaves the painter drawing in device pixels: the world transform undoes the
// device pixel ratio's scale that Qt keeps below it.
void drawInDevicePixels(QPainter& painter) {
    painter.resetTransform();
    painter.setWorldTransform(painter.deviceTransform().inverted());
}

} // namespace

KivDeviceSnap::KivDeviceSnap(QPainter& painter)
    : _painter(painter) {}

QRect KivDeviceSnap::toDevice(const QRectF& rect) const {
    const QRectF mapped = _painter.deviceTransform().mapRect(rect);
    const int left = static_cast<int>(std::lround(mapped.left()));
    const int top = static_cast<int>(std::lround(mapped.top()));
    const int right = static_cast<int>(std::lround(mapped.right()));
    const int bottom = static_cast<int>(std::lround(mapped.bottom()));
    return {left, top, right - left, bottom - top};
}

void KivDeviceSnap::drawImage(const QRectF& rect, const QImage& image) const {
    const QRect target = toDevice(rect);
    if (target.isEmpty() || image.isNull()) {
        return;
    }
    _painter.save();
    drawInDevicePixels(_painter);
    _painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QImage plain = image;
    plain.setDevicePixelRatio(1.0);
    _painter.drawImage(target, plain);
    _painter.restore();
}

void KivDeviceSnap::drawTiled(const QRectF& rect, const QImage& image) const {
    const QRect target = toDevice(rect);
    if (target.isEmpty() || image.isNull()) {
        return;
    }
    // The tile is scaled to the device once, so the pattern lands on whole
    // pixels and the band is filled edge to edge.
    const qreal scale = _painter.deviceTransform().m11();
    const QSize tilePixels(
        std::max(1, static_cast<int>(std::lround(image.deviceIndependentSize().width() * scale))),
        std::max(1, static_cast<int>(std::lround(image.deviceIndependentSize().height() * scale))));
    QImage plain = image;
    plain.setDevicePixelRatio(1.0);
    const QImage tile = plain.scaled(tilePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    _painter.save();
    drawInDevicePixels(_painter);
    _painter.drawTiledPixmap(target, QPixmap::fromImage(tile), QPoint(0, 0));
    _painter.restore();
}
