#include "KivUI/controls/VornCheckBox.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivDeviceSnap.h"
#include "KivUI/drawing/KivFocusRing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr qreal kDisabledOpacity = 0.25;
constexpr qreal kTitleGap = 5.0;

} // namespace

VornCheckBox::VornCheckBox(QWidget* parent)
    : QCheckBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

VornCheckBox::VornCheckBox(const QString& text, QWidget* parent)
    : VornCheckBox(parent) {
    setText(text);
}

QString VornCheckBox::imageName() const {
    const char* state = checkState() == Qt::Checked            ? "on"
                        : checkState() == Qt::PartiallyChecked ? "mixed"
                                                               : "off";
    return QStringLiteral("vorn_checkbox_%1%2")
        .arg(QLatin1String(state), isDown() ? QStringLiteral("_pressed") : QString());
}

QRectF VornCheckBox::imageRect() const {
    const QSizeF size = KivNamedImages::sizeOf(imageName());
    return {0, std::floor((height() - size.height()) / 2), size.width(), size.height()};
}

QSize VornCheckBox::sizeHint() const {
    const QSizeF image = KivNamedImages::sizeOf(imageName());
    const int text = this->text().isEmpty() ? 0 : fontMetrics().horizontalAdvance(this->text()) + 4;
    return {static_cast<int>(image.width() + (text ? kTitleGap + text : 2)),
            static_cast<int>(std::max<qreal>(image.height() + 4, fontMetrics().height() + 4))};
}

QSize VornCheckBox::minimumSizeHint() const {
    return sizeHint();
}

bool VornCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void VornCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF image = imageRect();
    painter.save();
    painter.setOpacity(isEnabled() ? 1.0 : kDisabledOpacity);
    KivDeviceSnap(painter).drawImage(image,
                                     KivNamedImages::named(imageName(), KivPainterRatio(painter)));
    painter.restore();
    if (hasFocus()) {
        KivFocusRing::draw(painter, image.adjusted(1.5, 1.5, -1.5, -2.5), 3);
    }
    if (!text().isEmpty()) {
        const QRectF title(image.right() + kTitleGap, 0, width() - image.right() - kTitleGap,
                           height());
        painter.setPen(isEnabled() ? KivColors::grey(0.88) : KivColors::titleDisabled());
        painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, text());
    }
}
