#include "KivUI/controls/VornPopUpButton.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivDrawing.h"
#include "KivUI/drawing/KivFocusRing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"
#include "KivUI/drawing/KivTitleDrawing.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal kSideInset = 3.0;
constexpr qreal kDisabledOpacity = 0.5;
constexpr qreal kTitleInset = 9.0;

} // namespace

VornPopUpButton::VornPopUpButton(QWidget* parent)
    : QComboBox(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void VornPopUpButton::setControlSize(KivControlSize size) {
    _controlSize = size;
    updateGeometry();
    update();
}

void VornPopUpButton::setPullsDown(bool pullsDown) {
    _pullsDown = pullsDown;
    update();
}

QString VornPopUpButton::imageName(const char* part) const {
    const bool small = _controlSize == KivControlSize::Small;
    const bool pullDownCap = _pullsDown && QLatin1String(part) == QLatin1String("right");
    return QStringLiteral("vorn_%1%2_%3")
        .arg(pullDownCap ? QStringLiteral("pulldown") : QStringLiteral("popup"),
             small ? QStringLiteral("_small") : QString(), QLatin1String(part));
}

QRectF VornPopUpButton::bezelRect() const {
    const qreal imageHeight = KivNamedImages::sizeOf(imageName("left")).height();
    const qreal y = std::floor((height() - imageHeight) / 2);
    return {kSideInset, y, width() - 2 * kSideInset, imageHeight};
}

QSize VornPopUpButton::sizeHint() const {
    const QSizeF right = KivNamedImages::sizeOf(imageName("right"));
    const QSizeF left = KivNamedImages::sizeOf(imageName("left"));
    int text = 0;
    for (int i = 0; i < count(); ++i) {
        text = std::max(text, fontMetrics().horizontalAdvance(itemText(i)));
    }
    return {static_cast<int>(2 * kSideInset + kTitleInset + text + right.width() + 4),
            static_cast<int>(left.height() + 4)};
}

QSize VornPopUpButton::minimumSizeHint() const {
    return {static_cast<int>(2 * kSideInset + 40), sizeHint().height()};
}

void VornPopUpButton::setHighlighted(bool highlighted) {
    _highlighted = highlighted;
    update();
}

void VornPopUpButton::showPopup() {
    setHighlighted(true);
    // The list opens over the dark window in its colours, not the desktop's
    // menu colours Qt gives it.
    const QPalette colours = KivColors::darkDialogPalette(view()->palette());
    view()->window()->setPalette(colours);
    view()->setPalette(colours);
    QComboBox::showPopup();
}

void VornPopUpButton::hidePopup() {
    QComboBox::hidePopup();
    setHighlighted(false);
}

void VornPopUpButton::mousePressEvent(QMouseEvent* event) {
    setHighlighted(true);
    QComboBox::mousePressEvent(event);
}

void VornPopUpButton::mouseReleaseEvent(QMouseEvent* event) {
    QComboBox::mouseReleaseEvent(event);
    if (!view()->isVisible()) {
        setHighlighted(false);
    }
}

void VornPopUpButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal ratio = KivPainterRatio(painter);
    const QRectF bezel = bezelRect();
    KivPartDrawing::drawThreePart(painter, bezel, KivNamedImages::named(imageName("left"), ratio),
                                  KivNamedImages::named(imageName("fill"), ratio),
                                  KivNamedImages::named(imageName("right"), ratio), Qt::Horizontal,
                                  isEnabled() ? 1.0 : kDisabledOpacity);
    if (_highlighted) {
        KivDrawing::fillRoundedRect(painter, bezel.adjusted(0, 0, 0, -1), 3.0,
                                    KivColors::popUpHighlight());
    }
    if (hasFocus()) {
        KivFocusRing::draw(painter, bezel.adjusted(0, 0, 0, -1), 4);
    }
    const qreal rightWidth = KivNamedImages::sizeOf(imageName("right")).width();
    const QRectF title = bezel.adjusted(kTitleInset, 0, -rightWidth - 3, -1);
    KivTitleDrawing::draw(painter, title, currentText(), isEnabled(),
                          Qt::AlignLeft | Qt::AlignVCenter);
}
