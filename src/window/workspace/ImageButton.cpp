#include "window/workspace/ImageButton.h"

#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"

#include <QPainter>

ImageButton::ImageButton(const QString& normal, const QString& highlighted, QWidget* parent)
    : QAbstractButton(parent)
    , _normal(normal)
    , _highlightedName(highlighted) {
    setFocusPolicy(Qt::NoFocus);
}

void ImageButton::setHighlighted(bool highlighted) {
    _highlighted = highlighted;
    update();
}

QSize ImageButton::sizeHint() const {
    return KivNamedImages::sizeOf(_normal).toSize();
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QString& name = _highlighted || isDown() ? _highlightedName : _normal;
    const QSizeF size = KivNamedImages::sizeOf(name);
    const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                        size.height());
    painter.setOpacity(isEnabled() ? 1.0 : 0.5);
    painter.drawImage(target, KivNamedImages::named(name, KivPainterRatio(painter)));
}
