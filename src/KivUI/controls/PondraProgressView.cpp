#include "KivUI/controls/PondraProgressView.h"

#include "KivUI/drawing/KivDrawing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"

#include <QPainter>

#include <cmath>

void PondraProgressView::setProgress(double progress) {
    if (progress == _progress) {
        return;
    }
    _progress = progress;
    update();
}

void PondraProgressView::setPaused(bool paused) {
    if (paused != _paused) {
        _paused = paused;
        update();
    }
}

void PondraProgressView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal ratio = KivPainterRatio(painter);
    KivPartDrawing::drawThreePart(
        painter, rect(), KivNamedImages::named(QStringLiteral("progressbar_bg_left.png"), ratio),
        KivNamedImages::named(QStringLiteral("progressbar_bg_middle.png"), ratio),
        KivNamedImages::named(QStringLiteral("progressbar_bg_right.png"), ratio));
    const qreal filled = std::round(width() * _progress);
    if (filled <= 0) {
        return;
    }
    KivDrawing::clipToRoundedRect(
        painter, QRectF(rect()).adjusted(kClipInsetX, kClipInsetY, -kClipInsetX, -kClipInsetY),
        kClipRadius);
    const QImage fill =
        KivNamedImages::named(_paused ? QStringLiteral("progressbar_fill_paused.png")
                                      : QStringLiteral("progressbar_fill.png"),
                              ratio);
    KivPartDrawing::drawThreePart(painter, QRectF(0, 0, filled, height()), fill, fill, fill);
}
