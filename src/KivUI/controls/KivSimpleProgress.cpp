#include "KivUI/controls/KivSimpleProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

KivSimpleProgress::KivSimpleProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , _label(new QLabel(this))
    , _progressIndicator(new QProgressBar(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_label);
    layout->addWidget(_progressIndicator);
    _progressIndicator->setTextVisible(false);
    _progressIndicator->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(_progressIndicator);
    _progressIndicator->setRange(0, kIndicatorSteps);
    showValue();
}

void KivSimpleProgress::setLabel(const QString& text) {
    _label->setText(text);
    _label->repaint();
}

void KivSimpleProgress::setMinValue(double value) {
    _minValue = value;
    showValue();
}

void KivSimpleProgress::setMaxValue(double value) {
    _maxValue = value;
    showValue();
}

void KivSimpleProgress::setDoubleValue(double value) {
    _theValue = value;
    showValue();
}

void KivSimpleProgress::incrementBy(double delta) {
    _theValue += delta;
    showValue();
}

bool KivSimpleProgress::redisplaysAt(double value) const {
    return _maxValue < 100 || static_cast<long long>(value) % 10 == 0;
}

void KivSimpleProgress::showValue() {
    // QProgressBar repaints on its own for changes of a pixel or more; hold
    // that back so only the steps chosen here draw at once.
    _progressIndicator->setUpdatesEnabled(false);
    // QProgressBar counts in whole numbers: it gets the fraction of the
    // range, in fine steps, rather than the value itself.
    const double span = _maxValue - _minValue;
    double fraction = span > 0 ? (_theValue - _minValue) / span : 0.0;
    fraction = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    _progressIndicator->setValue(static_cast<int>(std::lround(fraction * kIndicatorSteps)));
    _progressIndicator->setUpdatesEnabled(true);
    if (redisplaysAt(_theValue)) {
        _progressIndicator->repaint();
    }
}
