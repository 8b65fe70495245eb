#include "crashreporter/KivAboutHeaderView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivShadow.h"
#include "crashreporter/ResourceStrings.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// The gap after the icon, as a share of its side.
constexpr qreal kIconAdvance = 1.15;

} // namespace

KivAboutHeaderView::KivAboutHeaderView(QWidget* parent)
    : QWidget(parent)
    , _font(QStringLiteral("DejaVu Sans")) {
    const QString iconFile = ResourceStrings::info(QStringLiteral("CFBundleIconFile"));
    if (!iconFile.isEmpty()) {
        _icon = QImage(QStringLiteral(":/") + iconFile);
    }
    _text = QStringLiteral("%1 %2").arg(ResourceStrings::info(QStringLiteral("CFBundleName")),
                                        QCoreApplication::applicationVersion());
    _font.setBold(true);
    _font.setPixelSize(30);
}

QRectF KivAboutHeaderView::iconRect() const {
    const qreal side = _icon.isNull() ? 0 : height();
    const qreal groupWidth = side * kIconAdvance + QFontMetricsF(_font).horizontalAdvance(_text);
    return {std::floor((width() - groupWidth) * 0.5), 0, side, side};
}

QRectF KivAboutHeaderView::textRect() const {
    const QRectF icon = iconRect();
    const QFontMetricsF metrics(_font);
    const qreal textHeight = metrics.height();
    return {icon.x() + icon.width() * kIconAdvance, std::floor((height() - textHeight) * 0.5),
            metrics.horizontalAdvance(_text), textHeight};
}

void KivAboutHeaderView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!_icon.isNull()) {
        painter.drawImage(iconRect(), _icon);
    }
    // Light text pressed into the dark ground: a dark edge one point below.
    const QRectF text = textRect();
    KivShadow::withColor(KivColors::grey(0, 0.5), 0, QPointF(0, -1))
        .paint(painter, text.adjusted(-2, -2, 2, 2), [&](QPainter& layer) {
            layer.setFont(_font);
            layer.setPen(KivColors::grey(0.92));
            layer.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, _text);
        });
}
