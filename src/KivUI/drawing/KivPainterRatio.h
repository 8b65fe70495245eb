#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

// The device pixel ratio a painter draws at: a widget rendered into a 2x
// image asks for 2x art even when it sits on a 1x screen. The engine's device
// is the real target; painter.device() stays the widget while redirected.
inline qreal KivPainterRatio(const QPainter& painter) {
    if (const QPaintEngine* engine = painter.paintEngine(); engine && engine->paintDevice()) {
        return engine->paintDevice()->devicePixelRatioF();
    }
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}
