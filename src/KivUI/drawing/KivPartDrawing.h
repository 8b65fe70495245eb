#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

#include <array>

// Three-part images: two caps at their own size and a fill stretched between
// them, along the orientation. Nine-part images: four corners at their own
// size, edges stretched along one side, the centre stretched both ways.
// Pieces are laid on whole device pixels, so no seams show at any scale.
struct KivPartDrawing {
    static void
    drawThreePart(QPainter& painter, const QRectF& frame, const QImage& start, const QImage& fill,
                  const QImage& end, Qt::Orientation orientation = Qt::Horizontal,
                  qreal opacity = 1.0,
                  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver);

    // Pieces in the order top left, top, top right, left, centre, right,
    // bottom left, bottom, bottom right.
    static void drawNinePart(QPainter& painter, const QRectF& frame,
                             const std::array<QImage, 9>& pieces, qreal opacity = 1.0,
                             QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver);
};
