#pragma once

#include <QColor>

class PondraColor;

// The colours of a cell's texts over its cue colour: white while it stands
// out enough for bold text, else dark, so every name and hot key reads.
struct CueTextColors {
    // What a text needs over a colour to read as bold text.
    static constexpr double kMinimumContrast = 3.0;

    QColor text;
    QColor shadow;
    QColor time;

    static CueTextColors over(const PondraColor& color);
    // The colour half-way along the cue colour's gradient.
    static QColor middleOf(const PondraColor& color);
    // The ratio of the lighter colour's relative luminance to the darker's,
    // each plus 0.05: 1 for equal colours, 21 for black on white.
    static double contrast(const QColor& one, const QColor& other);
};
