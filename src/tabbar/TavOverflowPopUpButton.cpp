#include "tabbar/TavOverflowPopUpButton.h"

#include "KivUI/drawing/KivNamedImages.h"
#include "foundation/MainRunLoop.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

TavOverflowPopUpButton::TavOverflowPopUpButton(QWidget* parent)
    : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("More tabs"));
}

TavOverflowPopUpButton::~TavOverflowPopUpButton() {
    stopPulse();
}

void TavOverflowPopUpButton::setMenu(QMenu* menu) {
    if (_menu) {
        _menu->disconnect(this);
    }
    _menu = menu;
    if (_menu) {
        connect(_menu, &QMenu::aboutToHide, this, [this] { menuClosed(); });
    }
}

void TavOverflowPopUpButton::setAnimatingAlternateImage(bool animating) {
    if (animating == _animatingAlternateImage) {
        return;
    }
    _animatingAlternateImage = animating;
    if (animating && isVisible()) {
        startPulse();
    } else if (!animating) {
        stopPulse();
    }
    QWidget::update();
}

void TavOverflowPopUpButton::setVisible(bool visible) {
    if (visible == isHidden()) {
        if (!visible) {
            stopPulse();
        } else if (_animatingAlternateImage) {
            startPulse();
        }
    }
    QAbstractButton::setVisible(visible);
}

void TavOverflowPopUpButton::startPulse() {
    stopPulse();
    _animationValue = kPulseStep;
    _pulse = MainRunLoop::scheduler().scheduleRepeating(kPulseInterval, [this] {
        _animationValue += kPulseStep;
        if (_animationValue >= 1.0) {
            _animationValue = kPulseStep;
        }
        QWidget::update();
    });
}

void TavOverflowPopUpButton::stopPulse() {
    if (_pulse) {
        MainRunLoop::scheduler().cancel(*_pulse);
        _pulse.reset();
    }
}

void TavOverflowPopUpButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage image = KivNamedImages::named(_down ? QStringLiteral("overflowImagePressed")
                                                     : QStringLiteral("overflowImage"),
                                               devicePixelRatioF());
    const QSizeF size = image.deviceIndependentSize();
    const QPointF origin((width() - size.width()) / 2, (height() - size.height()) / 2);
    const bool pulsing = _pulse && !_alternateImage.isNull();
    painter.setOpacity(pulsing ? 0.7 : 1.0);
    painter.drawImage(origin, image);
    if (pulsing) {
        const QSizeF alternate = _alternateImage.deviceIndependentSize();
        painter.setOpacity(std::sin(_animationValue * M_PI));
        painter.drawImage(
            QPointF((width() - alternate.width()) / 2, (height() - alternate.height()) / 2),
            _alternateImage);
    }
}

void TavOverflowPopUpButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !_menu) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    _down = true;
    QWidget::update();
    _menu->popup(mapToGlobal(QPoint(width(), height())) - QPoint(_menu->sizeHint().width(), 0));
}

void TavOverflowPopUpButton::menuClosed() {
    _down = false;
    QWidget::update();
}
