#include "KivUI/outline/KivOutlineRowHighlightView.h"

#include "KivUI/drawing/KivColors.h"

#include <QPainter>
#include <QPainterPath>

KivOutlineRowHighlightView::KivOutlineRowHighlightView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setColor(KivColors::outlineSelection());
}

void KivOutlineRowHighlightView::setColor(const QColor& colour) {
    _strokeColor = colour;
    _fillColor = colour;
    _fillColor.setAlphaF(0.25f);
}

void KivOutlineRowHighlightView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = width();
    const qreal h = height();
    if (_betweenRows) {
        const qreal m = h * 0.5;
        QPainterPath path;
        path.addEllipse(QRectF(3, m - 3, 6, 6));
        path.moveTo(6, m);
        path.lineTo(w, m);
        // A white casing keeps the line visible over a selected row.
        painter.strokePath(path, QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap));
        painter.strokePath(path, QPen(_strokeColor, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.fillPath(path, _strokeColor);
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(2, 2, w - 4, h - 4), 6, 6);
    painter.fillPath(path, _fillColor);
    painter.strokePath(path, QPen(_strokeColor, 2.0));
}
