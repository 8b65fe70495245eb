#include "tabbar/TavTabDragAssistant.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "tabbar/TavOverflowPopUpButton.h"
#include "tabbar/TavRolloverButton.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTearOffProxyWindow.h"

#include <QApplication>
#include <QTimer>

namespace {

// A bar under a drag shows only its tabs; its next relayout brings the
// buttons back as its layout decides.
void hideButtons(TavTabBarControl& bar) {
    bar.overflowPopUpButton()->hide();
    bar.addTabButton()->hide();
}

} // namespace

TavTabDragAssistant& TavTabDragAssistant::sharedDragAssistant() {
    static TavTabDragAssistant assistant;
    return assistant;
}

TavTabDragAssistant::TavTabDragAssistant() = default;

TavTabDragAssistant::~TavTabDragAssistant() = default;

void TavTabDragAssistant::registerTabBar(TavTabBarControl& bar) {
    _targets.registerTabBar(bar);
}

void TavTabDragAssistant::tabBarWindowActivated(TavTabBarControl& bar) {
    _targets.tabBarWindowActivated(bar);
}

void TavTabDragAssistant::removeTabBar(TavTabBarControl& bar) {
    if (_isDragging && _sourceTabBar == &bar) {
        // The bar that holds the mouse goes: no release will end the drag.
        NotificationCenter::defaultCenter().post(kDidEndNotification);
        finishDrag();
    }
    _targets.removeTabBar(bar);
    _animation.forgetTabBar(bar);
    if (_destinationTabBar == &bar) {
        _destinationTabBar = nullptr;
        _animation.clearTarget();
    }
}

void TavTabDragAssistant::startDraggingCell(TavTabBarCell& cell, TavTabBarControl& bar,
                                            const QPointF& mouseDown) {
    KivTabView* tabView = bar.tabView();
    const int index = bar.indexOfCell(&cell);
    if (_isDragging || !tabView || index < 0 || !cell.representedObject()) {
        return;
    }
    // The tab's image is taken while the bar still shows it.
    const QImage image = cell.dragImage();
    const QPointF imageOrigin =
        bar.mapToGlobal(bar.style().dragRectForTabCell(cell, bar.orientation()).topLeft());
    cell.setHighlighted(false);
    cell.setCloseButtonOver(false);
    _isDragging = true;
    _sourceTabBar = &bar;
    _destinationTabBar = &bar;
    _draggedCellIndex = index;
    _draggedTabIndex = tabView->indexOfTabViewItem(cell.representedObject());
    _currentMouseLoc = mouseDown;
    hideButtons(bar);
    QApplication::setOverrideCursor(Qt::ClosedHandCursor);
    _overridesCursor = true;
    _draggedCell = _animation.beginOnCell(bar, cell, _draggedCell.get());
    _pasteboardString = QString::number(_draggedCellIndex);
    _animationTimer = std::make_unique<QTimer>();
    QObject::connect(_animationTimer.get(), &QTimer::timeout, [this] { animateDrag(); });
    _animationTimer->start(static_cast<int>(kAnimationInterval * 1000.0));
    NotificationCenter::defaultCenter().post(kDidBeginNotification);
    TavTabBarControlDelegate* delegate = bar.delegate();
    KivTabViewItem* item = _draggedCell->representedObject();
    _currentTearOffStyle = bar.tearOffStyle();
    if (delegate && delegate->implementsShouldDropTabViewItem() &&
        delegate->tabViewShouldDropTabViewItem(*tabView, *item, nullptr)) {
        _windows.showTab(image, _currentTearOffStyle, imageOrigin, bar.mapToGlobal(mouseDown));
    }
}

void TavTabDragAssistant::mouseMovedTo(const QPointF& global) {
    if (!_isDragging) {
        return;
    }
    TavTabBarControl* bar = tabBarAtGlobalPoint(global);
    if (bar && !acceptsDragInTabBar(*bar)) {
        bar = nullptr;
    }
    if (_destinationTabBar && _destinationTabBar != bar) {
        draggingExitedTabBar(*_destinationTabBar);
    }
    if (bar) {
        const QPointF point = bar->mapFromGlobal(global);
        if (_destinationTabBar == bar) {
            draggingUpdatedInTabBar(*bar, point);
        } else {
            draggingEnteredTabBar(*bar, point);
        }
    }
    _windows.moveTo(global);
}

