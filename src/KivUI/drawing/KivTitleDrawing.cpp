#include "KivUI/drawing/KivTitleDrawing.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/KivViewGeometry.h"

#include <QFontMetricsF>
#include <QPainter>

void KivTitleDrawing::draw(QPainter& painter, const QRectF& rect, const QString& title,
                           bool enabled, int alignment) {
    const QString shown =
        QFontMetricsF(painter.font()).elidedText(title, Qt::ElideRight, rect.width());
    painter.save();
    if (enabled) {
        painter.setPen(KivColors::titleShadow());
        painter.drawText(rect.translated(KivViewGeometry::offsetToQt({0, -1})), alignment, shown);
    }
    painter.setPen(enabled ? KivColors::titleEnabled() : KivColors::titleDisabled());
    painter.drawText(rect, alignment, shown);
    painter.restore();
}
