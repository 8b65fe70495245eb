#include "window/CartTabBar.h"

#include "KivUI/KivTabView.h"
#include "KivUI/KivTabViewItem.h"
#include "tabbar/TavTabBarControl.h"

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
}

CartTabBar::~CartTabBar() {
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
