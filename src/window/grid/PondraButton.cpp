#include "window/grid/PondraButton.h"

#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"

#include <QMouseEvent>
#include <QPainter>

PondraButton::PondraButton(QWidget* parent)
    : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void PondraButton::setImageKind(const QString& kind) {
    if (kind != _kind) {
        _kind = kind;
        update();
    }
}

void PondraButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QString name = QStringLiteral("%1_cue.png").arg(_kind);
    const QSizeF size = KivNamedImages::sizeOf(name);
    const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                        size.height());
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    painter.drawImage(target, KivNamedImages::named(name, KivPainterRatio(painter)));
}

void PondraButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    _tracking = true;
    if (onTriggerDown) {
        onTriggerDown();
    }
    QAbstractButton::mousePressEvent(event);
}

void PondraButton::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && _tracking) {
        _tracking = false;
        if (onTriggerUp) {
            onTriggerUp();
        }
    }
}
