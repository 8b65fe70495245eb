#pragma once

#include "KivUI/drawing/KivColors.h"

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// How the drawings behind the named images (KivControlArt, KivTrackArt,
// KivTabArt, KivCueArt, KivWorkspaceArt) are cut: each draws its whole shape
// once; the pieces of a three- or nine-part image are windows onto it, so the
// pieces always meet without a visible joint.
namespace KivImageArt {

enum class Piece { Left, Fill, Right };
enum class Grid { TopLeft, Top, TopRight, Left, Centre, Right, BottomLeft, Bottom, BottomRight };

// Draws `whole` over a rectangle of `full` size, shifted so that the window at
// `origin` of the piece's size lands in the painter's image.
template <typename Whole>
void drawWindow(QPainter& painter, const QSizeF& piece, const QSizeF& full, const QPointF& origin,
                Whole whole);

// The x of a three-part piece inside a shape of the two caps and a one-point fill.
qreal threePartOrigin(Piece piece, qreal leftWidth);
QSizeF threePartFull(qreal height, qreal leftWidth, qreal rightWidth);
QPointF gridOrigin(Grid piece, qreal corner);

using KivColors::grey;

} // namespace KivImageArt

template <typename Whole>
void KivImageArt::drawWindow(QPainter& painter, const QSizeF& piece, const QSizeF& full,
                             const QPointF& origin, Whole whole) {
    painter.save();
    painter.setClipRect(QRectF(QPointF(), piece));
    painter.translate(-origin);
    whole(QRectF(QPointF(), full));
    painter.restore();
}
