#include "KivUI/outline/KivOutlineRowView.h"

#include "KivUI/outline/KivOutlineView.h"

#include <QApplication>
#include <QPainter>

KivOutlineRowView::KivOutlineRowView(QWidget* parent)
    : QWidget(parent) {}

KivOutlineView* KivOutlineRowView::outlineView() const {
    return _outlineView;
}

void KivOutlineRowView::setOutlineView(KivOutlineView* view) {
    _outlineView = view;
}

void KivOutlineRowView::setBackgroundColor(const QColor& colour) {
    _backgroundColor = colour;
    update();
}

bool KivOutlineRowView::isActive() const {
    if (_lockedActive) {
        return true;
    }
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus != this && isAncestorOf(focus);
}

void KivOutlineRowView::makeOutlineViewFirstResponder() {
    if (KivOutlineView* view = _outlineView) {
        view->afterDelay(0.01, [target = QPointer<KivOutlineView>(view)] {
            if (target) {
                target->setFocus(Qt::OtherFocusReason);
            }
        });
    }
}

void KivOutlineRowView::paintEvent(QPaintEvent*) {
    if (_drawingToDragImage || _backgroundColor.alpha() == 0) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), _backgroundColor);
}

KivOutlineRowClass KivOutlineRowClass::base() {
    return {QString(), [] { return new KivOutlineRowView; }};
}
