#include "tabbar/TavTabBarActions.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"

#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>

void TavTabBarActions::tabClick(TavTabBarCell& cell) {
    if (_bar.tabView() && cell.representedObject()) {
        _bar.tabView()->selectTabViewItem(*cell.representedObject());
    }
}

void TavTabBarActions::closeTabClick(TavTabBarCell& cell) {
    if (_bar.cells().size() == 1 && !_bar.canCloseOnlyTab()) {
        return;
    }
    KivTabViewItem* item = cell.representedObject();
    KivTabView* tabView = _bar.tabView();
    if (!tabView || !item) {
        return;
    }
    TavTabBarControlDelegate* delegate = _bar.delegate();
    if (delegate && !delegate->tabViewShouldCloseTabViewItem(*tabView, *item)) {
        cell.setCloseButtonPressed(false);
        _bar.update();
        return;
    }
    std::unique_ptr<QWidget> view = tabView->removeTabViewItem(*item);
    // A view the delegate took back when told of the close stays with it.
    if (view && view->parentWidget()) {
        view.release();
    }
}

void TavTabBarActions::closeOtherTabs(TavTabBarCell& kept) {
    kept.setCloseButtonPressed(false);
    std::vector<KivTabViewItem*> others;
    for (const auto& cell : _bar.cells()) {
        if (cell.get() != &kept && cell->representedObject()) {
            others.push_back(cell->representedObject());
        }
    }
    // Each close deletes its cell, so each is found afresh.
    for (KivTabViewItem* item : others) {
        if (TavTabBarCell* cell = _bar.cellForItem(item)) {
            closeTabClick(*cell);
        }
    }
    _bar.update();
}

QMenu* TavTabBarActions::menuForPoint(const QPointF& point) const {
    TavTabBarCell* cell = _bar.cellForPoint(point);
    if (!_bar.delegate() || !_bar.tabView() || !cell || !cell->representedObject()) {
        return nullptr;
    }
    return _bar.delegate()->tabViewMenuForTabViewItem(*_bar.tabView(), *cell->representedObject());
}

void TavTabBarActions::overflowMenuAction(KivTabViewItem* item) {
    KivTabView* tabView = _bar.tabView();
    if (tabView && item && tabView->indexOfTabViewItem(item) >= 0) {
        tabView->selectTabViewItem(*item);
    }
}

void TavTabBarActions::validateOverflowMenu(QMenu& menu) {
    KivTabView* tabView = _bar.tabView();
    TavTabBarControlDelegate* delegate = _bar.delegate();
    const KivTabViewItem* selected = tabView ? tabView->selectedTabViewItem() : nullptr;
    for (QAction* action : menu.actions()) {
        auto* item = static_cast<KivTabViewItem*>(action->data().value<void*>());
        if (!item) {
            continue;
        }
        action->setChecked(item == selected);
        action->setEnabled(!delegate || !tabView ||
                           delegate->tabViewValidateOverflowMenuItem(*tabView, *action, *item));
    }
}

void TavTabBarActions::showToolTip(QHelpEvent& help) {
    TavTabBarCell* cell = _bar.cellForPoint(help.pos());
    QString tip;
    if (cell && cell->representedObject() && _bar.delegate() && _bar.tabView()) {
        tip = _bar.delegate()->tabViewToolTipForTabViewItem(*_bar.tabView(),
                                                            *cell->representedObject());
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        help.ignore();
    } else {
        QToolTip::showText(help.globalPos(), tip, &_bar, cell->frame().toRect());
    }
}
