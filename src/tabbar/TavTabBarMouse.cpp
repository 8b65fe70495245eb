#include "tabbar/TavTabBarMouse.h"

#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabDragAssistant.h"

#include <QMouseEvent>

#include <cmath>

void TavTabBarMouse::forgetCell(const TavTabBarCell& cell) {
    if (_mouseDownCell == &cell) {
        _mouseDownCell = nullptr;
    }
}

void TavTabBarMouse::pressed(const QMouseEvent& event) {
    const QPointF point = event.position();
    _closeClicked = false;
    _didDrag = false;
    _mouseDownPoint = point;
    _mouseDownCell = _bar.cellForPoint(point);
    TavTabBarCell* cell = _mouseDownCell;
    if (!cell) {
        return;
    }
    const bool mayClose = _bar.allowsBackgroundTabClosing() || cell->state() != 0 ||
                          (event.modifiers() & Qt::ControlModifier) != 0;
    if (cell->closeButtonRectForFrame(cell->frame()).contains(point) && !_bar.disableTabClose() &&
        !cell->isCloseButtonSuppressed() && mayClose) {
        cell->setCloseButtonOver(false);
        cell->setCloseButtonPressed(true);
        _closeClicked = true;
    } else {
        cell->setCloseButtonPressed(false);
        if (_bar.selectsTabsOnMouseDown()) {
            _bar.tabClick(*cell);
        }
    }
    _bar.update();
}

void TavTabBarMouse::moved(const QMouseEvent& event) {
    const QPointF point = event.position();
    if (_didDrag) {
        TavTabDragAssistant::sharedDragAssistant().mouseMovedTo(event.globalPosition());
        return;
    }
    if ((event.buttons() & Qt::LeftButton) != 0 && startDragIfMoved(point)) {
        return;
    }
    for (const auto& cell : _bar.cells()) {
        if (!cell->isInOverflowMenu()) {
            cell->trackMouse(point);
        }
    }
    // A pressed close button is down exactly while the mouse is on it.
    if (_closeClicked && _mouseDownCell) {
        _mouseDownCell->setCloseButtonPressed(
            _mouseDownCell->closeButtonRectForFrame(_mouseDownCell->frame()).contains(point));
    }
    _bar.update();
}

bool TavTabBarMouse::startDragIfMoved(const QPointF& point) {
    TavTabBarCell* cell = _mouseDownCell;
    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    TavTabBarControlDelegate* delegate = _bar.delegate();
    const QPointF moved = point - _mouseDownPoint;
    if (!cell || _closeClicked || !cell->representedObject() || !delegate || !_bar.tabView() ||
        assistant.isDragging() ||
        std::hypot(moved.x(), moved.y()) < TavTabBarControl::kDragThreshold ||
        !delegate->tabViewShouldDragTabViewItem(*_bar.tabView(), *cell->representedObject(),
                                                _bar)) {
        return false;
    }
    cell->trackMouse(std::nullopt);
    assistant.startDraggingCell(*cell, _bar, _mouseDownPoint);
    _didDrag = assistant.isDragging();
    // The press's implicit grab brings every move and the release here.
    assistant.mouseMovedTo(_bar.mapToGlobal(point));
    return _didDrag;
}

void TavTabBarMouse::released(const QMouseEvent& event) {
    if (_didDrag) {
        // The drop, not a click: the bar may close with its window on it.
        _didDrag = false;
        _mouseDownCell = nullptr;
        _closeClicked = false;
        TavTabDragAssistant::sharedDragAssistant().mouseReleasedAt(event.globalPosition());
        return;
    }
    const QPointF point = event.position();
    TavTabBarCell* up = _bar.cellForPoint(point);
    TavTabBarCell* down = _mouseDownCell;
    _mouseDownCell = nullptr;
    if (up && down) {
        const bool inDownClose = down->closeButtonRectForFrame(down->frame()).contains(point);
        if (inDownClose && !_bar.disableTabClose() && !up->isCloseButtonSuppressed() &&
            down->closeButtonPressed()) {
            _closeClicked = false;
            if ((event.modifiers() & Qt::AltModifier) != 0) {
                _bar.closeOtherTabs(*up);
                return;
            }
            // Closing may delete the cell.
            _bar.closeTabClick(*up);
            return;
        }
        down->setCloseButtonPressed(false);
        if (down->frame().contains(point) &&
            !(inDownClose && _bar.allowsBackgroundTabClosing() && !_bar.disableTabClose()) &&
            !_bar.selectsTabsOnMouseDown()) {
            _bar.tabClick(*up);
        }
    }
    _closeClicked = false;
    _bar.update();
}
