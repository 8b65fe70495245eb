#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where an effect's editor goes: beside the workspace window its effect's
// cue is in, so that the grid stays in sight. All rectangles are window
// frames in global coordinates.
namespace EffectEditorPlacement {

// The space left between the two windows.
inline constexpr int kGap = 8;

// The top left of an editor of `size` beside `window` on a screen whose
// free area is `screen`: to its right where the editor fits there, else to
// its left, else over the window's right edge inside the screen; level with
// the window's top, kept on the screen.
QPoint besideWindow(const QRect& window, const QSize& size, const QRect& screen);

} // namespace EffectEditorPlacement
