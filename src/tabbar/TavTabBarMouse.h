#pragma once

#include <QPointF>

class QMouseEvent;
class TavTabBarCell;
class TavTabBarControl;

// The bar's left button: a click selects a tab, a press and release on a
// close button closes it (with Alt, every other tab), and a press that moves
// far enough on a tab the delegate lets go becomes a drag, handed to the drag
// assistant until the release. Owned by its bar; GUI thread only.
class TavTabBarMouse final {
public:
    explicit TavTabBarMouse(TavTabBarControl& bar)
        : _bar(bar) {}

    void pressed(const QMouseEvent& event);
    void moved(const QMouseEvent& event);
    void released(const QMouseEvent& event);
    // A cell leaving the bar is no longer the one pressed.
    void forgetCell(const TavTabBarCell& cell);

private:
    // Hands the press to the drag assistant once it has moved far enough on
    // a tab the delegate lets go; true when it did.
    bool startDragIfMoved(const QPointF& point);

    TavTabBarControl& _bar;
    // The cell a press began in, where, and whether it pressed its close
    // button.
    TavTabBarCell* _mouseDownCell = nullptr;
    QPointF _mouseDownPoint;
    bool _closeClicked = false;
    // The press became a tab drag: the mouse goes to the drag assistant
    // until the release.
    bool _didDrag = false;
};
