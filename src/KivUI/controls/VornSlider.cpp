#include "KivUI/controls/VornSlider.h"

#include "KivUI/drawing/KivDeviceSnap.h"
#include "KivUI/drawing/KivFocusRing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <cmath>

VornSlider::VornSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void VornSlider::setControlSize(KivControlSize size) {
    _controlSize = size;
    updateGeometry();
    update();
}

QString VornSlider::imageName(const char* base) const {
    const bool small = _controlSize == KivControlSize::Small;
    return QStringLiteral("vorn_%1%2.png")
        .arg(QLatin1String(base), small ? QStringLiteral("_small") : QString());
}

QSizeF VornSlider::knobSize() const {
    return KivNamedImages::sizeOf(imageName("slider_knob"));
}

qreal VornSlider::length() const {
    return orientation() == Qt::Horizontal ? width() : height();
}

qreal VornSlider::breadth() const {
    return orientation() == Qt::Horizontal ? height() : width();
}

// Laid out as if horizontal; a vertical slider turns the drawing, its
// minimum at the bottom.
QRectF VornSlider::knobRect() const {
    const QSizeF knob = knobSize();
    const int span = static_cast<int>(length() - knob.width());
    const int position = QStyle::sliderPositionFromValue(minimum(), maximum(), sliderPosition(),
                                                         span, invertedAppearance());
    const qreal across = std::floor((breadth() - knob.height()) / 2);
    return {static_cast<qreal>(position), across, knob.width(), knob.height()};
}

int VornSlider::valueAt(const QPointF& point) const {
    const qreal along = orientation() == Qt::Horizontal ? point.x() : height() - point.y();
    const qreal knob = knobSize().width();
    const int span = static_cast<int>(length() - knob);
    const int position = static_cast<int>(std::lround(along - knob / 2));
    return QStyle::sliderValueFromPosition(minimum(), maximum(), std::clamp(position, 0, span),
                                           span, invertedAppearance());
}

QSize VornSlider::sizeHint() const {
    const QSizeF knob = knobSize();
    const QSize horizontal(160, static_cast<int>(knob.height() + 6));
    return orientation() == Qt::Horizontal ? horizontal : horizontal.transposed();
}

QSize VornSlider::minimumSizeHint() const {
    const QSizeF knob = knobSize();
    const QSize horizontal(static_cast<int>(knob.width() * 2), static_cast<int>(knob.height() + 2));
    return orientation() == Qt::Horizontal ? horizontal : horizontal.transposed();
}

void VornSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    _valueAtPress = value();
    setSliderDown(true);
    setSliderPosition(valueAt(event->position()));
    event->accept();
}

void VornSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!isSliderDown()) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    setSliderPosition(valueAt(event->position()));
    event->accept();
}

void VornSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    setSliderPosition(valueAt(event->position()));
    setSliderDown(false);
    event->accept();
    if (value() != _valueAtPress) {
        Q_EMIT valueCommitted(_valueAtPress, value());
    }
}

void VornSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (orientation() == Qt::Vertical) {
        painter.translate(0, height());
        painter.rotate(-90);
    }
    const qreal ratio = KivPainterRatio(painter);
    auto image = [&](const char* base) { return KivNamedImages::named(imageName(base), ratio); };
    const QRectF knob = knobRect();
    const QRectF bar(0, 0, length(), breadth());
    const qreal trackHeight = KivNamedImages::sizeOf(imageName("track_center")).height();
    const qreal trackY = knob.y() + std::round((knob.height() - trackHeight) / 2);
    if (!isEnabled()) {
        painter.setOpacity(0.5);
    }
    KivPartDrawing::drawThreePart(painter,
                                  QRectF(knob.x(), trackY, bar.width() - knob.x(), trackHeight),
                                  image("track_left"), image("track_center"), image("track_right"));
    KivPartDrawing::drawThreePart(
        painter, QRectF(bar.x(), trackY, knob.x() + knob.width() / 2, trackHeight),
        image("track_filled_left"), image("track_filled_center"), image("track_filled_right"));
    KivDeviceSnap(painter).drawImage(knob, image("slider_knob"));
    if (hasFocus()) {
        painter.setOpacity(1.0);
        KivFocusRing::draw(painter, knob.adjusted(0.5, 0.5, -0.5, -0.5), knob.width() / 2 - 0.5);
    }
}
