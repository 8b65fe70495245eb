#include "KivUI/views/CueInspectorView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivGradient.h"

#include <QPainter>

void CueInspectorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    KivGradient::fill(painter, rect(), -90, KivColors::inspectorTop(),
                      KivColors::inspectorBottom());
    painter.fillRect(QRectF(0, 0, width(), 1), KivColors::grey(0, 0.75));
    painter.fillRect(QRectF(0, 1, width(), 1), KivColors::grey(1, 0.1));
}
