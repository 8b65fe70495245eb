#pragma once

#include <QPaintDevice>
#include <QPainter>

// The device pixel ratio a painter draws at: an image rendered at 2x asks
// for 2x art even when its widget sits on a 1x screen.
inline qreal KivPainterRatio(const QPainter& painter) {
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}
