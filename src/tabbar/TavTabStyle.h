#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;
class TavTabBarCell;
class TavTabBarControl;

// The title of a tab, or the count in its capsule, as the style sets it.
struct TavStyledText {
    QString text;
    QFont font;
    QColor color;
    QColor shadowColor;
    // Shadow offset, y down.
    QPointF shadowOffset;
    // Measured with the font.
    QSizeF size() const;
};

// Every size and every pixel of a tab bar. Rectangles are in the bar's
// coordinates (y down). GUI thread only.
class TavTabStyle {
public:
    virtual ~TavTabStyle() = default;

    virtual QString name() const = 0;
    virtual qreal leftMarginForTabBarControl() const = 0;
    // Room at the right end for the overflow and add-tab buttons.
    virtual qreal rightMarginForTabBarControl() const = 0;
    virtual qreal topMarginForTabBarControl() const = 0;
    // 0 horizontal, 1 vertical.
    virtual void setOrientation(int orientation) = 0;
    virtual QImage addTabButtonImage() const = 0;
    virtual QImage addTabButtonPressedImage() const = 0;
    virtual QImage addTabButtonRolloverImage() const = 0;

    virtual QRectF dragRectForTabCell(const TavTabBarCell& cell, int orientation) const = 0;
    virtual QRectF closeButtonRectForTabCell(const TavTabBarCell& cell,
                                             const QRectF& frame) const = 0;
    virtual QRectF iconRectForTabCell(const TavTabBarCell& cell) const = 0;
    virtual QRectF indicatorRectForTabCell(const TavTabBarCell& cell) const = 0;
    virtual QRectF objectCounterRectForTabCell(const TavTabBarCell& cell) const = 0;
    virtual qreal minimumWidthOfTabCell(const TavTabBarCell& cell) const = 0;
    virtual qreal desiredWidthOfTabCell(const TavTabBarCell& cell) const = 0;
    virtual qreal tabCellHeight() const = 0;
    virtual TavStyledText attributedObjectCountValueForTabCell(const TavTabBarCell& cell) const = 0;
    virtual TavStyledText attributedStringValueForTabCell(const TavTabBarCell& cell) const = 0;

    virtual void drawTabCell(QPainter& painter, TavTabBarCell& cell) = 0;
    virtual void drawBackgroundInRect(QPainter& painter, const QRectF& rect) = 0;
    virtual void drawTabBar(QPainter& painter, TavTabBarControl& bar, const QRectF& rect) = 0;
};
