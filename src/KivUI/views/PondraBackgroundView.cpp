#include "KivUI/views/PondraBackgroundView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivGradient.h"

#include <QPaintEvent>
#include <QPainter>

QColor PondraBackgroundView::bottomColor() {
    return KivColors::rgb(0.124, 0.12, 0.12);
}

QColor PondraBackgroundView::topColor() {
    return KivColors::rgb(0.172, 0.168, 0.168);
}

void PondraBackgroundView::paintEvent(QPaintEvent* event) {
    // Spread over the whole view and clipped to what is redrawn, so a partial
    // redraw matches the rest.
    QPainter painter(this);
    painter.setClipRegion(event->region());
    KivGradient::fill(painter, rect(), 90, bottomColor(), topColor());
}
