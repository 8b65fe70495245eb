#include "KivUI/outline/KivTableView.h"

#include "KivUI/controls/VornScroller.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/outline/KivHeaderView.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

KivTableView::KivTableView(QWidget* parent)
    : QTableView(parent) {
    setHorizontalHeader(new KivHeaderView(Qt::Horizontal, this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setHorizontalScrollBar(new VornScroller(Qt::Horizontal));
    setVerticalScrollBar(new VornScroller(Qt::Vertical));
    setShowGrid(false);
    setFrameShape(QFrame::NoFrame);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->setAutoFillBackground(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Text, KivColors::grey(0.9));
    colours.setColor(QPalette::Highlight, KivColors::outlineSelection());
    colours.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(colours);
}

QColor KivTableView::bandColor(int row) {
    return row % 2 == 0 ? KivColors::tableRowEven() : KivColors::tableRowOdd();
}

void KivTableView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        paintBands(painter, event->rect());
    }
    QTableView::paintEvent(event);
    if (_columnLines) {
        QPainter painter(viewport());
        paintColumnLines(painter, event->rect());
    }
}

void KivTableView::paintBands(QPainter& painter, const QRect& clip) const {
    const int h = verticalHeader()->defaultSectionSize();
    if (h <= 0) {
        return;
    }
    // Bands are laid in content coordinates so they scroll with the rows.
    const int offset = verticalOffset();
    const int top = clip.top() + offset;
    const int bottom = clip.bottom() + 1 + offset;
    for (int y = (top / h) * h; y < bottom; y += h) {
        const int row = static_cast<int>((y + h * 0.5) / h);
        const QRect band = QRect(0, y - offset, viewport()->width(), h).intersected(clip);
        painter.fillRect(band, bandColor(row));
    }
}

void KivTableView::paintColumnLines(QPainter& painter, const QRect& clip) const {
    painter.setPen(KivColors::tableGrid());
    for (int column = 0; column < model()->columnCount(); ++column) {
        if (isColumnHidden(column)) {
            continue;
        }
        const int right = columnViewportPosition(column) + columnWidth(column);
        if (right < clip.left() || right > clip.right() + 1) {
            continue;
        }
        const qreal x = right - 0.5;
        painter.drawLine(QPointF(x, clip.top()), QPointF(x, clip.bottom() + 1));
    }
}
