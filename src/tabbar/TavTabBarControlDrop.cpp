// The bar as a drop target for drags other than tabs: a drag of a type the
// delegate allows springs the tab under it open after a rest, and a drop is
// handed to the delegate.
#include "KivUI/tabview/KivTabView.h"
#include "foundation/MainRunLoop.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

bool TavTabBarControl::acceptsDrag(const QMimeData& mime) const {
    if (!_delegate || !_tabView) {
        return false;
    }
    const QStringList types = _delegate->allowedDraggedTypesForTabView(*_tabView);
    for (const QString& format : mime.formats()) {
        if (types.contains(format)) {
            return true;
        }
    }
    return false;
}

void TavTabBarControl::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData() || !acceptsDrag(*event->mimeData())) {
        event->ignore();
        return;
    }
    // Entered, the bar keeps hearing of the drag even off the tabs.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    springOver(event->position());
}

void TavTabBarControl::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData() || !acceptsDrag(*event->mimeData())) {
        event->ignore();
        return;
    }
    if (springOver(event->position())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TavTabBarControl::dragLeaveEvent(QDragLeaveEvent* event) {
    cancelSpring();
    QWidget::dragLeaveEvent(event);
}

void TavTabBarControl::dropEvent(QDropEvent* event) {
    cancelSpring();
    if (!event->mimeData() || !acceptsDrag(*event->mimeData())) {
        event->ignore();
        return;
    }
    TavTabBarCell* cell = cellForPoint(event->position());
    _delegate->tabViewAcceptedDraggingInfoOnTabViewItem(*_tabView, *event->mimeData(),
                                                        cell ? cell->representedObject() : nullptr);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool TavTabBarControl::springOver(const QPointF& point) {
    _springPoint = point;
    TavTabBarCell* cell = cellForPoint(point);
    if (!cell) {
        return false;
    }
    // Another tab starts the wait again.
    if (cell->representedObject() != _tabViewItemWithSpring) {
        if (_springTimer) {
            MainRunLoop::scheduler().cancel(*_springTimer);
            _springTimer.reset();
        }
        _tabViewItemWithSpring = cell->representedObject();
    }
    if (!_springTimer) {
        _springTimer =
            MainRunLoop::scheduler().scheduleOnce(_springDelay, [this] { fireSpring(); });
    }
    return true;
}

void TavTabBarControl::fireSpring() {
    _springTimer.reset();
    _tabViewItemWithSpring = nullptr;
    TavTabBarCell* cell = cellForPoint(_springPoint);
    if (_tabView && cell && cell->representedObject()) {
        _tabView->selectTabViewItem(*cell->representedObject());
    }
}

void TavTabBarControl::cancelSpring() {
    if (_springTimer) {
        MainRunLoop::scheduler().cancel(*_springTimer);
        _springTimer.reset();
    }
    _tabViewItemWithSpring = nullptr;
}
