#include "KivUI/outline/KivOutlineRowHighlightView.h"
#include "KivUI/outline/KivOutlineView.h"
#include "foundation/KivGeometry.h"
#include "foundation/KivLog.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>

namespace {

constexpr qreal kDragDistance = 15.0;
constexpr double kReselectDelay = 0.45;
constexpr double kHoverExpandDelay = 0.35;
constexpr double kDragEndDelay = 0.1;

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

void KivOutlineView::keyPressEvent(QKeyEvent* event) {
    if (numberOfRows() == 0) {
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        selectPrevious(shift);
        return;
    case Qt::Key_Down:
        selectNext(shift);
        return;
    case Qt::Key_Left:
        if (const Entry entry = _lastSelectedEntry) {
            if (entry->expanded()) {
                collapseEntry(entry, false);
                buildRowModel();
                update();
            } else if (_dataSource && !_dataSource->isItemExpandable(*this, entry->item()) &&
                       entry->parent()) {
                selectItem(entry->parent()->item());
            }
        }
        return;
    case Qt::Key_Right:
        if (const Entry entry = _lastSelectedEntry;
            entry && _dataSource && _dataSource->isItemExpandable(*this, entry->item())) {
            entry->setExpanded(true);
            _dataSource->itemDidExpand(*this, entry->item());
            buildRowModel();
            update();
        }
        return;
    case Qt::Key_Less:
    case Qt::Key_Greater:
        for (const Entry& entry : _dataModel) {
            if (event->key() == Qt::Key_Less) {
                collapseEntry(entry, true);
            } else {
                expandEntry(entry, true);
            }
        }
        buildRowModel();
        update();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void KivOutlineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    handleMouseDown(event, false);
}

void KivOutlineView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    handleMouseDown(event, true);
}

void KivOutlineView::handleMouseDown(QMouseEvent* event, bool doubleClick) {
    _initialMouseDownLocation = event->position();
    _mouseDownWasDoubleClick = doubleClick;
    _initialMouseDownEntry = entryForIndex(rowAtPoint(event->position()));
    if (!_initialMouseDownEntry) {
        selectEntries({}, false, false);
        return;
    }
    KivOutlineRowView* live = makeLiveRowView(_initialMouseDownEntry, true);
    if (!live) {
        // The click ends here: its mouse-up must not select either.
        _initialMouseDownEntry.reset();
        return;
    }
    QWidget* hit = childAt(event->position().toPoint());
    if (hit && hit != live && live->isAncestorOf(hit) && isControl(hit)) {
        auto* field = qobject_cast<QLineEdit*>(hit);
        if (!field) {
            // The control follows the mouse until the button comes up.
            _trackingControl = hit;
            _trackingRow = live;
            forwardMouse(hit, this, event);
            return;
        }
        if (doubleClick && !field->isReadOnly()) {
            _shouldSelectJustLastClicked = false;
            field->setFocus(Qt::MouseFocusReason);
            field->selectAll();
            // The row stays live while the field holds the focus.
            live->setLockedActive(false);
            cleanUpLiveRowViews();
            return;
        }
    }
    selectionClick(event, doubleClick);
    live->setLockedActive(false);
    cleanUpLiveRowViews();
    update();
}

void KivOutlineView::selectionClick(QMouseEvent* event, bool doubleClick) {
    if (doubleClick && _action) {
        _action(*this);
    }
    const Entry entry = _initialMouseDownEntry;
    if (!entry) {
        return;
    }
    const bool command = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (entry->selected()) {
        if (command) {
            const Entry before = _lastSelectedEntry;
            deselectEntry(entry);
            _initialMouseDownEntry.reset();
            if (_lastSelectedEntry != before) {
                postSelectionDidChange();
            }
        } else if (shift) {
            selectEntries({entry}, true, true);
            _initialMouseDownEntry.reset();
        }
    } else if (command || shift) {
        selectEntries({entry}, true, shift && !command);
        _initialMouseDownEntry.reset();
    }
}

KivOutlineRowView* KivOutlineView::makeLiveRowView(const Entry& entry, bool locked) {
    KivOutlineRowView* view = _rowViewClass.make ? _rowViewClass.make() : nullptr;
    if (!view) {
        logFormat("Error: Could not load row nib named '%s'.",
                  _rowViewClass.nibName.toUtf8().constData());
        return nullptr;
    }
    const int row = entry->index();
    view->setParent(this);
    view->setOutlineView(this);
    view->setRowIndex(row);
    view->setGeometry(rectOfRow(row));
    view->setBackgroundColor(colorForEntry(*entry, row));
    view->setEntry(entry);
    view->setDrawingFlipped(false);
    view->setLockedActive(locked);
    _activeRowViews.push_back(view);
    view->show();
    return view;
}

void KivOutlineView::mouseMoveEvent(QMouseEvent* event) {
    if (_trackingControl) {
        forwardMouse(_trackingControl, this, event);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton) || !_enabled) {
        return;
    }
    _shouldSelectJustLastClicked = false;
    if (_draggingInternally) {
        return;
    }
    const QPointF moved = event->position() - _initialMouseDownLocation;
    if (DistanceBetweenPoints(KivPoint{0, 0}, KivPoint{static_cast<float>(moved.x()),
                                                       static_cast<float>(moved.y())}) <
        kDragDistance) {
        return;
    }
    startDrag(event->position());
}

