#pragma once

#include "KivUI/drawing/KivColors.h"

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// The drawings behind the named images. Each family draws its whole shape
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

// Controls: buttons, pop-ups, check boxes, the well.
void button(QPainter& painter, const QSizeF& size, Piece piece, bool small, bool pressed);
void popUp(QPainter& painter, const QSizeF& size, Piece piece, bool small, bool pullDown);
void checkbox(QPainter& painter, const QSizeF& size, Qt::CheckState state, bool pressed);
void well(QPainter& painter, const QSizeF& size, Grid piece);

// Sliders, the splitter, progress bars.
void sliderKnob(QPainter& painter, const QSizeF& size);
void sliderTrack(QPainter& painter, const QSizeF& size, Piece piece, bool filled, bool small);
void splitterBar(QPainter& painter, const QSizeF& size);
void splitterHandle(QPainter& painter, const QSizeF& size);
void progressBackground(QPainter& painter, const QSizeF& size, Piece piece);
// Blue while the bar runs, amber while what it measures is paused.
void progressFill(QPainter& painter, const QSizeF& size, bool paused = false);

// Tab bar.
enum class ButtonLook { Normal, Rollover, Pressed };
void tabClose(QPainter& painter, const QSizeF& size, bool dirty, ButtonLook look);
void tabNew(QPainter& painter, const QSizeF& size, ButtonLook look);
void overflow(QPainter& painter, const QSizeF& size, bool pressed);
void progressIndicator(QPainter& painter, const QSizeF& size);

// Cue cells.
void cueButton(QPainter& painter, const QSizeF& size, bool stop);
enum class CueIcon { Hold, Loop, Solo, Ducking };
void cueIcon(QPainter& painter, const QSizeF& size, CueIcon icon);
void statusRunning(QPainter& painter, const QSizeF& size);
void statusPaused(QPainter& painter, const QSizeF& size);
void statusSpinner(QPainter& painter, const QSizeF& size);
// A cue that cannot play: a warning triangle for a file that cannot be read,
// a disc with a question mark for one that is missing.
void statusBroken(QPainter& painter, const QSizeF& size);
void statusMissing(QPainter& painter, const QSizeF& size);

// The workspace window.
void bottomPattern(QPainter& painter, const QSizeF& size);
void pauseButton(QPainter& painter, const QSizeF& size, bool highlighted);
void duckingButton(QPainter& painter, const QSizeF& size, bool highlighted);

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
