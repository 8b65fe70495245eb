#pragma once

#include "KivUI/drawing/KivImageArt.h"

// The tab bar's buttons.
// Each draws into the painter at the given size.
namespace KivTabArt {

enum class ButtonLook { Normal, Rollover, Pressed };
void tabClose(QPainter& painter, const QSizeF& size, bool dirty, ButtonLook look);
void tabNew(QPainter& painter, const QSizeF& size, ButtonLook look);
void overflow(QPainter& painter, const QSizeF& size, bool pressed);
void progressIndicator(QPainter& painter, const QSizeF& size);

} // namespace KivTabArt
