#include "KivUI/outline/KivOutlinePainter.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/outline/KivOutlineLiveRows.h"
#include "KivUI/outline/KivOutlineView.h"

#include <QPainter>

#include <algorithm>

KivOutlinePainter::KivOutlinePainter(KivOutlineView& view, const KivOutlineLiveRows& liveRows)
    : _view(view)
    , _liveRows(liveRows)
    , _backgroundColor(KivColors::tableRowEven())
    , _alternatingRowColor(KivColors::tableRowOdd())
    , _selectedColor(KivColors::outlineSelection())
    , _selectedButNotMainColor(KivColors::outlineSelectionInactive()) {}

QColor KivOutlinePainter::colorForEntry(const KivOutlineViewEntry& entry, int row) const {
    if (entry.selected()) {
        const KivOutlineRowView* live = _liveRows.viewForRow(row);
        const bool main = _view.hasFocus() || (live && live->isActive() && !live->lockedActive());
        return main ? _selectedColor : _selectedButNotMainColor;
    }
    return row % 2 == 1 ? _alternatingRowColor : _backgroundColor;
}

void KivOutlinePainter::paint(const QRect& dirty) {
    // Rows are drawn into an image first: a widget rendered straight into the
    // painter of an outer render() would land at the wrong offset.
    QPainter target(&_view);
    // An outer render() into a sharper image scales the painter instead.
    const qreal ratio =
        std::max(target.device()->devicePixelRatioF(), target.deviceTransform().m11());
    QImage image(dirty.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-dirty.topLeft());
    const int first = _view.rowAtPoint(dirty.topLeft());
    const int last = _view.rowAtPoint(QPointF(0, dirty.bottom()));
    paintGrounds(painter, first, last);
    paintRows(painter, dirty, first, last);
    painter.end();
    target.drawImage(dirty.topLeft(), image);
}

void KivOutlinePainter::paintGrounds(QPainter& painter, int first, int last) const {
    const KivOutlineRowView* stamp = _view.rowView();
    const int width = _view.width();
    for (int row = first; row <= last; ++row) {
        const QRect bounds = _view.rectOfRow(row);
        const Entry entry = _view.entryForIndex(row);
        QColor colour = row % 2 == 1 ? _alternatingRowColor : _backgroundColor;
        if (entry) {
            colour = colorForEntry(*entry, row);
            if (stamp) {
                colour = stamp->customBackgroundColorForEntry(*entry).value_or(colour);
            }
        }
        painter.fillRect(bounds, colour);
        const bool selected = entry && entry->selected();
        if (selected || _dividingLineColor.isValid()) {
            // A selected row keeps an edge of the ground so that adjacent
            // selected rows read as separate rows.
            const QColor line = (selected && _view.hasFocus()) || !_dividingLineColor.isValid()
                                    ? _backgroundColor
                                    : _dividingLineColor;
            painter.fillRect(QRect(0, bounds.bottom(), width, 1), line);
            if (_secondDividingLineColor.isValid()) {
                painter.fillRect(QRect(0, bounds.top(), width, 1), _secondDividingLineColor);
            }
        }
    }
}

void KivOutlinePainter::paintRows(QPainter& painter, const QRect& dirty, int first,
                                  int last) const {
    KivOutlineRowView* stamp = _view.rowView();
    for (int row = first; row <= last; ++row) {
        const Entry entry = _view.entryForIndex(row);
        if (!entry) {
            break;
        }
        const QRect bounds = _view.rectOfRow(row);
        if (KivOutlineRowView* live = _liveRows.viewForRow(row)) {
            live->update(live->rect().intersected(dirty.translated(-bounds.topLeft())));
            continue;
        }
        if (!stamp) {
            continue;
        }
        stamp->setRowIndex(row);
        stamp->resize(bounds.size());
        stamp->setBackgroundColor(Qt::transparent);
        stamp->setEntry(entry);
        stamp->setDrawingFlipped(true);
        stamp->render(&painter, bounds.topLeft(),
                      QRegion(dirty.translated(-bounds.topLeft()).intersected(stamp->rect())),
                      QWidget::DrawChildren);
        stamp->setDrawingFlipped(false);
    }
}

QPixmap KivOutlinePainter::dragImage(const std::vector<Entry>& entries) const {
    const QRect visible = _view.visibleRect();
    const qreal ratio = _view.devicePixelRatioF();
    QImage rows(visible.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    rows.setDevicePixelRatio(ratio);
    rows.fill(Qt::transparent);
    if (KivOutlineRowView* stamp = _view.rowView()) {
        QPainter painter(&rows);
        painter.translate(-visible.topLeft());
        for (const Entry& entry : entries) {
            const int row = entry->index();
            const QRect bounds = _view.rectOfRow(row);
            if (row < 0 || !bounds.intersects(visible) || _liveRows.viewForRow(row)) {
                continue;
            }
            stamp->setDrawingToDragImage(true);
            stamp->setRowIndex(row);
            stamp->resize(bounds.size());
            stamp->setBackgroundColor(Qt::transparent);
            stamp->setEntry(entry);
            stamp->render(&painter, bounds.topLeft(), QRegion(), QWidget::DrawChildren);
            stamp->setDrawingToDragImage(false);
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
