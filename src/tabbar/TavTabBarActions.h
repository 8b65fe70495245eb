#pragma once

class KivTabViewItem;
class QHelpEvent;
class QMenu;
class QPointF;
class TavTabBarCell;
class TavTabBarControl;

// What the bar's tabs do when used: select, close, close the others, pick
// from the overflow menu, and the delegate's menus and tool tips for a tab.
// Owned by its bar; GUI thread only.
class TavTabBarActions final {
public:
    explicit TavTabBarActions(TavTabBarControl& bar)
        : _bar(bar) {}

    void tabClick(TavTabBarCell& cell);
    void closeTabClick(TavTabBarCell& cell);
    void closeOtherTabs(TavTabBarCell& kept);
    void overflowMenuAction(KivTabViewItem* item);
    void validateOverflowMenu(QMenu& menu);
    QMenu* menuForPoint(const QPointF& point) const;
    // The delegate's tip for the tab under the event; none hides the tip and
    // leaves the event ignored.
    void showToolTip(QHelpEvent& help);

private:
    TavTabBarControl& _bar;
};
