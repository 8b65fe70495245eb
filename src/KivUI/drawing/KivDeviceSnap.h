#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>

class QPainter;

// Draws images at whole device pixels. Each edge of a rectangle is rounded
// on its own, so pieces that share an edge in points share it in pixels at
// any scale factor, and no seam opens between them.
class KivDeviceSnap {
public:
    explicit KivDeviceSnap(QPainter& painter);

    QRect toDevice(const QRectF& rect) const;
    // The image scaled into the snapped rectangle.
    void drawImage(const QRectF& rect, const QImage& image) const;
    // The image repeated at its own size in points over the snapped rectangle.
    void drawTiled(const QRectF& rect, const QImage& image) const;

private:
    QPainter& _painter;
};
