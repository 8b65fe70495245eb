#pragma once

#include "KivUI/drawing/KivImageArt.h"

// Cue cells: the play button, the mode icons, the status marks.
// Each draws into the painter at the given size.
namespace KivCueArt {

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

} // namespace KivCueArt
