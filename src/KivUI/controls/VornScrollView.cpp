#include "KivUI/controls/VornScrollView.h"

#include "KivUI/controls/VornScroller.h"
#include "KivUI/drawing/KivColors.h"

#include <QEvent>
#include <QPainter>

VornScrollView::VornScrollView(QWidget* parent)
    : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBar(new VornScroller(Qt::Horizontal));
    setVerticalScrollBar(new VornScroller(Qt::Vertical));
}

QRect VornScrollView::cornerRect() const {
    const QScrollBar* horizontal = horizontalScrollBar();
    const QScrollBar* vertical = verticalScrollBar();
    if (!horizontal->isVisible() || !vertical->isVisible()) {
        return {};
    }
    const QPoint origin = horizontal->mapTo(this, QPoint(horizontal->width(), 0));
    return {origin.x(), origin.y(), vertical->width(), horizontal->height()};
}

bool VornScrollView::event(QEvent* event) {
    const bool handled = QScrollArea::event(event);
    if (event->type() == QEvent::Paint) {
        const QRect corner = cornerRect();
        if (!corner.isEmpty()) {
            QPainter painter(this);
            painter.fillRect(corner, KivColors::scrollCorner());
        }
    }
    return handled;
}
