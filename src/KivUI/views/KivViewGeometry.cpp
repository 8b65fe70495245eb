#include "KivUI/views/KivViewGeometry.h"

#include <QScreen>
#include <QWidget>

KivViewGeometry::KivViewGeometry(const QWidget& view)
    : _height(view.height()) {}

QRectF KivViewGeometry::toQt(const KivRect& rect) const {
    return {rect.x, _height - rect.y - rect.height, rect.width, rect.height};
}

QRectF KivViewGeometry::toQt(const QRectF& yUpRect) const {
    return {yUpRect.x(), _height - yUpRect.y() - yUpRect.height(), yUpRect.width(),
            yUpRect.height()};
}

QPointF KivViewGeometry::toQt(const KivPoint& point) const {
    return {point.x, _height - point.y};
}

KivRect KivViewGeometry::fromQt(const QRectF& rect) const {
    return {static_cast<float>(rect.x()), static_cast<float>(_height - rect.y() - rect.height()),
            static_cast<float>(rect.width()), static_cast<float>(rect.height())};
}

KivPoint KivViewGeometry::fromQt(const QPointF& point) const {
    return {static_cast<float>(point.x()), static_cast<float>(_height - point.y())};
}

QPointF KivViewGeometry::screenToGlobal(const KivPoint& point, const QScreen& primary) {
    const QRect screen = primary.geometry();
    return {screen.x() + point.x, screen.y() + screen.height() - point.y};
}

KivPoint KivViewGeometry::globalToScreen(const QPointF& global, const QScreen& primary) {
    const QRect screen = primary.geometry();
    return {static_cast<float>(global.x() - screen.x()),
            static_cast<float>(screen.y() + screen.height() - global.y())};
}
