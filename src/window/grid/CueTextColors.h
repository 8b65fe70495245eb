#pragma once

#include "KivUI/drawing/KivColors.h"

#include <QColor>

class PondraColor;

// The colours of a cell's texts over its cue colour: white or black,
// whichever stands out more from the part of the colour's gradient the text
// lies on, so that every name, time and hot key reads from the desk. Where
// the gradient runs through the middle greys, where neither reads well
// enough, the text gets a dark backing under it and is white.
struct CueTextColors {
    // What a text needs over its ground to read at a glance (WCAG AA).
    static constexpr double kMinimumContrast = KivColors::kReadableContrast;

    QColor text;
    QColor shadow;
    // Laid under the text; invalid when none is needed.
    QColor backing;

    // Over the gradient from `top` to `bottom`, each from 0 at the start
    // colour to 1 at the end colour.
    static CueTextColors over(const PondraColor& color, double top, double bottom);
    // The colour at a place along the gradient, from 0 to 1.
    static QColor along(const PondraColor& color, double position);
    static double contrast(const QColor& one, const QColor& other);
    // The lowest contrast of the text with its ground, backing included,
    // over the gradient from `top` to `bottom`.
    double lowestContrast(const PondraColor& color, double top, double bottom) const;
};
