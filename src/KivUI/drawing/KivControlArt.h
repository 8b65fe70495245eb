#pragma once

#include "KivUI/drawing/KivImageArt.h"

// Controls: buttons, pop-ups, check boxes, the well. A piece of a three- or
// nine-part image is drawn as KivImageArt's window onto the whole shape.
namespace KivControlArt {

void button(QPainter& painter, const QSizeF& size, KivImageArt::Piece piece, bool small,
            bool pressed);
void popUp(QPainter& painter, const QSizeF& size, KivImageArt::Piece piece, bool small,
           bool pullDown);
void checkbox(QPainter& painter, const QSizeF& size, Qt::CheckState state, bool pressed);
void well(QPainter& painter, const QSizeF& size, KivImageArt::Grid piece);

} // namespace KivControlArt
