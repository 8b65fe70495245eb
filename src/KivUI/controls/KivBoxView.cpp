#include "KivUI/controls/KivBoxView.h"

#include "KivUI/drawing/KivDeviceSnap.h"

#include <QPainter>

void KivBoxView::setBackgroundImage(const QImage& image) {
    _backgroundImage = image;
    const int w = image.width();
    const int h = image.height();
    const int pw = w / 3;
    const int ph = h / 3;
    // Qt's y runs down: the top row starts at 0, the middle row sits right on
    // top of the bottom one, which ends at the image's bottom edge.
    const int xs[] = {0, pw, w - pw};
    const int ys[] = {0, h - 2 * ph, h - ph};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            QImage piece = image.copy(xs[column], ys[row], pw, ph);
            piece.setDevicePixelRatio(image.devicePixelRatio());
            _pieces[row * 3 + column] = piece;
        }
    }
    update();
}

void KivBoxView::paintEvent(QPaintEvent*) {
    if (_backgroundImage.isNull() || _pieces[Middle].isNull()) {
        return;
    }
    QPainter painter(this);
    // Smooth scaling for fractional ratios; the snapping keeps the
    // antialiased edges of neighbouring pieces from leaving seams.
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const KivDeviceSnap snap(painter);
    const QSizeF piece = _pieces[TopLeft].deviceIndependentSize();
    const qreal xs[] = {0, piece.width(), width() - piece.width(), static_cast<qreal>(width())};
    const qreal ys[] = {0, piece.height(), height() - piece.height(), static_cast<qreal>(height())};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF cell(QPointF(xs[column], ys[row]), QPointF(xs[column + 1], ys[row + 1]));
            const int index = row * 3 + column;
            const bool corner = row != 1 && column != 1;
            if (corner) {
                snap.drawImage(cell, _pieces[index]);
            } else {
                snap.drawTiled(cell, _pieces[index]);
            }
        }
    }
}
