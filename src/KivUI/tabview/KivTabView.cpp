#include "KivUI/tabview/KivTabView.h"

#include "KivUI/tabview/KivTabViewDelegate.h"
#include "KivUI/tabview/KivTabViewItem.h"

#include <QStackedLayout>

#include <algorithm>

KivTabView::KivTabView(QWidget* parent)
    : QWidget(parent)
    , _stack(new QStackedLayout(this)) {
    _stack->setContentsMargins(0, 0, 0, 0);
}

KivTabView::~KivTabView() {
    for (const auto& item : _items) {
        item->_tabView = nullptr;
    }
}

KivTabViewItem& KivTabView::addTabViewItem(std::unique_ptr<KivTabViewItem> item) {
    KivTabViewItem& added = *item;
    added._tabView = this;
    if (added.view()) {
        _stack->addWidget(added.view());
    }
    _items.push_back(std::move(item));
    if (!_selected) {
        show(&added);
    }
    if (_delegate) {
        _delegate->tabViewDidChangeNumberOfTabViewItems(*this);
    }
    return added;
}

std::unique_ptr<QWidget> KivTabView::removeTabViewItem(KivTabViewItem& item) {
    const int index = indexOfTabViewItem(&item);
    if (index < 0) {
        return nullptr;
    }
    std::unique_ptr<KivTabViewItem> removed = std::move(_items[static_cast<std::size_t>(index)]);
    _items.erase(_items.begin() + index);
    removed->_tabView = nullptr;
    std::unique_ptr<QWidget> view(removed->view());
    if (view) {
        _stack->removeWidget(view.get());
        view->setParent(nullptr);
    }
    if (_selected == removed.get()) {
        _selected = nullptr;
        const int count = numberOfTabViewItems();
        show(count == 0 ? nullptr : tabViewItemAtIndex(std::min(index, count - 1)));
    }
    if (_delegate) {
        _delegate->tabViewDidChangeNumberOfTabViewItems(*this);
    }
    return view;
}

void KivTabView::moveTabViewItem(KivTabViewItem& item, int index) {
    const int from = indexOfTabViewItem(&item);
    if (from < 0 || index < 0 || index >= numberOfTabViewItems() || index == from) {
        return;
    }
    auto moved = std::move(_items[static_cast<std::size_t>(from)]);
    _items.erase(_items.begin() + from);
    _items.insert(_items.begin() + index, std::move(moved));
}

KivTabViewItem* KivTabView::tabViewItemAtIndex(int index) const {
    return index >= 0 && index < numberOfTabViewItems()
               ? _items[static_cast<std::size_t>(index)].get()
               : nullptr;
}

int KivTabView::indexOfTabViewItem(const KivTabViewItem* item) const {
    const auto found = std::find_if(_items.begin(), _items.end(),
                                    [item](const auto& entry) { return entry.get() == item; });
    return found == _items.end() ? -1 : static_cast<int>(found - _items.begin());
}

void KivTabView::selectTabViewItem(KivTabViewItem& item) {
    if (&item == _selected || indexOfTabViewItem(&item) < 0) {
        return;
    }
    if (_delegate && !_delegate->tabViewShouldSelectTabViewItem(*this, item)) {
        return;
    }
    if (_delegate) {
        _delegate->tabViewWillSelectTabViewItem(*this, item);
    }
    show(&item);
}

void KivTabView::selectTabViewItemAtIndex(int index) {
    if (KivTabViewItem* item = tabViewItemAtIndex(index)) {
        selectTabViewItem(*item);
    }
}

void KivTabView::itemLabelDidChange(KivTabViewItem& item) {
    if (_delegate) {
        _delegate->tabViewItemLabelDidChange(*this, item);
    }
}

void KivTabView::itemCountDidChange(KivTabViewItem& item) {
    if (_delegate) {
        _delegate->tabViewItemCountDidChange(*this, item);
    }
}

void KivTabView::show(KivTabViewItem* item) {
    _selected = item;
    if (item && item->view()) {
        _stack->setCurrentWidget(item->view());
    }
    if (_delegate) {
        _delegate->tabViewDidSelectTabViewItem(*this, item);
    }
}
