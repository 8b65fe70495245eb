#include "KivUI/controls/KivSimpleProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

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
    _progressIndicator->setRange(static_cast<int>(_minValue), static_cast<int>(_maxValue));
    showValue();
}

void KivSimpleProgress::setLabel(const QString& text) {
    _label->setText(text);
    _label->repaint();
}

void KivSimpleProgress::setMaxValue(double value) {
    _maxValue = value;
    _progressIndicator->setMaximum(static_cast<int>(value));
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
    _progressIndicator->setValue(static_cast<int>(_theValue));
    _progressIndicator->setUpdatesEnabled(true);
    if (redisplaysAt(_theValue)) {
        _progressIndicator->repaint();
    }
}
