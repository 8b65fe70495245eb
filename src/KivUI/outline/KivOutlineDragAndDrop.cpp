#include "KivUI/outline/KivOutlineDragAndDrop.h"

#include "KivUI/outline/KivOutlineGeometry.h"
#include "KivUI/outline/KivOutlineRowHighlightView.h"
#include "KivUI/outline/KivOutlineSelection.h"
#include "KivUI/outline/KivOutlineView.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

#include <cmath>

namespace {

constexpr double kHoverExpandDelay = 0.35;
constexpr double kDragEndDelay = 0.1;

} // namespace

KivOutlineDragAndDrop::KivOutlineDragAndDrop(KivOutlineView& view,
                                             const KivOutlineGeometry& geometry,
                                             const KivOutlineSelection& selection)
    : _view(view)
    , _geometry(geometry)
    , _selection(selection)
    , _rowHighlightView(new KivOutlineRowHighlightView(&view))
    , _tweenHighlightView(new KivOutlineRowHighlightView(&view)) {
    _rowHighlightView->hide();
    _tweenHighlightView->setBetweenRows(true);
    _tweenHighlightView->hide();
}

void KivOutlineDragAndDrop::startDrag(QPointF pointer, QPointF pressedAt, Entry pressed) {
    std::vector<Entry> entries = _selection.entries();
    std::vector<KivOutlineItem> items = _selection.items();
    if (pressed && !pressed->selected()) {
        entries = {pressed};
        items = {pressed->item()};
    }
    KivOutlineViewProtocol* source = _view.dataSource();
    if (items.empty() || !source) {
        return;
    }
    auto mime = std::make_unique<QMimeData>();
    if (!source->writeItems(_view, items, *mime).value_or(false)) {
        return;
    }
    const QRect visible = _view.visibleRect();
    auto* drag = new QDrag(&_view);
    drag->setMimeData(mime.release());
    drag->setPixmap(_view.dragImage(entries));
    const QPointF imageOrigin = QPointF(visible.topLeft()) + (pointer - pressedAt);
    drag->setHotSpot((pointer - imageOrigin).toPoint());
    _draggingInternally = true;
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    QPointer<KivOutlineView> view(&_view);
    // The view owns this, so it lives as long as the view does.
    _view.afterDelay(kDragEndDelay, [this, view] {
        if (view) {
            _draggingInternally = false;
        }
    });
    if (KivOutlineViewProtocol* after = _view.dataSource()) {
        after->dragDone(_view);
    }
}

KivOutlineDragAndDrop::DropTarget
KivOutlineDragAndDrop::dropTarget(const Entry& entry, QPointF point,
                                  bool canDropDirectlyOnItem) const {
    if (!entry) {
        return {};
    }
    const KivOutlineRowView* stamp = _view.rowView();
    const qreal h = _geometry.rowHeight();
    const qreal y = _geometry.rectOfRow(entry->index()).top();
    const qreal top = canDropDirectlyOnItem ? y + h / 6 : y + h / 2;
    const qreal bottom = canDropDirectlyOnItem ? y + 5 * h / 6 : y + h / 2;
    const int n = static_cast<int>(entry->parents().size());
    const Entry parent = entry->parent() ? _view.entryForItem(entry->parent()->item()) : nullptr;
    if (point.y() < bottom && point.y() > top) {
        return {entry, -1, n};
    }
    if (point.y() < bottom) {
        return {parent, entry->indexInParent(), n};
    }
    const qreal left = stamp ? stamp->leftOfMainColumn() : 0;
    const qreal indent = stamp ? stamp->indentationPerLevel() : 20.0;
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
            return {_view.entryForItem(ancestor->item()), climbed->indexInParent() + 1, k + 1};
        }
        climbed = ancestor;
    }
    return {nullptr, climbed->indexInParent() + 1, 0};
}

Qt::DropAction KivOutlineDragAndDrop::updateDrop(const QDropEvent& event, DropTarget* target) {
    KivOutlineViewProtocol* source = _view.dataSource();
    const QPointF p = event.position();
    const Entry under = _view.entryForIndex(_geometry.rowAtPoint(p));
    const KivOutlineItem underItem = under ? under->item() : nullptr;
    const bool direct =
        source && source->validateDrop(_view, event, underItem, -1).value_or(Qt::IgnoreAction) !=
                      Qt::IgnoreAction;
    *target = dropTarget(under, p, direct);
    const KivOutlineItem parentItem = target->parent ? target->parent->item() : nullptr;
    const Qt::DropAction operation =
        source ? source->validateDrop(_view, event, parentItem, target->childIndex)
                     .value_or(Qt::IgnoreAction)
               : Qt::IgnoreAction;
    if (operation == Qt::IgnoreAction) {
        _lastDropTarget = nullptr;
        hideDropIndicators();
    }
    return operation;
}

