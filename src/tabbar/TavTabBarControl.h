#pragma once

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewDelegate.h"
#include "tabbar/TavTabBarActions.h"
#include "tabbar/TavTabBarCells.h"
#include "tabbar/TavTabBarItemSync.h"

#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class KivTabViewItem;
class QMenu;
class TavOverflowPopUpButton;
class TavRolloverButton;
class TavTabBarCell;
class TavTabBarController;
class TavTabBarControlDelegate;
class TavTabBarDropTarget;
class TavTabBarMotion;
class TavTabBarMouse;
class TavTabStyle;

// A strip of tabs that fronts a tab view: one cell per item, a select on
// click, close buttons, an overflow pull-down for the tabs that do not fit,
// an optional add-tab button, and a collapse to one point while the tab view
// has a single tab. The tab view is the model; the bar is its delegate and
// relays its calls to its own delegate. Sizes and drawing come from the
// style, layout from the controller, movement from the motion, clicks from
// the mouse and drops from the drop target. GUI thread only.
class TavTabBarControl final : public QWidget, public KivTabViewDelegate {
public:
    using Cells = TavTabBarCells::List;
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;
    // A collapsed bar keeps one point of its height.
    static constexpr int kCollapse = 21;
    static constexpr double kCollapseDuration = 0.1;
    static constexpr double kCellAnimationDuration = 0.5;
    // How far a press moves on a tab before the tab is dragged.
    static constexpr double kDragThreshold = 10.0;
    // How long a drag rests on a tab before the tab opens.
    static constexpr double kDefaultSpringDelay = 0.668;

    explicit TavTabBarControl(QWidget* parent = nullptr);
    ~TavTabBarControl() override;

    // Becomes the tab view's delegate.
    void setTabView(KivTabView* tabView);
    KivTabView* tabView() const { return _tabView; }
    void setDelegate(TavTabBarControlDelegate* delegate) { _delegate = delegate; }
    TavTabBarControlDelegate* delegate() const { return _delegate; }
    // Adds a cell for every item of the tab view that has none yet: a bar
    // set on a tab view that already holds items shows them from here on.
    void awakeFromNib() {
        if (_tabView) {
            _itemSync->addMissingItems(*_tabView);
        }
    }

    TavTabStyle& style() const { return *_style; }
    void setStyle(std::unique_ptr<TavTabStyle> style);
    // There is one style: any name installs a new metal style.
    void setStyleNamed(const QString& name);
    QString styleName() const;

    bool canCloseOnlyTab() const { return _canCloseOnlyTab; }
    void setCanCloseOnlyTab(bool value);
    bool disableTabClose() const { return _disableTabClose; }
    void setDisableTabClose(bool value);
    bool hideForSingleTab() const { return _hideForSingleTab; }
    void setHideForSingleTab(bool value);
    bool showAddTabButton() const { return _showAddTabButton; }
    void setShowAddTabButton(bool value);
    int cellMinWidth() const { return _cellMinWidth; }
    void setCellMinWidth(int value);
    int cellMaxWidth() const { return _cellMaxWidth; }
    void setCellMaxWidth(int value);
    int cellOptimumWidth() const { return _cellOptimumWidth; }
    void setCellOptimumWidth(int value);
    bool sizeCellsToFit() const { return _sizeCellsToFit; }
    void setSizeCellsToFit(bool value);
    bool useOverflowMenu() const { return _useOverflowMenu; }
    void setUseOverflowMenu(bool value);
    bool allowsBackgroundTabClosing() const { return _allowsBackgroundTabClosing; }
    void setAllowsBackgroundTabClosing(bool value) { _allowsBackgroundTabClosing = value; }
    bool selectsTabsOnMouseDown() const { return _selectsTabsOnMouseDown; }
    void setSelectsTabsOnMouseDown(bool value) { _selectsTabsOnMouseDown = value; }
    bool automaticallyAnimates() const { return _automaticallyAnimates; }
    void setAutomaticallyAnimates(bool value) { _automaticallyAnimates = value; }
    bool alwaysShowActiveTab() const { return _alwaysShowActiveTab; }
    void setAlwaysShowActiveTab(bool value) { _alwaysShowActiveTab = value; }
    // How a torn-off tab shows while dragged: 0 its view, 1 its window.
    int tearOffStyle() const { return _tearOffStyle; }
    void setTearOffStyle(int value) { _tearOffStyle = value; }
    int orientation() const { return _orientation; }
    // kHorizontal or kVertical: the cells run along the bar's width or down
    // its height. The bar's size stays the owner's to set.
    void setOrientation(int orientation);
    double springDelay() const;
    void setSpringDelay(double seconds);

