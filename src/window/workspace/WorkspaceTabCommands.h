#pragma once

#include "foundation/Signal.h"
#include "window/tabs/CartTabBarDelegate.h"

#include <memory>
#include <vector>

class Cart;
class GridController;
class QWidget;
class WorkspaceController;

// The cart tabs of a workspace window: new, close and reopen with undo,
// moving through the tabs, and what the tab bar asks while tabs are
// reordered, dropped into another window or torn off. None is added, closed,
// dragged or dropped while the workspace is locked. GUI thread only.
class WorkspaceTabCommands final : public CartTabBarDelegate {
public:
    explicit WorkspaceTabCommands(WorkspaceController& controller);
    ~WorkspaceTabCommands() override;
    WorkspaceTabCommands(const WorkspaceTabCommands&) = delete;
    WorkspaceTabCommands& operator=(const WorkspaceTabCommands&) = delete;

    // The controller's tab at the end of the row.
    void addTab(GridController& controller);
    // Tabs made so far, never fewer: it numbers the default cart names.
    int tabCount() const { return _tabCount; }
    // The grid controller of the tab at the index in tab order; null when none.
    GridController* controllerAtTab(int index) const;
    GridController* controllerForPage(const QWidget* page) const;
    // -1 for a closed tab's.
    int tabIndexOf(const GridController& controller) const;
    // The closed tabs' controllers go, with the window their views are in.
    void forgetClosedTabs();

    // A new empty cart in a tab of its own, with undo ("New Tab").
    void newTab();
    // The selected tab, after shouldCloseTab(), with undo ("Close Tab"); the
    // only tab closes the window instead.
    void closeTab();
    // Wrapping round at either end.
    void selectNextTab();
    void selectPreviousTab();
    // The tab bar's questions and reports, asked by the bar and the tab drag.
    // An empty cart closes at once; another only after the user agrees.
    bool shouldCloseTab(int index);
    // The bar has taken the tab showing `page` away: its cart leaves the
    // workspace, with undo. A page of another window is none of this one's.
    void tabDidClose(QWidget* page);
    bool shouldDragTab() const;
    // Into `destination`'s bar; a null destination is a drop outside every
    // window, which tears the tab off.
    bool shouldDropTab(const WorkspaceController* destination) const;
    // The tab showing `page`, a page of this window's, was dropped on the bar
    // of `destination`. On this window's own bar the tabs are already in
    // their new order and the carts follow it. On another window's bar that
    // window gets a copy of the cart in a new tab at `index` among its tabs
    // (-1: at the end), and the tab here closes with undo ("Close Tab")
    // unless the bar has closed it already.
    void didDropTab(QWidget* page, WorkspaceController& destination, int index = -1);
    // The window a torn-off tab goes to: a new workspace without carts.
    WorkspaceController* newWindowForDraggedTab();
    // At the end of a drag that left this window without tabs.
    void closeWindowForLastTab();
    // The tab at the index moves to a new workspace window of its own; a
    // window left without tabs closes.
    void tearOffTab(int index);

    // CartTabBarDelegate: the bar's drags, as the calls above.
    bool cartTabBarShouldDragTab() const override { return shouldDragTab(); }
    bool cartTabBarShouldDropTab(const CartTabBarDelegate* destination) const override;
    void cartTabBarDidDropTab(QWidget* page, CartTabBarDelegate& destination, int index) override;
    CartTabBar* cartTabBarForTornOffTab() override;
    void cartTabBarDidLoseLastTab() override { closeWindowForLastTab(); }

private:
    // While any tab drag is on, a row folded for its single tab shows, so
    // that it can take the tab.
    void tabDragDidBegin();
    void tabDragDidEnd();
    // Takes the controller's tab away and its cart out of the workspace,
    // without asking: the undo of a new tab, a redo of a close, a drop. A
    // controller whose tab is closed already is left alone.
    void closeTabOf(GridController* controller);
    // The cart of a tab already gone stops and leaves the workspace; the
    // controller is kept for the undo, which brings the tab back.
    void removeTabFor(GridController& controller);
    void recreateTabFor(GridController* controller);
    // The tab shown is the controller's; undo closes that very tab.
    void selectNewTab(GridController& controller);
    // A copy of a cart dropped from another window, in a tab at `index`
    // (-1: at the end).
    void addDroppedCart(const Cart& cart, int index);
    // The tabs were put in a new order by the user: the carts follow.
    void tabsDidReorder();
    // The workspace's carts in the tabs' order.
    void orderCartsAsTabs();
    // The window of another bar's drag controller; null for one not a window's.
    static WorkspaceController* windowOf(const CartTabBarDelegate* delegate);

    WorkspaceController& _controller;
    // Of closed tabs, for their undo; their views stay hidden in the window.
    std::vector<std::unique_ptr<GridController>> _closedControllers;
    int _tabCount = 0;
    Connection _dragBeginObservation;
    Connection _dragEndObservation;
};
