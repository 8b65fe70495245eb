#include "KivUI/drawing/KivDrawing.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

qreal KivDrawing::roundedRectRadius(const QRectF& rect, qreal radius) {
    return std::floor(std::min({radius, rect.width() * 0.5, rect.height() * 0.5}));
}

void KivDrawing::addRoundedRectToPath(QPainterPath& path, const QRectF& rect, qreal radius) {
    const qreal r = roundedRectRadius(rect, radius);
    if (r <= 0) {
        path.addRect(rect);
        return;
    }
    const qreal d = 2 * r;
    path.moveTo(rect.left(), rect.bottom() - r);
    path.lineTo(rect.left(), rect.top() + r);
    path.arcTo(QRectF(rect.left(), rect.top(), d, d), 180, -90);
    path.lineTo(rect.right() - r, rect.top());
    path.arcTo(QRectF(rect.right() - d, rect.top(), d, d), 90, -90);
    path.lineTo(rect.right(), rect.bottom() - r);
    path.arcTo(QRectF(rect.right() - d, rect.bottom() - d, d, d), 0, -90);
    path.lineTo(rect.left() + r, rect.bottom());
    path.arcTo(QRectF(rect.left(), rect.bottom() - d, d, d), 270, -90);
    path.closeSubpath();
}

void KivDrawing::clipToRoundedRect(QPainter& painter, const QRectF& rect, qreal radius) {
    QPainterPath path;
    addRoundedRectToPath(path, rect, radius);
    painter.setClipPath(path, Qt::IntersectClip);
}

void KivDrawing::fillRoundedRect(QPainter& painter, const QRectF& rect, qreal radius,
                                 const QBrush& brush) {
    QPainterPath path;
    addRoundedRectToPath(path, rect, radius);
    painter.fillPath(path, brush);
}

QImage KivDrawing::createBitmap(qreal width, qreal height, bool opaque) {
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::black : Qt::transparent);
    return image;
}

namespace {

QRectF aspectRect(const QSizeF& source, const QRectF& target, bool fill) {
    if (source.isEmpty()) {
        return {target.center(), QSizeF()};
    }
    const qreal sx = target.width() / source.width();
    const qreal sy = target.height() / source.height();
    const qreal scale = fill ? std::max(sx, sy) : std::min(sx, sy);
    const QSizeF size = source * scale;
    return {target.center() - QPointF(size.width() / 2, size.height() / 2), size};
}

} // namespace

QRectF KivDrawing::aspectFillRect(const QSizeF& source, const QRectF& target) {
    return aspectRect(source, target, true);
}

QRectF KivDrawing::aspectFitRect(const QSizeF& source, const QRectF& target) {
    return aspectRect(source, target, false);
}

QRectF KivDrawing::rectWithRoundedOrigin(const QRectF& rect) {
    return {QPointF(std::round(rect.x()), std::round(rect.y())), rect.size()};
}

QRectF KivDrawing::centerSizeInRect(const QSizeF& size, const QRectF& target) {
    return rectWithRoundedOrigin(centerRectInRect(QRectF(QPointF(), size), target));
}

QRectF KivDrawing::centerRectInRect(const QRectF& rect, const QRectF& target) {
    return {target.center() - QPointF(rect.width() / 2, rect.height() / 2), rect.size()};
}

void KivDrawing::drawTwoColorLinearGradient(QPainter& painter, const QPointF& start,
                                            const QColor& first, const QPointF& end,
                                            const QColor& second) {
    // Only the band between the two points is painted: project the device onto
    // the axis and clip to the strip the gradient spans.
    const QPointF axis = end - start;
    const qreal length = std::hypot(axis.x(), axis.y());
    if (length <= 0) {
        return;
    }
    painter.save();
    painter.translate(start);
    painter.rotate(std::atan2(axis.y(), axis.x()) * 180.0 / M_PI);
    const qreal far = 1e5;
    painter.setClipRect(QRectF(0, -far, length, 2 * far), Qt::IntersectClip);
    QLinearGradient local(QPointF(0, 0), QPointF(length, 0));
    local.setColorAt(0, first);
    local.setColorAt(1, second);
    painter.fillRect(QRectF(0, -far, length, 2 * far), local);
    painter.restore();
}

QString KivDrawing::boundedText(const std::string& text, qreal width) {
    const std::size_t keep = static_cast<std::size_t>(std::max<qreal>(width, 0)) + 2;
    if (text.size() <= 2 * keep) {
        return QString::fromStdString(text);
    }
    // Whole UTF-8 sequences: a cut never lands on a continuation byte.
    const auto isContinuation = [&text](std::size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    std::size_t headEnd = keep;
    while (headEnd > 0 && isContinuation(headEnd)) {
        --headEnd;
    }
    std::size_t tailStart = text.size() - keep;
    while (tailStart < text.size() && isContinuation(tailStart)) {
        ++tailStart;
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(headEnd)) + QChar(0x2026) +
           QString::fromUtf8(text.data() + tailStart,
                             static_cast<qsizetype>(text.size() - tailStart));
}