void TavTabDragAssistant::mouseReleasedAt(const QPointF& global) {
    if (!_isDragging) {
        return;
    }
    mouseMovedTo(global);
    if (_destinationTabBar) {
        performDragOperation();
    } else {
        draggedImageEndedAt(global);
    }
}

bool TavTabDragAssistant::acceptsDragInTabBar(TavTabBarControl& bar) const {
    if (!_isDragging || !_sourceTabBar || !_draggedCell) {
        return false;
    }
    TavTabBarControlDelegate* delegate = bar.delegate();
    KivTabView* source = _sourceTabBar->tabView();
    KivTabViewItem* item = _draggedCell->representedObject();
    if (!delegate || !delegate->implementsShouldDropTabViewItem()) {
        // Without the operation a bar only takes its own tab back.
        return &bar == _sourceTabBar;
    }
    return source && item && delegate->tabViewShouldDropTabViewItem(*source, *item, &bar);
}

void TavTabDragAssistant::draggingEnteredTabBar(TavTabBarControl& bar, const QPointF& point) {
    _windows.enteredTabBar(!_destinationTabBar);
    _destinationTabBar = &bar;
    _currentMouseLoc = point;
    hideButtons(bar);
    _animation.enterTabBar(bar, _draggedCell.get());
}

void TavTabDragAssistant::draggingUpdatedInTabBar(TavTabBarControl& bar, const QPointF& point) {
    if (_destinationTabBar != &bar) {
        _destinationTabBar = &bar;
    }
    _currentMouseLoc = point;
}

void TavTabDragAssistant::draggingExitedTabBar(TavTabBarControl& bar) {
    TavTabBarControlDelegate* delegate = bar.delegate();
    KivTabView* tabView = bar.tabView();
    if (delegate && tabView && _draggedCell && _draggedCell->representedObject() &&
        !delegate->tabViewShouldAllowTabViewItemToLeaveTabBar(
            *tabView, *_draggedCell->representedObject(), bar)) {
        return;
    }
    _destinationTabBar = nullptr;
    _currentMouseLoc = QPointF(-1, -1);
    const bool alone = takesWindowAlong(bar);
    if (_windows.leftTabBar(bar, _draggedCell.get(), alone) && alone) {
        // The window itself goes, and the tab (and its content) stays as it is.
        _transparentSourceWindow = bar.window();
        _transparentSourceWindow->setWindowOpacity(0.0);
    }
}

bool TavTabDragAssistant::takesWindowAlong(TavTabBarControl& bar) const {
    KivTabView* sourceView = _sourceTabBar ? _sourceTabBar->tabView() : nullptr;
    TavTabBarControlDelegate* sourceDelegate = _sourceTabBar ? _sourceTabBar->delegate() : nullptr;
    return &bar == _sourceTabBar && sourceView && sourceView->numberOfTabViewItems() == 1 &&
           sourceDelegate && sourceDelegate->implementsNewTabBarForDraggedTabViewItem();
}

