#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

// A widget and its children drawn into a transparent image at a ratio.
inline QImage renderWidget(QWidget& widget, qreal ratio = 1.0) {
    QImage image((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline void sendMouse(QWidget& widget, QEvent::Type type, QPointF at,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, widget.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}
