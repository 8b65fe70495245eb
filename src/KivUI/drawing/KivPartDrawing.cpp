#include "KivUI/drawing/KivPartDrawing.h"

#include "KivUI/drawing/KivDeviceSnap.h"

void KivPartDrawing::drawThreePart(QPainter& painter, const QRectF& frame, const QImage& start,
                                   const QImage& fill, const QImage& end,
                                   Qt::Orientation orientation, qreal opacity,
                                   QPainter::CompositionMode mode) {
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setCompositionMode(mode);
    const KivDeviceSnap snap(painter);
    if (orientation == Qt::Horizontal) {
        const qreal startWidth = std::min(start.deviceIndependentSize().width(), frame.width() / 2);
        const qreal endWidth = std::min(end.deviceIndependentSize().width(), frame.width() / 2);
        const qreal fillLeft = frame.left() + startWidth;
        const qreal fillRight = frame.right() - endWidth;
        snap.drawImage(QRectF(frame.left(), frame.top(), startWidth, frame.height()), start);
        snap.drawImage(QRectF(fillLeft, frame.top(), fillRight - fillLeft, frame.height()), fill);
        snap.drawImage(QRectF(fillRight, frame.top(), endWidth, frame.height()), end);
    } else {
        const qreal startHeight =
            std::min(start.deviceIndependentSize().height(), frame.height() / 2);
        const qreal endHeight = std::min(end.deviceIndependentSize().height(), frame.height() / 2);
        const qreal fillTop = frame.top() + startHeight;
        const qreal fillBottom = frame.bottom() - endHeight;
        snap.drawImage(QRectF(frame.left(), frame.top(), frame.width(), startHeight), start);
        snap.drawImage(QRectF(frame.left(), fillTop, frame.width(), fillBottom - fillTop), fill);
        snap.drawImage(QRectF(frame.left(), fillBottom, frame.width(), endHeight), end);
    }
    painter.restore();
}

void KivPartDrawing::drawNinePart(QPainter& painter, const QRectF& frame,
                                  const std::array<QImage, 9>& pieces, qreal opacity,
                                  QPainter::CompositionMode mode) {
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setCompositionMode(mode);
    const KivDeviceSnap snap(painter);
    const QSizeF topLeft = pieces[0].deviceIndependentSize();
    const QSizeF bottomRight = pieces[8].deviceIndependentSize();
    const qreal xs[] = {frame.left(), frame.left() + topLeft.width(),
                        frame.right() - bottomRight.width(), frame.right()};
    const qreal ys[] = {frame.top(), frame.top() + topLeft.height(),
                        frame.bottom() - bottomRight.height(), frame.bottom()};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF cell(QPointF(xs[column], ys[row]), QPointF(xs[column + 1], ys[row + 1]));
            snap.drawImage(cell, pieces[row * 3 + column]);
        }
    }
    painter.restore();
}
