#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <string>

class QPainter;

// Plain drawing and geometry helpers of the widget kit.
struct KivDrawing {
    // The corner radius a rounded rectangle really gets: the radius limited
    // to half the shorter side, in whole points (10 on 12 x 40 gives 6).
    static qreal roundedRectRadius(const QRectF& rect, qreal radius);
    // Adds a closed rounded rectangle with that radius.
    static void addRoundedRectToPath(QPainterPath& path, const QRectF& rect, qreal radius);
    static void clipToRoundedRect(QPainter& painter, const QRectF& rect, qreal radius);
    static void fillRoundedRect(QPainter& painter, const QRectF& rect, qreal radius,
                                const QBrush& brush);

    // Bitmaps to draw into: opaque RGB, or premultiplied alpha; sizes truncated.
    static QImage createBitmap(qreal width, qreal height, bool opaque);

    // The source size scaled to cover (fill) or fit inside the target, centred.
    static QRectF aspectFillRect(const QSizeF& source, const QRectF& target);
    static QRectF aspectFitRect(const QSizeF& source, const QRectF& target);
    static QRectF rectWithRoundedOrigin(const QRectF& rect);
    // The size centred in the target, its origin on whole points.
    static QRectF centerSizeInRect(const QSizeF& size, const QRectF& target);
    // The rectangle's size centred in the target, not rounded.
    static QRectF centerRectInRect(const QRectF& rect, const QRectF& target);

    // UTF-8 text cut to what `width` pixels could show of it at the narrowest
    // advance a glyph has (one pixel): its start and its end around an
    // ellipsis, which eliding in the middle keeps. A text of megabytes from a
    // document is so never laid out whole.
    static QString boundedText(const std::string& text, qreal width);

    // A two-colour gradient from the start to the end point, not extended.
    static void drawTwoColorLinearGradient(QPainter& painter, const QPointF& start,
                                           const QColor& first, const QPointF& end,
                                           const QColor& second);
};
