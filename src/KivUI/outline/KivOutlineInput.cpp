#include "KivUI/outline/KivOutlineInput.h"

#include "KivUI/outline/KivOutlineDragAndDrop.h"
#include "KivUI/outline/KivOutlineSelection.h"
#include "KivUI/outline/KivOutlineTree.h"
#include "KivUI/outline/KivOutlineView.h"
#include "foundation/KivGeometry.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

constexpr qreal kDragDistance = 15.0;
constexpr double kReselectDelay = 0.45;

// A control that tracks the mouse itself; labels and pictures are not.
bool isControl(const QWidget* widget) {
    return widget->isEnabled() && (qobject_cast<const QAbstractButton*>(widget) ||
                                   qobject_cast<const QAbstractSlider*>(widget) ||
                                   qobject_cast<const QComboBox*>(widget) ||
                                   qobject_cast<const QAbstractSpinBox*>(widget) ||
                                   qobject_cast<const QLineEdit*>(widget));
}

void forwardMouse(QWidget* target, const QWidget* from, QMouseEvent* event) {
    const QPointF local = target->mapFrom(from, event->position());
    QMouseEvent forwarded(event->type(), local, event->globalPosition(), event->button(),
                          event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(target, &forwarded);
}

} // namespace

KivOutlineInput::KivOutlineInput(KivOutlineView& view, KivOutlineTree& tree,
                                 const KivOutlineSelection& selection, KivOutlineDragAndDrop& drag)
    : _view(view)
    , _tree(tree)
    , _selection(selection)
    , _drag(drag) {}

bool KivOutlineInput::keyPress(QKeyEvent* event) {
    if (_tree.numberOfRows() == 0) {
        return true;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    KivOutlineViewProtocol* source = _view.dataSource();
    switch (event->key()) {
    case Qt::Key_Up:
        _view.selectPrevious(shift);
        return true;
    case Qt::Key_Down:
        _view.selectNext(shift);
        return true;
    case Qt::Key_Left:
        if (const Entry entry = _selection.last()) {
            if (entry->expanded()) {
                _tree.collapseEntry(entry, false);
                _view.rowsChanged();
            } else if (source && !source->isItemExpandable(_view, entry->item()) &&
                       entry->parent()) {
                _view.selectItem(entry->parent()->item());
            }
        }
        return true;
    case Qt::Key_Right:
        if (const Entry entry = _selection.last();
            entry && source && source->isItemExpandable(_view, entry->item())) {
            entry->setExpanded(true);
            source->itemDidExpand(_view, entry->item());
            _view.rowsChanged();
        }
        return true;
    case Qt::Key_Less:
    case Qt::Key_Greater:
        for (const Entry& entry : _tree.roots()) {
            if (event->key() == Qt::Key_Less) {
                _tree.collapseEntry(entry, true);
            } else {
                _tree.expandEntry(entry, true);
            }
        }
        _view.rowsChanged();
        return true;
    default:
        return false;
    }
}

void KivOutlineInput::mouseDown(QMouseEvent* event, bool doubleClick) {
    _pressedAt = event->position();
    _pressWasDoubleClick = doubleClick;
    _pressedEntry = _tree.entryForIndex(_view.rowAtPoint(event->position()));
    if (!_pressedEntry) {
        _view.selectEntries({}, false, false);
        return;
    }
    KivOutlineRowView* live = _view.makeLiveRowView(_pressedEntry, true);
    if (!live) {
        // The click ends here: its mouse-up must not select either.
        _pressedEntry.reset();
        return;
    }
    QWidget* hit = _view.childAt(event->position().toPoint());
    if (hit && hit != live && live->isAncestorOf(hit) && isControl(hit)) {
        auto* field = qobject_cast<QLineEdit*>(hit);
        if (!field) {
            // The control follows the mouse until the button comes up.
            _trackingControl = hit;
            _trackingRow = live;
            forwardMouse(hit, &_view, event);
            return;
        }
        if (doubleClick && !field->isReadOnly()) {
            _shouldSelectJustLastClicked = false;
            field->setFocus(Qt::MouseFocusReason);
            field->selectAll();
            // The row stays live while the field holds the focus.
            live->setLockedActive(false);
            _view.cleanUpLiveRowViews();
            return;
        }
    }
    selectionClick(event, doubleClick);
    live->setLockedActive(false);
    _view.cleanUpLiveRowViews();
    _view.update();
}

void KivOutlineInput::selectionClick(QMouseEvent* event, bool doubleClick) {
    if (doubleClick && _view.action()) {
        _view.action()(_view);
    }
    const Entry entry = _pressedEntry;
    if (!entry) {
        return;
    }
    const bool command = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (entry->selected()) {
        if (command) {
            const Entry before = _selection.last();
            _view.deselectEntry(entry);
            _pressedEntry.reset();
            if (_selection.last() != before) {
                _view.postSelectionDidChange();
            }
        } else if (shift) {
            _view.selectEntries({entry}, true, true);
            _pressedEntry.reset();
        }
    } else if (command || shift) {
        _view.selectEntries({entry}, true, shift && !command);
        _pressedEntry.reset();
    }
}

void KivOutlineInput::mouseMove(QMouseEvent* event) {
    if (_trackingControl) {
        forwardMouse(_trackingControl, &_view, event);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton) || !_view.outlineEnabled()) {
        return;
    }
    _shouldSelectJustLastClicked = false;
    if (_drag.draggingInternally()) {
        return;
    }
    const QPointF moved = event->position() - _pressedAt;
    if (DistanceBetweenPoints(KivPoint{0, 0}, KivPoint{static_cast<float>(moved.x()),
                                                       static_cast<float>(moved.y())}) <
        kDragDistance) {
        return;
    }
    _drag.startDrag(event->position(), _pressedAt, _pressedEntry);
}

bool KivOutlineInput::mouseUp(QMouseEvent* event) {
    if (_trackingControl || _trackingRow) {
        if (_trackingControl) {
            forwardMouse(_trackingControl, &_view, event);
        }
        if (_trackingRow) {
            _trackingRow->setLockedActive(false);
        }
        _trackingControl = nullptr;
        _trackingRow = nullptr;
        _pressedEntry.reset();
        _view.cleanUpLiveRowViews();
        _view.update();
        return true;
    }
    if (event->button() != Qt::LeftButton) {
        return false;
    }
    const Entry entry = std::exchange(_pressedEntry, nullptr);
    if (!entry) {
        return true;
    }
    if (!entry->selected()) {
        _view.selectEntries({entry}, false, false);
    } else if (!_pressWasDoubleClick) {
        _shouldSelectJustLastClicked = true;
        QPointer<KivOutlineView> view(&_view);
        // The view owns this, so it lives as long as the view does.
        _view.afterDelay(kReselectDelay, [this, view, entry] {
            if (view && _shouldSelectJustLastClicked) {
                _shouldSelectJustLastClicked = false;
                _view.selectEntries({entry}, false, false);
            }
        });
    }
    return true;
}
