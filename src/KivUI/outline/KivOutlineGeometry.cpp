#include "KivUI/outline/KivOutlineGeometry.h"

#include "KivUI/outline/KivOutlineView.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

KivOutlineGeometry::KivOutlineGeometry(KivOutlineView& view)
    : _view(view) {}

bool KivOutlineGeometry::setRowsOfSpaceAtBottom(int rows) {
    if (rows < 0 || rows == _rowsOfSpaceAtBottom) {
        return false;
    }
    _rowsOfSpaceAtBottom = rows;
    return true;
}

qreal KivOutlineGeometry::rowHeight() const {
    const KivOutlineRowView* stamp = _view.rowView();
    return stamp ? stamp->viewHeight() : 25.0;
}

QAbstractScrollArea* KivOutlineGeometry::scrollArea() const {
    QWidget* viewport = _view.parentWidget();
    return viewport ? qobject_cast<QAbstractScrollArea*>(viewport->parentWidget()) : nullptr;
}

void KivOutlineGeometry::refreshViewSize() {
    const qreal h = rowHeight();
    const qreal rows = static_cast<qreal>(_view.numberOfRows() + _rowsOfSpaceAtBottom);
    QSize content = scrollArea() ? scrollArea()->viewport()->size() : QSize(_view.width(), 0);
    const qreal minimumWidth = _view.rowView() ? _view.rowView()->viewWidth() : 0;
    _view.resize(static_cast<int>(std::max<qreal>(content.width(), minimumWidth)),
                 static_cast<int>(std::max<qreal>(content.height(), std::ceil(rows * h))));
}

void KivOutlineGeometry::refreshScrollStep() {
    if (QAbstractScrollArea* area = scrollArea()) {
        area->verticalScrollBar()->setSingleStep(static_cast<int>(rowHeight()));
    }
}

void KivOutlineGeometry::followParent() {
    if (_watchedParent) {
        _watchedParent->removeEventFilter(&_view);
    }
    _watchedParent = _view.parentWidget();
    if (_watchedParent) {
        _watchedParent->installEventFilter(&_view);
    }
}

bool KivOutlineGeometry::isParentResize(const QObject* watched, const QEvent* event) const {
    return watched == _watchedParent && event->type() == QEvent::Resize;
}

QRect KivOutlineGeometry::rectOfRow(int row) const {
    const qreal h = rowHeight();
    return QRect(0, static_cast<int>(row * h), _view.width(), static_cast<int>(h));
}

int KivOutlineGeometry::rowAtPoint(QPointF point) const {
    return std::max(0, static_cast<int>(std::floor(point.y() / rowHeight())));
}

QRect KivOutlineGeometry::visibleRect() const {
    if (QAbstractScrollArea* area = scrollArea()) {
        return QRect(-_view.pos(), area->viewport()->size()).intersected(_view.rect());
    }
    return _view.rect();
}

bool KivOutlineGeometry::showsAnyOf(const std::vector<Entry>& entries) const {
    const QRect visible = visibleRect();
    return std::any_of(entries.begin(), entries.end(), [&](const Entry& entry) {
        return entry->index() >= 0 && rectOfRow(entry->index()).intersects(visible);
    });
}

void KivOutlineGeometry::scrollEntryToVisible(const Entry& entry) {
    const QRect row = rectOfRow(entry->index());
    const QRect visible = visibleRect();
    if (row.top() >= visible.top() && row.bottom() <= visible.bottom()) {
        return;
    }
    scrollToY(row.top() < visible.top() ? row.top() : row.bottom() + 1 - visible.height());
}

void KivOutlineGeometry::scrollEntryToMiddle(const Entry& entry) {
    const QRect row = rectOfRow(entry->index());
    scrollToY(row.center().y() - visibleRect().height() / 2);
}

void KivOutlineGeometry::scrollToY(int y) {
    if (QAbstractScrollArea* area = scrollArea()) {
        area->verticalScrollBar()->setValue(y);
    }
}
