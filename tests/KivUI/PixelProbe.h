#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <functional>

// Renders a drawing into a transparent image of the given size in points at
// a device pixel ratio, and reads pixels back at points.
inline QImage renderImage(QSizeF size, qreal ratio, const std::function<void(QPainter&)>& draw,
                          QColor background = Qt::transparent) {
    QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    QPainter painter(&image);
    draw(painter);
    return image;
}

// The pixel under a point, as an unpremultiplied colour.
inline QColor pixelAt(const QImage& image, qreal x, qreal y) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(std::floor(x * ratio)),
                            static_cast<int>(std::floor(y * ratio)));
}

// Channel comparisons in 8-bit steps, allowing for rounding.
inline bool near(int a, int b, int tolerance = 2) {
    return std::abs(a - b) <= tolerance;
}
inline bool nearGrey(const QColor& c, qreal white, int tolerance = 2) {
    const int v = static_cast<int>(std::lround(white * 255));
    return near(c.red(), v, tolerance) && near(c.green(), v, tolerance) &&
           near(c.blue(), v, tolerance);
}
inline bool nearRgb(const QColor& c, qreal r, qreal g, qreal b, int tolerance = 2) {
    return near(c.red(), static_cast<int>(std::lround(r * 255)), tolerance) &&
           near(c.green(), static_cast<int>(std::lround(g * 255)), tolerance) &&
           near(c.blue(), static_cast<int>(std::lround(b * 255)), tolerance);
}
