#include "KivUI/PondraContentView.h"

#include "KivUI/KivNamedImages.h"
#include "KivUI/KivPainterRatio.h"
#include "KivUI/KivPartDrawing.h"
#include "KivUI/KivViewGeometry.h"

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
