#include "KivUI/outline/KivOutlineView.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

QColor KivOutlineView::colorForEntry(const KivOutlineViewEntry& entry, int row) const {
    if (entry.selected()) {
        const KivOutlineRowView* live = liveRowViewForRow(row);
        const bool main = hasFocus() || (live && live->isActive() && !live->lockedActive());
        return main ? _selectedColor : _selectedButNotMainColor;
    }
    return row % 2 == 1 ? _alternatingRowColor : _backgroundColor;
}

KivOutlineRowView* KivOutlineView::liveRowViewForRow(int row) const {
    const auto found = std::find_if(_activeRowViews.begin(), _activeRowViews.end(),
                                    [row](const KivOutlineRowView* view) {
                                        return view->entry() && view->entry()->index() == row;
                                    });
    return found == _activeRowViews.end() ? nullptr : *found;
}

void KivOutlineView::cleanUpLiveRowViews() {
    std::vector<KivOutlineRowView*> kept;
    for (KivOutlineRowView* view : _activeRowViews) {
        const int row = view->entry() ? view->entry()->index() : -1;
        if (view->isActive() && row >= 0) {
            view->setRowIndex(row);
            view->setGeometry(rectOfRow(row));
            kept.push_back(view);
        } else {
            update(view->geometry());
            view->hide();
            view->deleteLater();
        }
    }
    _activeRowViews = std::move(kept);
}

void KivOutlineView::displayEntryWithNeighbors(const Entry& entry, bool immediately) {
    const int row = entry->index();
    const QRect area = rectOfRow(row - 1).united(rectOfRow(row + 1));
    if (immediately) {
        repaint(area);
    } else {
        update(area);
    }
}

void KivOutlineView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void KivOutlineView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void KivOutlineView::paintEvent(QPaintEvent* event) {
    cleanUpLiveRowViews();
    const QRect dirty = event->rect();
    // Rows are drawn into an image first: a widget rendered straight into the
    // painter of an outer render() would land at the wrong offset.
    QPainter target(this);
    // An outer render() into a sharper image scales the painter instead.
    const qreal ratio =
        std::max(target.device()->devicePixelRatioF(), target.deviceTransform().m11());
    QImage image(dirty.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-dirty.topLeft());
    const int first = rowAtPoint(dirty.topLeft());
    const int last = rowAtPoint(QPointF(0, dirty.bottom()));
    for (int row = first; row <= last; ++row) {
        const QRect bounds = rectOfRow(row);
        const Entry entry = entryForIndex(row);
        QColor colour = row % 2 == 1 ? _alternatingRowColor : _backgroundColor;
        if (entry) {
            colour = colorForEntry(*entry, row);
            if (_rowView) {
                colour = _rowView->customBackgroundColorForEntry(*entry).value_or(colour);
            }
        }
        painter.fillRect(bounds, colour);
        const bool selected = entry && entry->selected();
        if (selected || _dividingLineColor.isValid()) {
            // A selected row keeps an edge of the ground so that adjacent
            // selected rows read as separate rows.
            const QColor line = (selected && hasFocus()) || !_dividingLineColor.isValid()
                                    ? _backgroundColor
                                    : _dividingLineColor;
            painter.fillRect(QRect(0, bounds.bottom(), width(), 1), line);
            if (_secondDividingLineColor.isValid()) {
                painter.fillRect(QRect(0, bounds.top(), width(), 1), _secondDividingLineColor);
            }
        }
    }
    for (int row = first; row <= last; ++row) {
        const Entry entry = entryForIndex(row);
        if (!entry) {
            break;
        }
        const QRect bounds = rectOfRow(row);
        if (KivOutlineRowView* live = liveRowViewForRow(row)) {
            live->update(live->rect().intersected(dirty.translated(-bounds.topLeft())));
            continue;
        }
        if (!_rowView) {
            continue;
        }
        _rowView->setRowIndex(row);
        _rowView->resize(bounds.size());
        _rowView->setBackgroundColor(Qt::transparent);
        _rowView->setEntry(entry);
        _rowView->setDrawingFlipped(true);
        _rowView->render(&painter, bounds.topLeft(),
                         QRegion(dirty.translated(-bounds.topLeft()).intersected(_rowView->rect())),
                         QWidget::DrawChildren);
        _rowView->setDrawingFlipped(false);
    }
    painter.end();
    target.drawImage(dirty.topLeft(), image);
}

QPixmap KivOutlineView::dragImage(const std::vector<Entry>& entries) const {
    const QRect visible = visibleRect();
    const qreal ratio = devicePixelRatioF();
    QImage rows(visible.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    rows.setDevicePixelRatio(ratio);
    rows.fill(Qt::transparent);
    if (_rowView) {
        QPainter painter(&rows);
        painter.translate(-visible.topLeft());
        for (const Entry& entry : entries) {
            const int row = entry->index();
            const QRect bounds = rectOfRow(row);
            if (row < 0 || !bounds.intersects(visible) || liveRowViewForRow(row)) {
                continue;
            }
            _rowView->setDrawingToDragImage(true);
            _rowView->setRowIndex(row);
            _rowView->resize(bounds.size());
            _rowView->setBackgroundColor(Qt::transparent);
            _rowView->setEntry(entry);
            _rowView->render(&painter, bounds.topLeft(), QRegion(), QWidget::DrawChildren);
            _rowView->setDrawingToDragImage(false);
        }
    }
    QImage faded(rows.size(), QImage::Format_ARGB32_Premultiplied);
    faded.setDevicePixelRatio(ratio);
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.6);
    painter.drawImage(QPointF(), rows);
    painter.end();
    return QPixmap::fromImage(faded);
}

void KivOutlineView::editItem(KivOutlineItem item, const QString& key) {
    if (const Entry entry = entryForVisibleItem(item)) {
        if (KivOutlineRowView* live = makeLiveRowView(entry, false)) {
            live->editValueForKey(key);
        }
    }
}

void KivOutlineView::abortEditing() {
    for (KivOutlineRowView* view : _activeRowViews) {
        view->abortEditing();
    }
}
