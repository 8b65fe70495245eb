#include "window/tabs/CartTabBar.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"

#include <QVBoxLayout>

CartTabBar::CartTabBar(QWidget* parent)
    : QWidget(parent)
    , _bar(new TavTabBarControl(this))
    , _tabView(new KivTabView(this)) {
    _tabView->setObjectName(QStringLiteral("tabView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(_bar);
    layout->addWidget(_tabView, 1);
    _bar->setTabView(_tabView);
    _bar->setDelegate(this);
    _bar->setHideForSingleTab(true);
    _bar->setCellMinWidth(100);
    _bar->setCellOptimumWidth(150);
    _bar->setCellMaxWidth(200);
    _bar->setTearOffStyle(1);
    // Until handlers are set, carts are not closed from their tabs.
    _bar->setDisableTabClose(true);
    TavTabDragAssistant::sharedDragAssistant().registerTabBar(*_bar);
}

CartTabBar::~CartTabBar() {
    TavTabDragAssistant::sharedDragAssistant().removeTabBar(*_bar);
    _bar->setDelegate(nullptr);
}

void CartTabBar::addTab(QWidget* page, const QString& label) {
    _tabView->addTabViewItem(std::make_unique<KivTabViewItem>(QVariant(), label, page));
}

int CartTabBar::count() const {
    return _tabView->numberOfTabViewItems();
}

int CartTabBar::currentIndex() const {
    return _tabView->indexOfTabViewItem(_tabView->selectedTabViewItem());
}

void CartTabBar::setCurrentIndex(int index) {
    _tabView->selectTabViewItemAtIndex(index);
}

void CartTabBar::setTabLabel(int index, const QString& label) {
    if (KivTabViewItem* item = _tabView->tabViewItemAtIndex(index)) {
        item->setLabel(label);
    }
}

void CartTabBar::setTabPlayingCount(int index, int playing) {
    if (KivTabViewItem* item = _tabView->tabViewItemAtIndex(index)) {
        item->setObjectCount(playing, KivColors::playing());
    }
}

QWidget* CartTabBar::page(int index) const {
    KivTabViewItem* item = _tabView->tabViewItemAtIndex(index);
    return item ? item->view() : nullptr;
}

void CartTabBar::removeTab(int index) {
    KivTabViewItem* item = _tabView->tabViewItemAtIndex(index);
    if (!item) {
        return;
    }
    // The page stays ours, hidden, so that undo can show it again.
    _removing = true;
    std::unique_ptr<QWidget> removed = _tabView->removeTabViewItem(*item);
    _removing = false;
    removed->hide();
    removed.release()->setParent(this);
}

void CartTabBar::moveTab(int from, int to) {
    if (KivTabViewItem* item = _tabView->tabViewItemAtIndex(from)) {
        _tabView->moveTabViewItem(*item, to);
    }
}

void CartTabBar::setSelectionChanged(std::function<void(int)> changed) {
    _changed = std::move(changed);
}

void CartTabBar::setCloseHandlers(std::function<bool(int)> shouldClose,
                                  std::function<void(QWidget*)> didClose) {
    _shouldClose = std::move(shouldClose);
    _didClose = std::move(didClose);
    _bar->setDisableTabClose(_locked || !_shouldClose);
}

void CartTabBar::setLocked(bool locked) {
    _locked = locked;
    _bar->setDisableTabClose(_locked || !_shouldClose);
}

void CartTabBar::tabViewDidSelectTabViewItem(KivTabView& tabView, KivTabViewItem* item) {
    if (_changed) {
        _changed(tabView.indexOfTabViewItem(item));
    }
}

QString CartTabBar::tabViewToolTipForTabViewItem(KivTabView&, KivTabViewItem& item) {
    return item.label();
}

QStringList CartTabBar::allowedDraggedTypesForTabView(KivTabView&) {
    return {QStringLiteral("text/uri-list")};
}

bool CartTabBar::tabViewShouldCloseTabViewItem(KivTabView& tabView, KivTabViewItem& item) {
    return !_locked && _shouldClose && _shouldClose(tabView.indexOfTabViewItem(&item));
}

void CartTabBar::tabViewDidCloseTabViewItem(KivTabView&, KivTabViewItem& item) {
    QWidget* page = item.view();
    if (_removing || !page) {
        return;
    }
    // Taking the page back keeps it from the bar, which would delete it.
    page->hide();
    page->setParent(this);
    if (_didClose) {
        _didClose(page);
    }
}

namespace {

// Whom a bar's drags go to, if it is a cart tab bar with one.
CartTabBarDelegate* controllerOfBar(const TavTabBarControl* bar) {
    const auto* tabs = bar ? dynamic_cast<const CartTabBar*>(bar->parentWidget()) : nullptr;
    return tabs ? tabs->dragController() : nullptr;
}

} // namespace

bool CartTabBar::tabViewShouldDragTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl&) {
    return _controller && _controller->cartTabBarShouldDragTab();
}

bool CartTabBar::tabViewShouldDropTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl* bar) {
    if (!_controller) {
        return false;
    }
    if (!bar) {
        return _controller->cartTabBarShouldDropTab(nullptr);
    }
    const CartTabBarDelegate* destination = controllerOfBar(bar);
    return destination && _controller->cartTabBarShouldDropTab(destination);
}

void CartTabBar::tabViewDidDropTabViewItem(KivTabView&, KivTabViewItem& item,
                                           TavTabBarControl& bar) {
    // The page stays in this window's stack: the destination gets a copy, in
    // the gap the drag opened there.
    if (CartTabBarDelegate* destination = controllerOfBar(&bar); destination && _controller) {
        _controller->cartTabBarDidDropTab(item.view(), *destination,
                                          TavTabDragAssistant::sharedDragAssistant().dropIndex());
    }
}

TavTabBarControl* CartTabBar::tabViewNewTabBarForDraggedTabViewItem(KivTabView&, KivTabViewItem&,
                                                                    const QPointF&) {
    CartTabBar* tabs = _controller ? _controller->cartTabBarForTornOffTab() : nullptr;
    return tabs ? tabs->tabBar() : nullptr;
}

void CartTabBar::tabViewCloseWindowForLastTabViewItem(KivTabView&) {
    if (_controller) {
        _controller->cartTabBarDidLoseLastTab();
    }
}
