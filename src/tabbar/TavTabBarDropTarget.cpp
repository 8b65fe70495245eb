#include "tabbar/TavTabBarDropTarget.h"

#include "KivUI/tabview/KivTabView.h"
#include "foundation/MainRunLoop.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

TavTabBarDropTarget::TavTabBarDropTarget(TavTabBarControl& bar)
    : _bar(bar)
    , _springDelay(TavTabBarControl::kDefaultSpringDelay) {}

TavTabBarDropTarget::~TavTabBarDropTarget() {
    cancelSpring();
}

bool TavTabBarDropTarget::acceptsDrag(const QMimeData& mime) const {
    TavTabBarControlDelegate* delegate = _bar.delegate();
    if (!delegate || !_bar.tabView()) {
        return false;
    }
    const QStringList types = delegate->allowedDraggedTypesForTabView(*_bar.tabView());
    for (const QString& format : mime.formats()) {
        if (types.contains(format)) {
            return true;
        }
    }
    return false;
}

void TavTabBarDropTarget::dragEntered(QDragEnterEvent& event) {
    if (!event.mimeData() || !acceptsDrag(*event.mimeData())) {
        event.ignore();
        return;
    }
    // Entered, the bar keeps hearing of the drag even off the tabs.
    event.setDropAction(Qt::CopyAction);
    event.accept();
    springOver(event.position());
}

void TavTabBarDropTarget::dragMoved(QDragMoveEvent& event) {
    if (!event.mimeData() || !acceptsDrag(*event.mimeData())) {
        event.ignore();
        return;
    }
    if (springOver(event.position())) {
        event.setDropAction(Qt::CopyAction);
        event.accept();
    } else {
        event.ignore();
    }
}

void TavTabBarDropTarget::dragLeft() {
    cancelSpring();
}

void TavTabBarDropTarget::dropped(QDropEvent& event) {
    cancelSpring();
    if (!event.mimeData() || !acceptsDrag(*event.mimeData())) {
        event.ignore();
        return;
    }
    TavTabBarCell* cell = _bar.cellForPoint(event.position());
    _bar.delegate()->tabViewAcceptedDraggingInfoOnTabViewItem(
        *_bar.tabView(), *event.mimeData(), cell ? cell->representedObject() : nullptr);
    event.setDropAction(Qt::CopyAction);
    event.accept();
}

bool TavTabBarDropTarget::springOver(const QPointF& point) {
    _springPoint = point;
    TavTabBarCell* cell = _bar.cellForPoint(point);
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

void TavTabBarDropTarget::fireSpring() {
    _springTimer.reset();
    _tabViewItemWithSpring = nullptr;
    TavTabBarCell* cell = _bar.cellForPoint(_springPoint);
    if (_bar.tabView() && cell && cell->representedObject()) {
        _bar.tabView()->selectTabViewItem(*cell->representedObject());
    }
}

void TavTabBarDropTarget::cancelSpring() {
    if (_springTimer) {
        MainRunLoop::scheduler().cancel(*_springTimer);
        _springTimer.reset();
    }
    _tabViewItemWithSpring = nullptr;
}
