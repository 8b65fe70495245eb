#include "KivUI/controls/VornLineView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/KivViewGeometry.h"

#include <QPainter>

void VornLineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const KivViewGeometry geometry(*this);
    const float w = static_cast<float>(width());
    const float h = static_cast<float>(height());
    if (isHorizontal()) {
        painter.fillRect(geometry.toQt(KivRect{0, 1, w, 1}), KivColors::lineDark());
        painter.fillRect(geometry.toQt(KivRect{0, 0, w, 1}), KivColors::lineLight());
    } else {
        painter.fillRect(geometry.toQt(KivRect{0, 0, 1, h}), KivColors::lineDark());
        painter.fillRect(geometry.toQt(KivRect{1, 0, 1, h}), KivColors::lineLight());
    }
}
