#include "tabbar/TavRolloverButton.h"

#include <QPainter>

TavRolloverButton::TavRolloverButton(QWidget* parent)
    : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TavRolloverButton::setUsualImage(const QImage& image) {
    _usualImage = image;
    QWidget::update();
}

const QImage& TavRolloverButton::image() const {
    if (isDown() && !_alternateImage.isNull()) {
        return _alternateImage;
    }
    return _over && !_rolloverImage.isNull() ? _rolloverImage : _usualImage;
}

void TavRolloverButton::enterEvent(QEnterEvent* event) {
    _over = true;
    QWidget::update();
    QAbstractButton::enterEvent(event);
}

void TavRolloverButton::leaveEvent(QEvent* event) {
    _over = false;
    QWidget::update();
    QAbstractButton::leaveEvent(event);
}

void TavRolloverButton::paintEvent(QPaintEvent*) {
    const QImage& shown = image();
    if (shown.isNull()) {
        return;
    }
    QPainter painter(this);
    const QSizeF size = shown.deviceIndependentSize();
    painter.drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), shown);
}
