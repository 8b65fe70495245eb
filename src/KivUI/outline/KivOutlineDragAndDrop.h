#pragma once

#include "KivUI/outline/KivOutlineDropTarget.h"

#include <QPointF>
#include <Qt>

class KivOutlineGeometry;
class KivOutlineRowHighlightView;
class KivOutlineSelection;
class KivOutlineView;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

// Rows dragged out of the outline, and drops onto a row or between rows: the
// target under the pointer, the indicators that show it, and a collapsed
// group that opens when a drag hovers over it. The data source decides what
// may be dragged and dropped. GUI thread only.
class KivOutlineDragAndDrop {
public:
    using Entry = KivOutlineViewEntry::Ptr;
    using DropTarget = KivOutlineDropTarget;

    KivOutlineDragAndDrop(KivOutlineView& view, const KivOutlineGeometry& geometry,
                          const KivOutlineSelection& selection);

    // Until a moment after the last drag out ended.
    bool draggingInternally() const { return _draggingInternally; }
    // The selection, or the row pressed on when it is not part of it; the
    // picture of the rows moves as far as the pointer has since the press.
    void startDrag(QPointF pointer, QPointF pressedAt, Entry pressed);

    DropTarget dropTarget(const Entry& entry, QPointF point, bool canDropDirectlyOnItem) const;
    void dragEnter(QDragEnterEvent* event);
    void dragMove(QDragMoveEvent* event);
    void dragLeave();
    void drop(QDropEvent* event);

private:
    Qt::DropAction updateDrop(const QDropEvent& event, DropTarget* target);
    void showTarget(const DropTarget& target, QPointF point);
    void expandAfterHovering(const Entry& under, const DropTarget& target);
    void hideDropIndicators();

    KivOutlineView& _view;
    const KivOutlineGeometry& _geometry;
    const KivOutlineSelection& _selection;
    // Children of the view, which deletes them.
    KivOutlineRowHighlightView* _rowHighlightView;
    KivOutlineRowHighlightView* _tweenHighlightView;
    bool _draggingInternally = false;
    KivOutlineItem _lastDropTarget = nullptr;
    double _lastTimeDropTargetWasSet = 0;
};
