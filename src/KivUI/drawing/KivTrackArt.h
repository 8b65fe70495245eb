#pragma once

#include "KivUI/drawing/KivImageArt.h"

// Sliders, the splitter, progress bars. A piece of a three- or
// nine-part image is drawn as KivImageArt's window onto the whole shape.
namespace KivTrackArt {

void sliderKnob(QPainter& painter, const QSizeF& size);
void sliderTrack(QPainter& painter, const QSizeF& size, KivImageArt::Piece piece, bool filled,
                 bool small);
void splitterBar(QPainter& painter, const QSizeF& size);
void splitterHandle(QPainter& painter, const QSizeF& size);
void progressBackground(QPainter& painter, const QSizeF& size, KivImageArt::Piece piece);
// Blue while the bar runs, amber while what it measures is paused.
void progressFill(QPainter& painter, const QSizeF& size, bool paused = false);

} // namespace KivTrackArt