void KivOutlineDragAndDrop::dragEnter(QDragEnterEvent* event) {
    // The target is worked out from the first move on, which Qt sends at once.
    if (!_view.outlineEnabled()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void KivOutlineDragAndDrop::dragMove(QDragMoveEvent* event) {
    if (!_view.outlineEnabled()) {
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
    showTarget(target, p);
    expandAfterHovering(_view.entryForIndex(_geometry.rowAtPoint(p)), target);
    event->setDropAction(operation);
    event->accept();
}

void KivOutlineDragAndDrop::showTarget(const DropTarget& target, QPointF p) {
    const QColor selected = _view.selectedColor();
    if (!target.parent) {
        _rowHighlightView->setStrokeColor(selected);
        _rowHighlightView->setFillColor(Qt::transparent);
        _rowHighlightView->setGeometry(_view.rect().adjusted(1, 1, -1, -1));
    } else {
        _rowHighlightView->setColor(
            target.parent->selected() && _view.hasFocus() ? QColor(Qt::white) : selected);
        _rowHighlightView->setGeometry(_geometry.rectOfRow(target.parent->index()));
    }
    _rowHighlightView->show();
    _rowHighlightView->raise();
    _rowHighlightView->repaint();

    if (target.childIndex == -1) {
        _tweenHighlightView->hide();
        return;
    }
    const KivOutlineRowView* stamp = _view.rowView();
    const QRect r = _geometry.rectOfRow(_geometry.rowAtPoint(p));
    const qreal h = _geometry.rowHeight();
    const qreal left = stamp ? stamp->leftOfMainColumn() : 0;
    const qreal offset = stamp ? stamp->tweenerOffsetFromMainColumn() : 0;
    const qreal indent = stamp ? stamp->indentationPerLevel() : 20.0;
    const qreal x = left + offset + target.depth * indent;
    const qreal a = std::floor(h * 0.5);
    const qreal b = std::floor(r.height() * 0.25);
    const bool lowerHalf = p.y() >= r.top() + r.height() * 0.5;
    const qreal y = (lowerHalf ? r.top() + a : r.top() - a) + b;
    _tweenHighlightView->setColor(selected);
    _tweenHighlightView->setGeometry(QRectF(x, y, r.width() - x, r.height() - 2 * b).toRect());
    _tweenHighlightView->show();
    _tweenHighlightView->raise();
    _tweenHighlightView->repaint();
}

void KivOutlineDragAndDrop::expandAfterHovering(const Entry& under, const DropTarget& target) {
    KivOutlineViewProtocol* source = _view.dataSource();
    const KivOutlineItem underItem = under ? under->item() : nullptr;
    if (underItem != _lastDropTarget) {
        _lastDropTarget = underItem;
        _lastTimeDropTargetWasSet = _view.now();
    } else if (under && target.parent == under &&
               _view.now() - _lastTimeDropTargetWasSet > kHoverExpandDelay && !under->expanded() &&
               source && source->isItemExpandable(_view, under->item())) {
        under->setExpanded(true);
        source->itemDidExpand(_view, under->item());
        _view.rowsChanged();
    }
}

void KivOutlineDragAndDrop::dragLeave() {
    hideDropIndicators();
}

void KivOutlineDragAndDrop::drop(QDropEvent* event) {
    DropTarget target;
    const Qt::DropAction operation =
        _view.outlineEnabled() ? updateDrop(*event, &target) : Qt::IgnoreAction;
    const KivOutlineItem parentItem = target.parent ? target.parent->item() : nullptr;
    const bool accepted = operation != Qt::IgnoreAction &&
                          _view.dataSource()
                              ->acceptDrop(_view, *event, parentItem, target.childIndex)
                              .value_or(false);
    if (accepted) {
        event->setDropAction(operation);
        event->accept();
    } else {
        event->ignore();
    }
    hideDropIndicators();
    if (KivOutlineViewProtocol* source = _view.dataSource()) {
        source->dragDone(_view);
    }
}

void KivOutlineDragAndDrop::hideDropIndicators() {
    _rowHighlightView->hide();
    _tweenHighlightView->hide();
}
