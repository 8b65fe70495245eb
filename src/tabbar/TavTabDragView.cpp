#include "tabbar/TavTabDragView.h"

#include <QPainter>

TavTabDragView::TavTabDragView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TavTabDragView::setImage(const QImage& image) {
    _image = image;
    update();
}

void TavTabDragView::setAlternateImage(const QImage& image) {
    _alternateImage = image;
    update();
}

void TavTabDragView::setFadeValue(double value) {
    _alpha = value;
    update();
}

void TavTabDragView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    // The extra thousandth keeps neither image from vanishing outright.
    if (!_image.isNull()) {
        painter.setOpacity(_alpha + 0.001);
        painter.drawImage(bounds, _image);
    }
    if (!_alternateImage.isNull()) {
        painter.setOpacity(1.001 - _alpha);
        painter.drawImage(bounds, _alternateImage);
    }
}
