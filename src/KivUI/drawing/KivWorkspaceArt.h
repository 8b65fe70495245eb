#pragma once

#include "KivUI/drawing/KivImageArt.h"

// The workspace window.
// Each draws into the painter at the given size.
namespace KivWorkspaceArt {

void bottomPattern(QPainter& painter, const QSizeF& size);
void pauseButton(QPainter& painter, const QSizeF& size, bool highlighted);
void duckingButton(QPainter& painter, const QSizeF& size, bool highlighted);

} // namespace KivWorkspaceArt
