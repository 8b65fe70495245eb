#pragma once

#include "tabbar/TavTabBarControlDelegate.h"
#include "window/tabs/CartTabBarDelegate.h"
#include "window/tabs/CartTabs.h"

#include <QWidget>

class KivTabView;
class TavTabBarControl;

// The cart tabs as the tab bar over a tab view of the carts' grids. The bar
// hides itself while there is a single tab; its tabs are 100 to 200 points
// wide, 150 when they fit.
class CartTabBar final : public QWidget, public CartTabs, public TavTabBarControlDelegate {
public:
    explicit CartTabBar(QWidget* parent = nullptr);
    ~CartTabBar() override;

    void addTab(QWidget* page, const QString& label) override;
    int count() const override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    void setTabLabel(int index, const QString& label) override;
    void setTabPlayingCount(int index, int playing) override;
    QWidget* page(int index) const override;
    void removeTab(int index) override;
    void moveTab(int from, int to) override;
    void setSelectionChanged(std::function<void(int)> changed) override;
    // A tab's close button asks `shouldClose` with the tab's index, then
    // tells `didClose` of the page it took away, which stays ours, hidden,
    // like after removeTab(). Without them the bar closes nothing.
    void setCloseHandlers(std::function<bool(int)> shouldClose,
                          std::function<void(QWidget*)> didClose);
    // A locked workspace's tabs show no close buttons and refuse a close.
    void setLocked(bool locked);

    TavTabBarControl* tabBar() const { return _bar; }
    KivTabView* tabView() const { return _tabView; }

    void tabViewDidSelectTabViewItem(KivTabView& tabView, KivTabViewItem* item) override;
    QString tabViewToolTipForTabViewItem(KivTabView& tabView, KivTabViewItem& item) override;
    // File drags spring a cart's tab open.
    QStringList allowedDraggedTypesForTabView(KivTabView& tabView) override;
    bool tabViewShouldCloseTabViewItem(KivTabView& tabView, KivTabViewItem& item) override;
    void tabViewDidCloseTabViewItem(KivTabView& tabView, KivTabViewItem& item) override;

    // Whom a tab drag asks and tells; it outlives the bar.
    void setDragController(CartTabBarDelegate* controller) { _controller = controller; }
    CartTabBarDelegate* dragController() const { return _controller; }
    bool tabViewShouldDragTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl&) override;
    bool implementsShouldDropTabViewItem() const override { return true; }
    bool tabViewShouldDropTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl* bar) override;
    void tabViewDidDropTabViewItem(KivTabView&, KivTabViewItem& item,
                                   TavTabBarControl& bar) override;
    bool implementsNewTabBarForDraggedTabViewItem() const override { return true; }
    TavTabBarControl* tabViewNewTabBarForDraggedTabViewItem(KivTabView&, KivTabViewItem&,
                                                            const QPointF& point) override;
    void tabViewCloseWindowForLastTabViewItem(KivTabView&) override;

private:
    TavTabBarControl* _bar;
    KivTabView* _tabView;
    std::function<void(int)> _changed;
    std::function<bool(int)> _shouldClose;
    std::function<void(QWidget*)> _didClose;
    bool _locked = false;
    // Set while removeTab() takes a tab away: that close is the caller's.
    bool _removing = false;
    CartTabBarDelegate* _controller = nullptr;
};