void TavTabDragAssistant::performDragOperation() {
    TavTabBarControl* destination = _destinationTabBar;
    TavTabBarControl* source = _sourceTabBar;
    if (!_isDragging || !destination || !source || !_draggedCell) {
        return;
    }
    KivTabViewItem* item = _draggedCell->representedObject();
    KivTabView* sourceView = source->tabView();
    KivTabView* destinationView = destination->tabView();
    const auto& cells = destination->cells();
    int k = destination->indexOfCell(_animation.targetCell());
    // A drop must never take a real tab's place: without a live target it
    // goes to the closing placeholder, before any overflow tabs.
    if (k < 0 || !cells[static_cast<size_t>(k)]->isPlaceholder()) {
        k = -1;
        for (int i = static_cast<int>(cells.size()) - 1; i >= 0; --i) {
            const auto& cell = cells[static_cast<size_t>(i)];
            if (cell->isPlaceholder()) {
                k = i;
                break;
            }
        }
    }
    int m = 0;
    for (int i = 0; i < k; ++i) {
        if (!cells[static_cast<size_t>(i)]->isPlaceholder()) {
            ++m;
        }
    }
    if (destination == source) {
        destination->insertCell(k < 0 ? static_cast<int>(cells.size()) : k,
                                std::move(_draggedCell));
        if (k >= 0) {
            destination->takeCell(*cells[static_cast<size_t>(k) + 1]);
        }
        TavTabDragAnimation::removeAllPlaceholdersFromTabBar(*destination);
        if (sourceView && item && sourceView->indexOfTabViewItem(item) != m) {
            KivTabViewDelegate* delegate = sourceView->delegate();
            sourceView->setDelegate(nullptr);
            sourceView->moveTabViewItem(*item, m);
            sourceView->setDelegate(delegate);
            destination->relayout(false);
            if (TavTabBarControlDelegate* barDelegate = source->delegate()) {
                barDelegate->tabViewDidDropTabViewItem(*sourceView, *item, *destination);
            }
        }
    } else if (sourceView && destinationView && item) {
        TavTabDragAnimation::removeAllPlaceholdersFromTabBar(*destination);
        TavTabDragAnimation::removeAllPlaceholdersFromTabBar(*source);
        // The delegate moves the page; the bars follow their tab views. A tab
        // that stays in the source gets its cell back when the drag ends.
        if (TavTabBarControlDelegate* barDelegate = source->delegate()) {
            _dropIndex = m;
            barDelegate->tabViewDidDropTabViewItem(*sourceView, *item, *destination);
            _dropIndex = -1;
        }
        if (sourceView->indexOfTabViewItem(item) < 0) {
            _draggedCell.reset();
        }
    }
    NotificationCenter::defaultCenter().post(kDidEndNotification);
    finishDrag();
}

void TavTabDragAssistant::returnCellToSource() {
    if (!_sourceTabBar || !_draggedCell) {
        return;
    }
    TavTabDragAnimation::removeAllPlaceholdersFromTabBar(*_sourceTabBar);
    _sourceTabBar->insertCell(_draggedTabIndex, std::move(_draggedCell));
    _sourceTabBar->relayout(false);
}

void TavTabDragAssistant::draggedImageEndedAt(const QPointF& global) {
    if (!_isDragging) {
        return;
    }
    TavTabBarControl* source = _sourceTabBar;
    TavTabBarControlDelegate* delegate = source ? source->delegate() : nullptr;
    KivTabView* sourceView = source ? source->tabView() : nullptr;
    KivTabViewItem* item = _draggedCell ? _draggedCell->representedObject() : nullptr;
    if (delegate && sourceView && item && !_destinationTabBar &&
        delegate->implementsShouldDropTabViewItem() &&
        delegate->tabViewShouldDropTabViewItem(*sourceView, *item, nullptr) &&
        delegate->implementsNewTabBarForDraggedTabViewItem()) {
        returnCellToSource();
        TavTabBarControl* bar =
            delegate->tabViewNewTabBarForDraggedTabViewItem(*sourceView, *item, global);
        if (!bar) {
            logLine("Delegate returned no control to add to.");
        } else {
            delegate->tabViewDidDropTabViewItem(*sourceView, *item, *bar);
            if (QWidget* window = bar->window(); window && _currentTearOffStyle != 0) {
                TavTearOffProxyWindow::expandWindow(*window, global);
            } else if (window) {
                window->show();
                window->raise();
                window->activateWindow();
            }
        }
    } else {
        returnCellToSource();
    }
    NotificationCenter::defaultCenter().post(kDidEndNotification);
    finishDrag();
}

void TavTabDragAssistant::finishDrag() {
    TavTabBarControl* source = _sourceTabBar;
    KivTabView* sourceView = source ? source->tabView() : nullptr;
    if (source && _draggedCell) {
        returnCellToSource();
    }
    _isDragging = false;
    if (source) {
        TavTabDragAnimation::removeAllPlaceholdersFromTabBar(*source);
    }
    _sourceTabBar = nullptr;
    _destinationTabBar = nullptr;
    _animation.end();
    _draggedCell.reset();
    _animationTimer.reset();
    _windows.close();
    _pasteboardString.clear();
    if (_overridesCursor) {
        _overridesCursor = false;
        QApplication::restoreOverrideCursor();
    }
    if (source && sourceView && sourceView->numberOfTabViewItems() == 0 && source->delegate()) {
        source->delegate()->tabViewCloseWindowForLastTabViewItem(*sourceView);
    }
    // After the close, so a window that goes never shows again.
    if (_transparentSourceWindow) {
        _transparentSourceWindow->setWindowOpacity(1.0);
        _transparentSourceWindow = nullptr;
    }
}
