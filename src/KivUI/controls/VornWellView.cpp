#include "KivUI/controls/VornWellView.h"

#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"

#include <QPainter>

void VornWellView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = KivPainterRatio(painter);
    static const char* const names[] = {"top_left",    "top_center",    "top_right",
                                        "center_left", "center",        "center_right",
                                        "bottom_left", "bottom_center", "bottom_right"};
    std::array<QImage, 9> pieces;
    for (size_t i = 0; i < pieces.size(); ++i) {
        pieces[i] =
            KivNamedImages::named(QStringLiteral("vorn_well_") + QLatin1String(names[i]), ratio);
    }
    KivPartDrawing::drawNinePart(painter, rect(), pieces);
}
