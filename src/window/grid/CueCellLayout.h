#pragma once

#include <QFont>
#include <QRectF>

// Where a cue cell draws each of its parts inside its rectangle (its bounds
// inset by 5 points). The top row holds, left to right, the play button (edit
// mode) or the hot key (show mode), the mark of a cue that plays, is paused or
// cannot play, the name's first line, the state marks (right to left) and, in
// edit mode, the hot key's badge; the times sit right above the progress bar.
// A tall cell gives its name a band of its own, across the cell, below the
// top row; a short one writes it in the top row between the marks, with a
// second line under them where there is room; a tiny one has no room for the
// times (in show mode the time left goes into the top row).
struct CueCellLayout {
    enum class Height { Tall, Short, Tiny };

    // What the cell shows that moves its other parts.
    struct Shows {
        bool locked = false;
        bool hotkey = false;
        // Show mode: the hot key's width as drawn.
        qreal hotkeyWidth = 0;
        // The mark of a cue that plays, is paused or cannot play.
        bool status = false;
        // How many state marks (hold, loop, solo ...) show.
        int marks = 0;
        // Show mode, tiny: the time left, which goes into the top row.
        bool timeInTopRow = false;
    };

    static constexpr qreal kTopRowTop = 6;
    static constexpr qreal kTopRowHeight = 24;
    static constexpr qreal kProgressHeight = 14;
    static constexpr qreal kStatusSize = 22;
    static constexpr qreal kMarkSize = 16;
    // From one state mark to the next, leftwards: four fit beside a name.
    static constexpr qreal kMarkStep = 20;
    // Show mode, tiny: the time left in the top row.
    static constexpr qreal kTopRowTimeWidth = 70;

    static CueCellLayout of(const QRectF& cell, const Shows& shows);

    // The font of the name, and the bold one of the times (the elapsed time
    // is drawn in its regular weight): the time left at least as large as the
    // name, larger in show mode, where it is what the operator reads.
    static QFont nameFont(bool locked);
    static QFont timeFont(bool locked);

    Height height = Height::Tall;
    QRectF cell;
    QRectF playButton;
    // Show mode: the box of the hot key's text; edit mode: its badge.
    QRectF hotkey;
    QRectF status;
    // The first (rightmost) state mark; each next one kMarkStep to its left.
    QRectF firstMark;
    // The name on one line, and on two (the second empty when it has one
    // at most). A line's text is centred in its box.
    QRectF nameLine;
    QRectF nameFirstOfTwo;
    QRectF nameSecondOfTwo;
    // The elapsed time at its left, the time left at its right; empty when
    // the cell has no room for them.
    QRectF times;
    QRectF progress;
};