    const Cells& cells() const { return _cells.all(); }
    TavOverflowPopUpButton* overflowPopUpButton() const { return _overflowPopUpButton; }
    TavRolloverButton* addTabButton() const { return _addTabButton; }
    TavTabBarController& controller() const { return *_controller; }
    bool isTabBarHidden() const;
    bool isAnimating() const;
    // The window is the active one: lines and titles at full strength.
    bool isInMainWindow() const;

    // The bar's relayout (its own `update`): without an argument it animates
    // as automaticallyAnimates says. Skipped while cells and items differ in
    // number.
    void relayout();
    void relayout(bool animate);
    // Collapses to one point or expands, always in a short animation; not
    // before the first showing.
    void hideTabBar(bool hide);
    void addTabViewItem(KivTabViewItem& item) { _itemSync->addItem(item); }
    void removeTabForCell(TavTabBarCell& cell);
    // For the drag assistant: placeholders and the dragged cell move in and
    // out of the row without touching the tab view.
    void insertCell(int index, std::unique_ptr<TavTabBarCell> cell);
    std::unique_ptr<TavTabBarCell> takeCell(TavTabBarCell& cell);
    int indexOfCell(const TavTabBarCell* cell) const { return _cells.indexOf(cell); }
    std::vector<KivTabViewItem*> representedTabViewItems() const {
        return _cells.representedTabViewItems();
    }
    // Null when no cell holds the point; `frame` then stays untouched.
    TavTabBarCell* cellForPoint(const QPointF& point, QRectF* frame = nullptr) const;
    TavTabBarCell* cellForItem(const KivTabViewItem* item) const {
        return _cells.cellForItem(item);
    }
    TavTabBarCell* lastVisibleTab() const { return _cells.lastVisibleTab(); }
    int numberOfVisibleTabs() const { return _cells.numberOfVisibleTabs(); }
    double availableCellWidth() const;
    QRectF genericCellRect() const;

    // Actions.
    void tabClick(TavTabBarCell& cell) { _actions->tabClick(cell); }
    void closeTabClick(TavTabBarCell& cell) { _actions->closeTabClick(cell); }
    // A close button released with Alt: every tab but this one closes.
    void closeOtherTabs(TavTabBarCell& kept) { _actions->closeOtherTabs(kept); }
    void overflowMenuAction(KivTabViewItem* item) { _actions->overflowMenuAction(item); }
    // Checks the selected item and asks the delegate to enable each.
    void validateOverflowMenu(QMenu& menu) { _actions->validateOverflowMenu(menu); }
    // The delegate's menu for the tab under the point; null without a tab
    // there or without an answer.
    QMenu* menuForPoint(const QPointF& point) const { return _actions->menuForPoint(point); }

    // The tab view's calls.
    bool tabViewShouldSelectTabViewItem(KivTabView& tabView, KivTabViewItem& item) override;
    void tabViewWillSelectTabViewItem(KivTabView& tabView, KivTabViewItem& item) override;
    void tabViewDidSelectTabViewItem(KivTabView& tabView, KivTabViewItem* item) override {
        _itemSync->itemSelected(tabView, item);
    }
    void tabViewDidChangeNumberOfTabViewItems(KivTabView& tabView) override {
        _itemSync->numberOfItemsChanged(tabView);
    }
    void tabViewItemLabelDidChange(KivTabView&, KivTabViewItem& item) override {
        _itemSync->labelChanged(item);
    }
    // The cell shows the item's count in the item's colour.
    void tabViewItemCountDidChange(KivTabView&, KivTabViewItem& item) override {
        _itemSync->countChanged(item);
    }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Collapses a single tab's bar at the first showing, without animation.
    void windowDidUpdate();
    void positionOverflowMenu();

    TavTabBarCells _cells;
    QPointer<KivTabView> _tabView;
    TavOverflowPopUpButton* _overflowPopUpButton;
    TavRolloverButton* _addTabButton;
    std::unique_ptr<TavTabBarController> _controller;
    std::unique_ptr<TavTabStyle> _style;
    TavTabBarControlDelegate* _delegate = nullptr;
    bool _canCloseOnlyTab = false;
    bool _disableTabClose = false;
    bool _hideForSingleTab = false;
    bool _showAddTabButton = false;
    bool _sizeCellsToFit = false;
    bool _useOverflowMenu = true;
    bool _alwaysShowActiveTab = false;
    int _orientation = kHorizontal;
    bool _automaticallyAnimates = false;
    int _tearOffStyle = 0;
    bool _allowsBackgroundTabClosing = true;
    bool _selectsTabsOnMouseDown = false;
    int _cellMinWidth = 100;
    int _cellMaxWidth = 280;
    int _cellOptimumWidth = 130;
    std::unique_ptr<TavTabBarMotion> _motion;
    std::unique_ptr<TavTabBarMouse> _mouse;
    std::unique_ptr<TavTabBarDropTarget> _dropTarget;
    std::unique_ptr<TavTabBarItemSync> _itemSync;
    std::unique_ptr<TavTabBarActions> _actions;
};
