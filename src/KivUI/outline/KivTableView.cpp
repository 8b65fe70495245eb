#include "KivUI/outline/KivTableView.h"

#include "KivUI/controls/VornScroller.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/outline/KivHeaderView.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

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
    // Each row's band is as tall as the row; below the last row the bands go
    // on at the default height. Rows' places are the ones they scroll to.
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const int end =
        rows > 0 ? rowViewportPosition(rows - 1) + rowHeight(rows - 1) : -verticalOffset();
    int row = rowAt(clip.top());
    int y = row >= 0 ? rowViewportPosition(row) : end;
    if (row < 0) {
        // Past the rows: from the first default band that reaches the clip.
        row = rows + std::max(0, (clip.top() - end) / h);
        y = end + (row - rows) * h;
    }
    for (; y <= clip.bottom(); ++row) {
        const int height = row < rows ? rowHeight(row) : h;
        painter.fillRect(QRect(0, y, viewport()->width(), height).intersected(clip),
                         bandColor(row));
        y += height;
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
