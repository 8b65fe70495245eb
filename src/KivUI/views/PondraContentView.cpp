#include "KivUI/views/PondraContentView.h"

#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"
#include "KivUI/views/KivViewGeometry.h"

#include <QPainter>

namespace {

const QString kPattern = QStringLiteral("bottom_pattern.png");

} // namespace

QRectF PondraContentView::patternRect() const {
    const qreal imageHeight = KivNamedImages::sizeOf(kPattern).height();
    return KivViewGeometry(*this).toQt(QRectF(0, kPatternTop - imageHeight, width(), imageHeight));
}

void PondraContentView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage pattern = KivNamedImages::named(kPattern, KivPainterRatio(painter));
    KivPartDrawing::drawThreePart(painter, patternRect(), pattern, pattern, pattern);
}
