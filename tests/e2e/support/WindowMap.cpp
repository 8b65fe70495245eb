#include "e2e/support/WindowMap.h"

#include "window/grid/CueCellLayout.h"

#include <cmath>

WindowMap::WindowMap(QRect frame, bool tabsShown, int columns, int rows)
    : _frame(frame)
    , _columns(columns)
    , _rows(rows) {
    const int top = kMenuBarHeight + (tabsShown ? kTabBarHeight : 0);
    const int inspectorTop =
        frame.height() - PondraWindow::kBottomBarHeight - PondraWindow::kInspectorHeight;
    _grid =
        QRect(frame.left(), frame.top() + top, frame.width(), inspectorTop - kSplitterHeight - top);
    _inspectorTopLeft = QPoint(frame.left(), frame.top() + inspectorTop);
}

WindowMap WindowMap::inShowMode(QRect frame, bool tabsShown, int columns, int rows) {
    WindowMap map(frame, tabsShown, columns, rows);
    map._grid.setBottom(frame.bottom() - PondraWindow::kBottomBarHeight);
    map._showMode = true;
    return map;
}

QRect WindowMap::cell(int index) const {
    const int width = (_grid.width() - 4 - (2 * _columns + 2)) / _columns;
    const int height = (_grid.height() - 4 - (2 * _rows + 2)) / _rows;
    const int column = index % _columns;
    const int row = index / _columns;
    const QRect frame(_grid.left() + 4 + column * (width + 2), _grid.top() + 4 + row * (height + 2),
                      width, height);
    return frame.adjusted(6, 6, -6, -6);
}

QPoint WindowMap::cellName(int index) const {
    const QRect drawn = cell(index);
    return {drawn.center().x(), drawn.top() + drawn.height() * 2 / 5};
}

QRect WindowMap::cellStatus(int index) const {
    const QRect drawn = cell(index);
    return {drawn.left() + 34, drawn.top() + 4, 26, 26};
}

QRect WindowMap::cellTimes(int index) const {
    // The cell's own rectangle ends two points below the drawn one's last
    // row; its progress bar sits 6 points above that end, and the times'
    // line, as high as their font (13 pixels in edit mode, 18 in show mode),
    // a point above the bar.
    const QRect drawn = cell(index);
    const int bottom = drawn.bottom() + 2 - 6 - static_cast<int>(CueCellLayout::kProgressHeight);
    const int height = _showMode ? 21 : 16;
    return {drawn.left() + 2, bottom - 1 - height, drawn.width() - 4, height};
}

QPoint WindowMap::cellPlayButton(int index) const {
    const QRect drawn = cell(index);
    return {drawn.left() + 5 + 12, drawn.top() + 5 + 12};
}

QPoint WindowMap::volume(double fraction) const {
    return inspector(72 + static_cast<int>(std::lround(fraction * 202)), 116);
}

QPoint WindowMap::tab(int n) const {
    return {_frame.left() + kTabRowLeft + kTabWidth * n + kTabWidth / 2,
            _frame.top() + kMenuBarHeight + kTabBarHeight / 2};
}
