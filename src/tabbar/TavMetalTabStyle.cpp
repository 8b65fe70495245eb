#include "tabbar/TavMetalTabStyle.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QFont tabFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

QImage namedFor(const QString& name, const QPainter& painter) {
    return KivNamedImages::named(name, painter.device()->devicePixelRatioF());
}

void drawStyled(QPainter& painter, const QRectF& rect, const TavStyledText& text, int flags) {
    painter.setFont(text.font);
    const QString shown =
        QFontMetricsF(text.font).elidedText(text.text, Qt::ElideRight, rect.width() + 0.5);
    if (text.shadowColor.isValid()) {
        painter.setPen(text.shadowColor);
        painter.drawText(rect.translated(text.shadowOffset), flags, shown);
    }
    painter.setPen(text.color);
    painter.drawText(rect, flags, shown);
}

} // namespace

QSizeF TavStyledText::size() const {
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

TavMetalTabStyle::TavMetalTabStyle()
    : _metalCloseButton(QStringLiteral("TabClose_Front"))
    , _metalCloseButtonDown(QStringLiteral("TabClose_Front_Pressed"))
    , _metalCloseButtonOver(QStringLiteral("TabClose_Front_Rollover"))
    , _metalCloseDirtyButton(QStringLiteral("TabClose_Dirty"))
    , _metalCloseDirtyButtonDown(QStringLiteral("TabClose_Dirty_Pressed"))
    , _metalCloseDirtyButtonOver(QStringLiteral("TabClose_Dirty_Rollover"))
    , _addTabButtonImage(KivNamedImages::named(QStringLiteral("TabNewMetal")))
    , _addTabButtonPressedImage(KivNamedImages::named(QStringLiteral("TabNewMetalPressed")))
    , _addTabButtonRolloverImage(KivNamedImages::named(QStringLiteral("TabNewMetalRollover"))) {}

QSizeF TavMetalTabStyle::closeButtonSize() const {
    return KivNamedImages::sizeOf(_metalCloseButton);
}

QRectF TavMetalTabStyle::dragRectForTabCell(const TavTabBarCell& cell, int orientation) const {
    QRectF rect = cell.frame();
    rect.setWidth(rect.width() + 1);
    if ((cell.tabState() & TavTabBarCell::kSelected) != 0) {
        if (orientation == TavTabBarControl::kVertical) {
            rect.setHeight(rect.height() + 1);
            rect.translate(0, -1);
            rect.translate(2, 0);
            rect.setWidth(rect.width() - 3);
        } else {
            rect.setHeight(rect.height() - 2);
        }
    } else if (orientation == TavTabBarControl::kVertical) {
        rect.translate(-1, 0);
    }
    return rect;
}

QRectF TavMetalTabStyle::closeButtonRectForTabCell(const TavTabBarCell& cell,
                                                   const QRectF& frame) const {
    if (!cell.hasCloseButton()) {
        return {};
    }
    return {QPointF(frame.x() + 6, frame.y() + (cell.state() != 0 ? 4 : 5)), closeButtonSize()};
}

QRectF TavMetalTabStyle::iconRectForTabCell(const TavTabBarCell& cell) const {
    if (!cell.hasIcon()) {
        return {};
    }
    const QRectF& frame = cell.frame();
    qreal x = frame.x() + 6;
    if (cell.hasCloseButton() && !cell.isCloseButtonSuppressed()) {
        x += closeButtonSize().width() + 4;
    }
    return {x, frame.y() + (cell.state() != 0 ? 2 : 3), 16, 16};
}

QRectF TavMetalTabStyle::indicatorRectForTabCell(const TavTabBarCell& cell) const {
    if (!cell.isIndicatorShowing()) {
        return {};
    }
    const QRectF& frame = cell.frame();
    return {frame.x() + frame.width() - 22, frame.y() + (cell.state() != 0 ? 2 : 3), 16, 16};
}

QRectF TavMetalTabStyle::objectCounterRectForTabCell(const TavTabBarCell& cell) const {
    if (cell.count() == 0) {
        return {};
    }
    const QRectF& frame = cell.frame();
    const qreal width =
        std::max(20.0, attributedObjectCountValueForTabCell(cell).size().width() + 8);
    qreal x = frame.x() + frame.width() - 6 - width;
    if (cell.isIndicatorShowing()) {
        x -= 20;
    }
    return {x, frame.y() + 4, width, 14};
}

qreal TavMetalTabStyle::widthWithout(const TavTabBarCell& cell, qreal title) const {
    qreal width = 6;
    if (cell.hasCloseButton() && !cell.isCloseButtonSuppressed()) {
        width += closeButtonSize().width() + 4;
    }
    if (cell.hasIcon()) {
        width += 20;
    }
    width += title;
    if (cell.count() > 0) {
        width += objectCounterRectForTabCell(cell).width() + 4;
    }
    if (cell.isIndicatorShowing()) {
        width += 20;
    }
    return std::ceil(width + 6);
}

qreal TavMetalTabStyle::minimumWidthOfTabCell(const TavTabBarCell& cell) const {
    return widthWithout(cell, 30);
}

qreal TavMetalTabStyle::desiredWidthOfTabCell(const TavTabBarCell& cell) const {
    return widthWithout(cell, cell.attributedStringValue().size().width());
}

QColor TavMetalTabStyle::capsuleColor(const TavTabBarCell& cell) {
    return cell.countColor().isValid() ? cell.countColor() : QColor::fromRgbF(0.3, 0.3, 0.3, 0.6);
}

TavStyledText
TavMetalTabStyle::attributedObjectCountValueForTabCell(const TavTabBarCell& cell) const {
    // White reads on the dark capsule; a light one takes dark figures.
    const QColor capsule = capsuleColor(cell);
    const QColor text = KivColors::contrast(capsule, Qt::white) >= KivColors::kReadableContrast
                            ? KivColors::grey(1, 0.85)
                            : KivColors::grey(0.08);
    return {QString::number(cell.count()), tabFont(), text, {}, {}};
}

TavStyledText TavMetalTabStyle::attributedStringValueForTabCell(const TavTabBarCell& cell) const {
    // Read from the desk on the dark strip, the selected tab's the brightest;
    // dimmer, but still clear, in a window that is not the active one. The
    // shadow falls dark, one point below.
    const bool selected = cell.state() != 0;
    const qreal white = isMain(cell) ? (selected ? 1.0 : 0.8) : (selected ? 0.8 : 0.66);
    return {cell.stringValue(), tabFont(), KivColors::grey(white), KivColors::titleShadow(),
            QPointF(0, 1)};
}

bool TavMetalTabStyle::isMain(const TavTabBarCell& cell) {
    return cell.controlView().isInMainWindow();
}

QColor TavMetalTabStyle::selectionAccent() {
    return KivColors::rgb(0.33, 0.6, 0.86);
}

QColor TavMetalTabStyle::lineColor(bool main) const {
    return main ? KivColors::grey(0.07) : KivColors::grey(0.2);
}

void TavMetalTabStyle::drawTabBar(QPainter& painter, TavTabBarControl& bar, const QRectF& rect) {
    _tabBar = &bar;
    drawBackgroundInRect(painter, rect);
    if (!bar.tabView()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        painter.setFont(font);
        painter.setPen(KivColors::titleEnabled());
        painter.drawText(rect.adjusted(0, 4, 0, 0), Qt::AlignCenter,
                         QStringLiteral("TavTabBarControl"));
        return;
    }
    for (const auto& cell : bar.cells()) {
        if (bar.isAnimating() || (!cell->isInOverflowMenu() && cell->frame().intersects(rect))) {
            cell->drawWithFrame(painter);
        }
    }
}

void TavMetalTabStyle::drawBackgroundInRect(QPainter& painter, const QRectF&) {
    if (!_tabBar) {
        return;
    }
    const QRectF bounds = _tabBar->rect();
    const bool main = _tabBar->isInMainWindow();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Darker than the window, so the selected tab's window-coloured fill stands out.
    painter.fillRect(bounds, QColor::fromRgbF(0, 0, 0, main ? 0.45 : 0.38));
    QLinearGradient shade(bounds.topLeft(), bounds.topLeft() + QPointF(0, 7));
    shade.setColorAt(0, QColor::fromRgbF(0, 0, 0, main ? 0.15 : 0.1));
    shade.setColorAt(1, Qt::transparent);
    painter.fillRect(QRectF(bounds.x(), bounds.y(), bounds.width(), 7), shade);
    painter.setPen(QPen(lineColor(main), 1));
    painter.drawLine(
        QLineF(bounds.left(), bounds.top() + 0.5, bounds.right() + 1, bounds.top() + 0.5));
    painter.drawLine(
        QLineF(bounds.left(), bounds.bottom() + 0.5, bounds.right() + 1, bounds.bottom() + 0.5));
    painter.restore();
}

void TavMetalTabStyle::drawTabCell(QPainter& painter, TavTabBarCell& cell) {
    const QRectF frame = cell.frame();
    const TavTabBarControl& bar = cell.controlView();
    const QColor line = lineColor(bar.isInMainWindow());
    painter.save();
    if (cell.state() == 0) {
        QPainterPath path;
        path.moveTo(frame.x() + 0.5, frame.y() + 0.5);
        path.lineTo(frame.x() + 0.5 + frame.width(), frame.y() + 0.5);
        if ((cell.tabState() & TavTabBarCell::kRightSelected) == 0) {
            path.lineTo(frame.x() + 0.5 + frame.width(), frame.y() + 0.5 + frame.height());
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.strokePath(path, QPen(line, 1));
    } else {
        const QRectF raised(frame.x() + 0.5, frame.y() - 20.5, frame.width() - 1,
                            frame.height() + 20);
        QPainterPath outline;
        outline.addRoundedRect(raised, 5, 5);
        painter.setRenderHint(QPainter::Antialiasing, true);
        if (bar.height() >= 2) {
            painter.save();
            painter.setClipPath(outline);
            painter.fillRect(frame, KivColors::windowBackground());
            // An accent along the top tells the selected tab from afar.
            QColor accent = selectionAccent();
            if (!bar.isInMainWindow()) {
                accent.setAlphaF(0.7);
            }
            painter.fillRect(QRectF(frame.x() + 1, frame.y() + 1, frame.width() - 2, 2), accent);
            painter.restore();
            painter.strokePath(outline, QPen(line, 1));
        } else {
            painter.fillPath(outline, line);
        }
    }
    painter.restore();
    drawInteriorWithTabCell(painter, cell);
}

void TavMetalTabStyle::drawInteriorWithTabCell(QPainter& painter, TavTabBarCell& cell) {
    const QRectF frame = cell.frame();
    painter.save();
    if (cell.hasCloseButton() && !cell.isCloseButtonSuppressed() && cell.isHighlighted()) {
        const bool edited = cell.isEdited();
        const QString& name = cell.closeButtonOver()
                                  ? (edited ? _metalCloseDirtyButtonOver : _metalCloseButtonOver)
                              : cell.closeButtonPressed()
                                  ? (edited ? _metalCloseDirtyButtonDown : _metalCloseButtonDown)
                              : edited ? _metalCloseDirtyButton
                                       : _metalCloseButton;
        painter.drawImage(cell.closeButtonRectForFrame(frame).topLeft(), namedFor(name, painter));
    }
    if (cell.count() > 0) {
        QRectF capsule = objectCounterRectForTabCell(cell);
        if (cell.state() != 0) {
            capsule.translate(0, -1);
        }
        QPainterPath path;
        path.addRoundedRect(capsule, 7, 7);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(path, capsuleColor(cell));
        const TavStyledText count = attributedObjectCountValueForTabCell(cell);
        const QSizeF size = count.size();
        const QRectF text(capsule.x() + (capsule.width() - size.width()) * 0.5 + 0.25,
                          capsule.y() + (capsule.height() - size.height()) * 0.5 + 0.5,
                          size.width(), size.height());
        drawStyled(painter, text, count, Qt::AlignLeft | Qt::AlignTop);
    }
    const TavStyledText title = cell.attributedStringValue();
    const QSizeF size = title.size();
    qreal drawn = std::max(0.0, std::min(frame.width() - 40, size.width()));
    if (cell.count() > 0) {
        // Centred still, but clear of the capsule.
        const qreal room = objectCounterRectForTabCell(cell).left() - 4 - frame.center().x();
        drawn = std::max(0.0, std::min(drawn, 2 * room));
    }
    const QRectF rect(frame.x() + (frame.width() - drawn) / 2,
                      frame.y() + (frame.height() - size.height()) / 2, drawn, size.height());
    drawStyled(painter, rect, title, Qt::AlignHCenter | Qt::AlignTop);
    painter.restore();
}
