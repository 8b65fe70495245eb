#include "tabbar/TavProgressIndicator.h"

#include "KivUI/drawing/KivNamedImages.h"
#include "foundation/MainRunLoop.h"
#include "tabbar/TavTabBarControl.h"

#include <QPainter>

namespace {
constexpr int kSpokes = 12;
}

TavProgressIndicator::TavProgressIndicator(QWidget* parent)
    : QWidget(parent) {
    setFixedSize(16, 16);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TavProgressIndicator::~TavProgressIndicator() {
    stopAnimation();
}

void TavProgressIndicator::setVisible(bool visible) {
    const bool changed = visible == isHidden();
    QWidget::setVisible(visible);
    if (changed) {
        if (auto* bar = dynamic_cast<TavTabBarControl*>(parentWidget())) {
            bar->relayout();
        }
    }
}

void TavProgressIndicator::startAnimation() {
    if (_timer) {
        return;
    }
    _timer = MainRunLoop::scheduler().scheduleRepeating(1.0 / 30.0, [this] {
        _step = (_step + 1) % kSpokes;
        QWidget::update();
    });
}

void TavProgressIndicator::stopAnimation() {
    if (_timer) {
        MainRunLoop::scheduler().cancel(*_timer);
        _timer.reset();
    }
}

void TavProgressIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(360.0 * _step / kSpokes);
    painter.translate(-width() / 2.0, -height() / 2.0);
    painter.drawImage(QRectF(rect()),
                      KivNamedImages::named(QStringLiteral("pi"), devicePixelRatioF()));
}