void KivOutlineView::startDrag(QPointF pointer) {
    // The selection, or the row under the mouse-down when it is not part of it.
    std::vector<Entry> entries = _selectedEntries;
    std::vector<KivOutlineItem> items = allSelectedItems();
    if (_initialMouseDownEntry && !_initialMouseDownEntry->selected()) {
        entries = {_initialMouseDownEntry};
        items = {_initialMouseDownEntry->item()};
    }
    if (items.empty() || !_dataSource) {
        return;
    }
    auto mime = std::make_unique<QMimeData>();
    if (!_dataSource->writeItems(*this, items, *mime).value_or(false)) {
        return;
    }
    const QRect visible = visibleRect();
    auto* drag = new QDrag(this);
    drag->setMimeData(mime.release());
    drag->setPixmap(dragImage(entries));
    // The picture starts where the rows lie, moved as far as the pointer has.
    const QPointF imageOrigin = QPointF(visible.topLeft()) + (pointer - _initialMouseDownLocation);
    drag->setHotSpot((pointer - imageOrigin).toPoint());
    _draggingInternally = true;
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    QPointer<KivOutlineView> self(this);
    afterDelay(kDragEndDelay, [self] {
        if (self) {
            self->_draggingInternally = false;
        }
    });
    if (_dataSource) {
        _dataSource->dragDone(*this);
    }
}

