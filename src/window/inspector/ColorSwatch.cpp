#include "window/inspector/ColorSwatch.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

QColor deviceColor(const DeviceRGBColor& color) {
    return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha);
}

} // namespace

ColorSwatch::ColorSwatch(PondraColor color, QWidget* parent)
    : QAbstractButton(parent)
    , _color(std::move(color)) {
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    setToolTip(QString::fromStdString(_color.name()));
}

QSize ColorSwatch::sizeHint() const {
    return {kSize, kSize};
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5);
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(0, deviceColor(_color.startColor()));
    gradient.setColorAt(1, deviceColor(_color.endColor()));
    QPainterPath path;
    path.addRoundedRect(face, 2.5, 2.5);
    painter.fillPath(path, gradient);
    painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.6), 1.0));
    painter.drawPath(path);
    if (isChecked()) {
        painter.setPen(QPen(Qt::white, 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 4, 4);
    } else if (isDown()) {
        painter.fillPath(path, QColor::fromRgbF(0, 0, 0, 0.3));
    }
}
