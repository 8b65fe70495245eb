#pragma once

#include "window/workspace/PondraWindow.h"

#include <QPoint>
#include <QRect>

// Where a workspace window's controls are on the screen, from its frame: the
// window's fixed parts as the program lays them out (menu bar, bottom bar,
// inspector of its first height) and the grid's cells by the grid's own
// rule (whole-point cells, 4-point margins, 2-point gaps, drawn 6 points in).
class WindowMap {
public:
    static constexpr int kMenuBarHeight = 23;
    static constexpr int kTabBarHeight = 22;
    static constexpr int kSplitterHeight = 12;
    static constexpr int kTabWidth = 150;
    static constexpr int kTabRowLeft = 2;
    static constexpr int kWarningButtonX = 200;

    explicit WindowMap(QRect frame, bool tabsShown = false, int columns = 4, int rows = 4);
    // Show mode: the grid reaches down to the bottom bar.
    static WindowMap inShowMode(QRect frame, bool tabsShown = false, int columns = 4, int rows = 4);

    QRect frame() const { return _frame; }
    // A cell as drawn, and its middle, by index row * columns + column.
    QRect cell(int index) const;
    QPoint cellCentre(int index) const { return cell(index).center(); }
    // A place inside the cell that holds no button of its own.
    QPoint cellName(int index) const;
    // The corner where a cell shows that its cue plays, is paused or cannot
    // play (show mode), and the line of its times, right above its progress
    // bar (its elapsed time at the left, the time left at the right).
    QRect cellStatus(int index) const;
    QRect cellTimes(int index) const;
    // The middle of a cell's play button (edit mode).
    QPoint cellPlayButton(int index) const;

    // The middle of cart tab n of a shown tab row, each tab 150 points wide.
    QPoint tab(int n) const;
    // The warnings button, beside the mode switch.
    QPoint warningButton() const { return bottom(kWarningButtonX); }

    // The inspector of a selected cue.
    QPoint nameField() const { return inspector(173, 24); }
    QPoint hotKeyField() const { return inspector(81, 55); }
    QPoint midiField() const { return inspector(160, 55); }
    // Swatch n of the eight colours, from grey.
    QPoint colourSwatch(int n) const { return inspector(73 + 22 * n, 86); }
    // Where a click sets the volume slider to a fraction of its range: its
    // knob's middle travels 202 points from 7.5 points into the slider, so
    // the value taken is the fraction to within 0.003.
    QPoint volume(double fraction) const;
    QPoint loopCheckBox() const { return inspector(73, 177); }
    QPoint startField() const { return inspector(372, 176); }
    QPoint endField() const { return inspector(486, 176); }
    QPoint addEffectButton() const { return inspectorFromRight(165, 175); }
    QPoint effectsRow(int row) const { return inspectorFromRight(114, 40 + 18 * row); }
    // Where the inspector shows nothing to click.
    QPoint inspectorBlank() const { return inspector(40, 150); }

    // The bottom bar.
    QPoint editButton() const { return bottom(47); }
    QPoint showButton() const { return bottom(117); }
    QPoint pauseButton() const { return bottom(390); }
    QPoint outputPopUp() const { return {_frame.right() - 109, _frame.bottom() - 31}; }
    // Where the warnings button shows, right of the mode buttons, while
    // there are warnings.
    QRect warningButtonArea() const {
        return {_frame.left() + kWarningButtonX - 40, _frame.bottom() - 44, 80, 26};
    }

private:
    QPoint inspector(int x, int y) const { return _inspectorTopLeft + QPoint(x, y); }
    QPoint inspectorFromRight(int fromRight, int y) const {
        return {_frame.right() - fromRight, _inspectorTopLeft.y() + y};
    }
    QPoint bottom(int x) const { return {_frame.left() + x, _frame.bottom() - 31}; }

    QRect _frame;
    QRect _grid;
    int _columns;
    int _rows;
    QPoint _inspectorTopLeft;
    bool _showMode = false;
};