void KivOutlineView::mouseReleaseEvent(QMouseEvent* event) {
    if (_trackingControl || _trackingRow) {
        if (_trackingControl) {
            forwardMouse(_trackingControl, this, event);
        }
        if (_trackingRow) {
            _trackingRow->setLockedActive(false);
        }
        _trackingControl = nullptr;
        _trackingRow = nullptr;
        _initialMouseDownEntry.reset();
        cleanUpLiveRowViews();
        update();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const Entry entry = std::exchange(_initialMouseDownEntry, nullptr);
    if (!entry) {
        return;
    }
    if (!entry->selected()) {
        selectEntries({entry}, false, false);
    } else if (!_mouseDownWasDoubleClick) {
        _shouldSelectJustLastClicked = true;
        QPointer<KivOutlineView> self(this);
        afterDelay(kReselectDelay, [self, entry] {
            if (self && self->_shouldSelectJustLastClicked) {
                self->_shouldSelectJustLastClicked = false;
                self->selectEntries({entry}, false, false);
            }
        });
    }
}

KivOutlineView::DropTarget KivOutlineView::dropTarget(const Entry& entry, QPointF point,
                                                      bool canDropDirectlyOnItem) const {
    if (!entry) {
        return {};
    }
    const qreal h = rowHeight();
    const qreal y = rectOfRow(entry->index()).top();
    const qreal top = canDropDirectlyOnItem ? y + h / 6 : y + h / 2;
    const qreal bottom = canDropDirectlyOnItem ? y + 5 * h / 6 : y + h / 2;
    const int n = static_cast<int>(entry->parents().size());
    const Entry parent = entry->parent() ? entryForItem(entry->parent()->item()) : nullptr;
    if (point.y() < bottom && point.y() > top) {
        return {entry, -1, n};
    }
    if (point.y() < bottom) {
        return {parent, entry->indexInParent(), n};
    }
    const qreal left = _rowView ? _rowView->leftOfMainColumn() : 0;
    const qreal indent = _rowView ? _rowView->indentationPerLevel() : 20.0;
    if (entry->children() && point.x() >= left + n * indent) {
        return {entry, 0, n + 1};
    }
    if (!entry->lastChildOfParent()) {
        return {parent, entry->indexInParent() + 1, n};
    }
    // A last child: the further left the pointer, the further out the gap.
    const KivOutlineViewEntry* climbed = entry.get();
    for (int k = n - 1; k >= 0; --k) {
        KivOutlineViewEntry* ancestor = entry->parents()[static_cast<std::size_t>(k)];
        const bool last = ancestor->children() && !ancestor->children()->empty() &&
                          ancestor->children()->back().get() == climbed;
        if (!last || point.x() >= left + k * indent) {
            return {entryForItem(ancestor->item()), climbed->indexInParent() + 1, k + 1};
        }
        climbed = ancestor;
    }
    return {nullptr, climbed->indexInParent() + 1, 0};
}

Qt::DropAction KivOutlineView::updateDrop(const QDropEvent& event, DropTarget* target) {
    const QPointF p = event.position();
    const Entry under = entryForIndex(rowAtPoint(p));
    const KivOutlineItem underItem = under ? under->item() : nullptr;
    const bool direct =
        _dataSource &&
        _dataSource->validateDrop(*this, event, underItem, -1).value_or(Qt::IgnoreAction) !=
            Qt::IgnoreAction;
    *target = dropTarget(under, p, direct);
    const KivOutlineItem parentItem = target->parent ? target->parent->item() : nullptr;
    const Qt::DropAction operation =
        _dataSource ? _dataSource->validateDrop(*this, event, parentItem, target->childIndex)
                          .value_or(Qt::IgnoreAction)
                    : Qt::IgnoreAction;
    if (operation == Qt::IgnoreAction) {
        _lastDropTarget = nullptr;
        hideDropIndicators();
    }
    return operation;
}

void KivOutlineView::dragEnterEvent(QDragEnterEvent* event) {
    // The target is worked out from the first move on, which Qt sends at once.
    if (!_enabled) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void KivOutlineView::dragMoveEvent(QDragMoveEvent* event) {
    if (!_enabled) {
        event->ignore();
        return;
    }
    DropTarget target;
    const Qt::DropAction operation = updateDrop(*event, &target);
    if (operation == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    const QPointF p = event->position();
    const Entry under = entryForIndex(rowAtPoint(p));

    if (!target.parent) {
        _rowHighlightView->setStrokeColor(_selectedColor);
        _rowHighlightView->setFillColor(Qt::transparent);
        _rowHighlightView->setGeometry(rect().adjusted(1, 1, -1, -1));
    } else {
        _rowHighlightView->setColor(target.parent->selected() && hasFocus() ? QColor(Qt::white)
                                                                            : _selectedColor);
        _rowHighlightView->setGeometry(rectOfRow(target.parent->index()));
    }
    _rowHighlightView->show();
    _rowHighlightView->raise();
    _rowHighlightView->repaint();

    if (target.childIndex == -1) {
        _tweenHighlightView->hide();
    } else {
        const QRect r = rectOfRow(rowAtPoint(p));
        const qreal h = rowHeight();
        const qreal left = _rowView ? _rowView->leftOfMainColumn() : 0;
        const qreal offset = _rowView ? _rowView->tweenerOffsetFromMainColumn() : 0;
        const qreal indent = _rowView ? _rowView->indentationPerLevel() : 20.0;
        const qreal x = left + offset + target.depth * indent;
        const qreal a = std::floor(h * 0.5);
        const qreal b = std::floor(r.height() * 0.25);
        const bool lowerHalf = p.y() >= r.top() + r.height() * 0.5;
        const qreal y = (lowerHalf ? r.top() + a : r.top() - a) + b;
        _tweenHighlightView->setColor(_selectedColor);
        _tweenHighlightView->setGeometry(QRectF(x, y, r.width() - x, r.height() - 2 * b).toRect());
        _tweenHighlightView->show();
        _tweenHighlightView->raise();
        _tweenHighlightView->repaint();
    }

    const KivOutlineItem underItem = under ? under->item() : nullptr;
    if (underItem != _lastDropTarget) {
        _lastDropTarget = underItem;
        _lastTimeDropTargetWasSet = now();
    } else if (under && target.parent == under &&
               now() - _lastTimeDropTargetWasSet > kHoverExpandDelay && !under->expanded() &&
               _dataSource && _dataSource->isItemExpandable(*this, under->item())) {
        under->setExpanded(true);
        _dataSource->itemDidExpand(*this, under->item());
        buildRowModel();
        update();
    }
    event->setDropAction(operation);
    event->accept();
}

void KivOutlineView::dragLeaveEvent(QDragLeaveEvent*) {
    hideDropIndicators();
}

void KivOutlineView::dropEvent(QDropEvent* event) {
    DropTarget target;
    const Qt::DropAction operation = _enabled ? updateDrop(*event, &target) : Qt::IgnoreAction;
    const KivOutlineItem parentItem = target.parent ? target.parent->item() : nullptr;
    const bool accepted =
        operation != Qt::IgnoreAction &&
        _dataSource->acceptDrop(*this, *event, parentItem, target.childIndex).value_or(false);
    if (accepted) {
        event->setDropAction(operation);
        event->accept();
    } else {
        event->ignore();
    }
    hideDropIndicators();
    if (_dataSource) {
        _dataSource->dragDone(*this);
    }
}

void KivOutlineView::hideDropIndicators() {
    _rowHighlightView->hide();
    _tweenHighlightView->hide();
}
