#pragma once

#include "tabbar/TavTabStyle.h"

#include <QPointer>

class TavTabBarControl;

// The one tab style, "Metal": a dark strip with a thin line at top and
// bottom, unselected tabs split by vertical lines, the selected tab raised
// as a rounded tab of the window's ground, a close button that shows only
// under the mouse (a dirty variant for edited tabs), a count capsule and a
// centred bold title. The lines darken and the title firms up while the bar's
// window is active. GUI thread only.
class TavMetalTabStyle final : public TavTabStyle {
public:
    static constexpr qreal kLeftMargin = 2.0;
    static constexpr qreal kRightMargin = 24.0;
    static constexpr qreal kTopMargin = 10.0;
    static constexpr qreal kTabCellHeight = 22.0;

    TavMetalTabStyle();

    QString name() const override { return QStringLiteral("Metal"); }
    qreal leftMarginForTabBarControl() const override { return kLeftMargin; }
    qreal rightMarginForTabBarControl() const override { return kRightMargin; }
    qreal topMarginForTabBarControl() const override { return kTopMargin; }
    void setOrientation(int orientation) override { _orientation = orientation; }
    int orientation() const { return _orientation; }
    QImage addTabButtonImage() const override { return _addTabButtonImage; }
    QImage addTabButtonPressedImage() const override { return _addTabButtonPressedImage; }
    QImage addTabButtonRolloverImage() const override { return _addTabButtonRolloverImage; }

    QRectF dragRectForTabCell(const TavTabBarCell& cell, int orientation) const override;
    QRectF closeButtonRectForTabCell(const TavTabBarCell& cell, const QRectF& frame) const override;
    QSizeF closeButtonSize() const;
    QRectF iconRectForTabCell(const TavTabBarCell& cell) const override;
    QRectF indicatorRectForTabCell(const TavTabBarCell& cell) const override;
    QRectF objectCounterRectForTabCell(const TavTabBarCell& cell) const override;
    qreal minimumWidthOfTabCell(const TavTabBarCell& cell) const override;
    qreal desiredWidthOfTabCell(const TavTabBarCell& cell) const override;
    qreal tabCellHeight() const override { return kTabCellHeight; }
    TavStyledText attributedObjectCountValueForTabCell(const TavTabBarCell& cell) const override;
    TavStyledText attributedStringValueForTabCell(const TavTabBarCell& cell) const override;

    void drawTabCell(QPainter& painter, TavTabBarCell& cell) override;
    void drawBackgroundInRect(QPainter& painter, const QRectF& rect) override;
    void drawTabBar(QPainter& painter, TavTabBarControl& bar, const QRectF& rect) override;
    // The close button, the count capsule and the title of a tab.
    void drawInteriorWithTabCell(QPainter& painter, TavTabBarCell& cell);

private:
    // The window of the cell's bar is the active one.
    static bool isMain(const TavTabBarCell& cell);
    // The count capsule's colour: the cell's own, or a dark grey.
    static QColor capsuleColor(const TavTabBarCell& cell);
    static QColor selectionAccent();
    QColor lineColor(bool main) const;
    qreal widthWithout(const TavTabBarCell& cell, qreal title) const;

    // Images are named, and fetched for the pixel ratio they are drawn at.
    QString _metalCloseButton;
    QString _metalCloseButtonDown;
    QString _metalCloseButtonOver;
    QString _metalCloseDirtyButton;
    QString _metalCloseDirtyButtonDown;
    QString _metalCloseDirtyButtonOver;
    QImage _addTabButtonImage;
    QImage _addTabButtonPressedImage;
    QImage _addTabButtonRolloverImage;
    int _orientation = 0;
    // The bar last drawn; its bounds are the background's.
    QPointer<TavTabBarControl> _tabBar;
};
