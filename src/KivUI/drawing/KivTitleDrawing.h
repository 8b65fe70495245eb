#pragma once

#include <QRectF>
#include <QString>

class QPainter;

// The titles of skinned buttons and pop-ups: white with a half-black shadow
// one point below when enabled, dark grey without shadow when disabled.
struct KivTitleDrawing {
    static void draw(QPainter& painter, const QRectF& rect, const QString& title, bool enabled,
                     int alignment);
};
