#include "window/workspace/PondraAudioLevelView.h"

#include "KivUI/drawing/KivDrawing.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

PondraAudioLevelView::PondraAudioLevelView(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("audioLevel"));
}

float PondraAudioLevelView::meterValue(float decibels) {
    // NaN (silence measured as log 0 over 0) reads as nothing.
    if (std::isnan(decibels)) {
        return kFloor;
    }
    const float x = std::max(decibels, -60.0f);
    return x >= 0 ? x / 12.0f : -4.0f * std::sqrt(x / -60.0f);
}

void PondraAudioLevelView::set(int index, float value) {
    if (_levels[index] != value) {
        _levels[index] = value;
        update();
    }
}

void PondraAudioLevelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal barHeight = 6;
    const qreal gap = 3;
    const qreal top = (height() - 2 * barHeight - gap) / 2;
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0.0, QColor::fromRgbF(0.2, 0.8, 0.2));
    gradient.setColorAt(0.65, QColor::fromRgbF(0.8, 0.8, 0.25));
    gradient.setColorAt(0.8, QColor::fromRgbF(0.8, 0.25, 0.25));
    for (int channel = 0; channel < 2; ++channel) {
        const QRectF groove(0.5, top + channel * (barHeight + gap) + 0.5, width() - 1.0, barHeight);
        KivDrawing::fillRoundedRect(painter, groove, 2, QColor::fromRgbF(0, 0, 0, 0.45));
        const auto fraction = [](float value) {
            return std::clamp((static_cast<qreal>(value) + 4.0) / 5.0, 0.0, 1.0);
        };
        const qreal power = fraction(_levels[channel * 2]);
        const qreal peak = fraction(_levels[channel * 2 + 1]);
        if (power > 0) {
            QRectF bar = groove.adjusted(1, 1, -1, -1);
            bar.setWidth(bar.width() * power);
            KivDrawing::fillRoundedRect(painter, bar, 1.5, gradient);
        }
        if (peak > 0) {
            const qreal x = groove.left() + 1 + (groove.width() - 3) * peak;
            painter.fillRect(QRectF(x, groove.top() + 1, 2, barHeight - 2), gradient);
        }
    }
}
