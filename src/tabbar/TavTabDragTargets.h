#pragma once

#include "tabbar/TavTabBarList.h"

#include <QPointF>

class QWidget;
class TavTabBarControl;

// The bars a tab drag may drop into, the window opened or activated last
// first, and which of them takes the drag at a point. GUI thread.
class TavTabDragTargets {
public:
    void registerTabBar(TavTabBarControl& bar);
    void removeTabBar(TavTabBarControl& bar);
    // The bar's window came to the front.
    void tabBarWindowActivated(TavTabBarControl& bar);
    // The registered bar under a global point, of the window in front there;
    // null when that window has no bar under the point. The hidden window is
    // passed over.
    TavTabBarControl* tabBarAtGlobalPoint(const QPointF& global, const QWidget* hidden) const;

private:
    TavTabBarList::Bars _registeredTabBars;
};
