#include "tabbar/TavTabBarItemSync.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarCells.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabBarController.h"

void TavTabBarItemSync::addItem(KivTabViewItem& item) {
    auto cell = std::make_unique<TavTabBarCell>(_bar);
    // A new tab grows in from the end of the row.
    QRectF frame = _bar.genericCellRect();
    if (!_cells.empty()) {
        const QRectF& last = _cells.back().frame();
        if (_bar.orientation() == TavTabBarControl::kVertical) {
            frame.moveTop(last.y() + last.height());
            frame.setHeight(0);
        } else {
            frame.moveLeft(last.x() + last.width());
            frame.setWidth(30.0);
        }
    } else {
        frame = QRectF();
    }
    cell->setRepresentedObject(&item);
    cell->setFrame(frame);
    cell->setCount(item.objectCount());
    cell->setCountColor(item.countColor());
    _cells.append(std::move(cell));
    // Setting the title relayouts once the cell is counted.
    _cells.back().setStringValue(item.label());
}

void TavTabBarItemSync::addMissingItems(KivTabView& tabView) {
    for (int i = 0; i < tabView.numberOfTabViewItems(); ++i) {
        KivTabViewItem* item = tabView.tabViewItemAtIndex(i);
        if (!_cells.cellForItem(item)) {
            addItem(*item);
        }
    }
}

void TavTabBarItemSync::itemSelected(KivTabView& tabView, KivTabViewItem* item) {
    // The cell is looked up by its item: while an item is being removed the
    // tab view's indexes are already shifted and the cells' are not.
    if (TavTabBarCell* cell = _cells.cellForItem(item)) {
        if (_bar.alwaysShowActiveTab() && cell->isInOverflowMenu()) {
            tabView.setDelegate(nullptr);
            tabView.moveTabViewItem(*item, 0);
            _cells.moveToFront(*cell);
            cell->setIsInOverflowMenu(false);
            _cells.back().setIsInOverflowMenu(true);
            tabView.setDelegate(&_bar);
            _bar.relayout();
        } else {
            _bar.controller().setSelectedCell(*cell);
            _bar.update();
        }
    }
    if (TavTabBarControlDelegate* delegate = _bar.delegate()) {
        delegate->tabViewDidSelectTabViewItem(tabView, item);
    }
}

void TavTabBarItemSync::numberOfItemsChanged(KivTabView& tabView) {
    std::vector<TavTabBarCell*> gone;
    for (const auto& cell : _cells.all()) {
        if (cell->representedObject() &&
            tabView.indexOfTabViewItem(cell->representedObject()) < 0) {
            gone.push_back(cell.get());
        }
    }
    for (TavTabBarCell* cell : gone) {
        if (TavTabBarControlDelegate* delegate = _bar.delegate()) {
            delegate->tabViewDidCloseTabViewItem(tabView, *cell->representedObject());
        }
        _bar.removeTabForCell(*cell);
    }
    addMissingItems(tabView);
    if (TavTabBarControlDelegate* delegate = _bar.delegate()) {
        delegate->tabViewDidChangeNumberOfTabViewItems(tabView);
    }
}

void TavTabBarItemSync::labelChanged(KivTabViewItem& item) {
    if (TavTabBarCell* cell = _cells.cellForItem(&item)) {
        cell->setStringValue(item.label());
    }
}

void TavTabBarItemSync::countChanged(KivTabViewItem& item) {
    if (TavTabBarCell* cell = _cells.cellForItem(&item)) {
        cell->setCount(item.objectCount());
        cell->setCountColor(item.countColor());
        // The capsule widens the tab.
        _bar.relayout();
        _bar.update();
    }
}
