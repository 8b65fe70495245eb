#pragma once

#include "tabbar/TavTabBarList.h"

#include <QPointF>

#include <memory>
#include <vector>

class TavTabBarCell;
class TavTabBarControl;

// The cells sliding apart under a tab drag: each bar the drag has been in
// holds placeholders between its tabs; the one at the target grows along a
// sine, step by step, and the others shrink, until a bar the drag has left
// has none open and loses them. GUI thread.
class TavTabDragAnimation {
public:
    // The placeholder sizes for each animation step of a cell.
    static std::vector<int> sineCurveWidthsForCell(const TavTabBarCell& cell);
    // Takes the placeholders out of the bar and lays it out.
    static void removeAllPlaceholdersFromTabBar(TavTabBarControl& bar);

    TavTabDragAnimation();

    // The drag began on `cell` of `bar`, with `dragged` out of every bar
    // (none at the start): the cell's place becomes an open gap. Returns the
    // cell, out of its bar.
    std::unique_ptr<TavTabBarCell> beginOnCell(TavTabBarControl& bar, TavTabBarCell& cell,
                                               const TavTabBarCell* dragged);
    // The drag came into the bar: placeholders unless it has them.
    void enterTabBar(TavTabBarControl& bar, const TavTabBarCell* dragged);
    // One tick: opens the gap at the target of the point in `destination`
    // (the bar's coordinates; none outside every bar) and closes the others.
    void animate(const TavTabBarControl* destination, const QPointF& point);
    // The bar goes.
    void forgetTabBar(const TavTabBarControl& bar);
    // The drag ended: every bar loses its placeholders.
    void end();

    // The placeholder the drop goes to; null when none.
    TavTabBarCell* targetCell() const { return _targetCell; }
    void clearTarget() { _targetCell = nullptr; }
    const std::vector<int>& sineCurveWidths() const { return _sineCurveWidths; }

private:
    void distributePlaceholdersInTabBar(TavTabBarControl& bar, const TavTabBarCell* dragged);
    void calculateDragAnimationForTabBar(TavTabBarControl& bar, const TavTabBarControl* destination,
                                         const QPointF& point);

    TavTabBarList::Bars _participatingTabBars;
    std::vector<int> _sineCurveWidths;
    TavTabBarCell* _targetCell = nullptr;
};
