#include "KivUI/controls/VornButton.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivDrawing.h"
#include "KivUI/drawing/KivFocusRing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"
#include "KivUI/drawing/KivTitleDrawing.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr qreal kDisabledOpacity = 0.4;

} // namespace

VornButton::VornButton(QWidget* parent)
    : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

VornButton::VornButton(const QString& text, QWidget* parent)
    : VornButton(parent) {
    setText(text);
}

void VornButton::setControlSize(KivControlSize size) {
    _controlSize = size;
    updateGeometry();
    update();
}

void VornButton::setOverlayColor(const QColor& color) {
    _overlayColor = color;
    update();
}

bool VornButton::isDefaultButton() const {
    return isEnabled() && isDefault();
}

QString VornButton::imageName(const char* part) const {
    const bool pressed = isDown() || (isCheckable() && isChecked());
    return QStringLiteral("vorn_button%1_%2%3")
        .arg(_controlSize == KivControlSize::Small ? QStringLiteral("_small") : QString(),
             QLatin1String(part), pressed ? QStringLiteral("_pressed") : QString());
}

QRectF VornButton::bezelRect() const {
    const qreal inset = _controlSize == KivControlSize::Small ? 5.0 : 6.0;
    const qreal imageHeight = KivNamedImages::sizeOf(imageName("left")).height();
    const qreal y = std::ceil((height() - imageHeight) / 2) - 1;
    return {inset, y, width() - 2 * inset, imageHeight};
}

QSize VornButton::sizeHint() const {
    const qreal inset = _controlSize == KivControlSize::Small ? 5.0 : 6.0;
    const qreal imageHeight = KivNamedImages::sizeOf(imageName("left")).height();
    const int text = fontMetrics().horizontalAdvance(this->text());
    return {static_cast<int>(2 * inset + std::max(text + 28, 56)),
            static_cast<int>(imageHeight + 6)};
}

QSize VornButton::minimumSizeHint() const {
    return sizeHint();
}

void VornButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal ratio = KivPainterRatio(painter);
    const QRectF bezel = bezelRect();
    KivPartDrawing::drawThreePart(painter, bezel, KivNamedImages::named(imageName("left"), ratio),
                                  KivNamedImages::named(imageName("fill"), ratio),
                                  KivNamedImages::named(imageName("right"), ratio), Qt::Horizontal,
                                  isEnabled() ? 1.0 : kDisabledOpacity);
    // The glow stays steady: a pulsing default button needs a timer redrawing it.
    const QColor overlay = _overlayColor.isValid() ? _overlayColor
                           : isDefaultButton()     ? KivColors::defaultButtonGlow()
                                                   : QColor();
    if (overlay.isValid()) {
        painter.save();
        // Dimmed with the bezel, so a disabled title still reads on it.
        painter.setOpacity(isEnabled() ? 1.0 : kDisabledOpacity);
        KivDrawing::fillRoundedRect(painter, bezel.adjusted(1, 1, -1, -2), 3.0, overlay);
        painter.restore();
    }
    if (hasFocus()) {
        KivFocusRing::draw(painter, bezel.adjusted(0, 0, 0, -1), 4);
    }
    KivTitleDrawing::draw(painter, bezel.adjusted(6, 0, -6, -1), text(), isEnabled(),
                          Qt::AlignCenter);
}
