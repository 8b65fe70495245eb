// The metal style's sizes, texts and drawing.
#include "tabbar/TavMetalTabStyle.h"

#include "TabBarFixture.h"

#include <cmath>

namespace {

class MetalStyle : public TabBarFixture {
protected:
    MetalStyle() {
        show();
        addItems(2);
    }
    TavTabStyle& style() const { return bar->style(); }
};

} // namespace

TEST_F(MetalStyle, TheStyleIsMetalWithItsMarginsAndHeight) {
    EXPECT_EQ(bar->styleName(), QStringLiteral("Metal"));
    EXPECT_EQ(style().leftMarginForTabBarControl(), 2.0);
    EXPECT_EQ(style().rightMarginForTabBarControl(), 24.0);
    EXPECT_EQ(style().topMarginForTabBarControl(), 10.0);
    EXPECT_EQ(style().tabCellHeight(), 22.0);
    EXPECT_FALSE(style().addTabButtonImage().isNull());
    // Any name gives a new metal style.
    const TavTabStyle* before = &style();
    bar->setStyleNamed(QStringLiteral("Aqua"));
    EXPECT_NE(&style(), before);
    EXPECT_EQ(bar->styleName(), QStringLiteral("Metal"));
}

TEST_F(MetalStyle, TheCloseButtonSitsSixInAndFiveDownOrFourWhenSelected) {
    const QRectF frame(40, 0, 150, 22);
    // Tab 1 is selected.
    EXPECT_EQ(style().closeButtonRectForTabCell(cell(0), frame), QRectF(46, 4, 12, 12));
    EXPECT_EQ(style().closeButtonRectForTabCell(cell(1), frame), QRectF(46, 5, 12, 12));
    cell(1).setHasCloseButton(false);
    EXPECT_EQ(style().closeButtonRectForTabCell(cell(1), frame), QRectF());
}

TEST_F(MetalStyle, TheCountCapsuleIsAtLeastTwentyWideAndMakesRoomForTheIndicator) {
    TavTabBarCell& tab = cell(1);
    EXPECT_EQ(style().objectCounterRectForTabCell(tab), QRectF());
    tab.setCount(3);
    const QRectF frame = tab.frame();
    EXPECT_EQ(style().objectCounterRectForTabCell(tab), QRectF(frame.right() - 6 - 20, 4, 20, 14));
    tab.indicator()->setVisible(true);
    EXPECT_EQ(style().objectCounterRectForTabCell(tab),
              QRectF(frame.right() - 6 - 20 - 20, 4, 20, 14));
    EXPECT_EQ(style().indicatorRectForTabCell(tab), QRectF(frame.right() - 22, 3, 16, 16));
    tab.indicator()->setVisible(false);
    tab.setCount(1234567);
    const qreal text = style().attributedObjectCountValueForTabCell(tab).size().width();
    ASSERT_GT(text + 8, 20);
    EXPECT_EQ(style().objectCounterRectForTabCell(tab).width(), text + 8);
    EXPECT_EQ(style().attributedObjectCountValueForTabCell(tab).text, QStringLiteral("1234567"));
}

TEST_F(MetalStyle, WidthsCountTheCloseButtonIconCountIndicatorAndTitle) {
    TavTabBarCell& tab = cell(1);
    // Close button 12 + 4, six points each side, 30 in place of the title.
    EXPECT_EQ(style().minimumWidthOfTabCell(tab), 6 + 16 + 30 + 6);
    EXPECT_EQ(tab.minimumWidthOfCell(), style().minimumWidthOfTabCell(tab));
    const qreal title = tab.attributedStringValue().size().width();
    EXPECT_EQ(style().desiredWidthOfTabCell(tab), std::ceil(6 + 16 + title + 6));
    EXPECT_EQ(tab.desiredWidthOfCell(), style().desiredWidthOfTabCell(tab));
    tab.setCloseButtonSuppressed(true);
    tab.setHasIcon(true);
    tab.setCount(3);
    EXPECT_EQ(style().minimumWidthOfTabCell(tab), 6 + 20 + 30 + 24 + 6);
    EXPECT_EQ(tab.minimumWidthOfCell(), 6 + 20 + 30 + 24 + 6) << "the cell asks afresh";
    EXPECT_EQ(style().iconRectForTabCell(tab), QRectF(tab.frame().x() + 6, 3, 16, 16));
}

TEST_F(MetalStyle, TitlesAreBoldAndFirmerInTheActiveWindow) {
    const TavStyledText active = cell(0).attributedStringValue();
    EXPECT_EQ(active.text, QStringLiteral("Tab 1"));
    EXPECT_TRUE(active.font.bold());
    EXPECT_NEAR(active.color.alphaF(), 0.75, 0.002);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(bar->isInMainWindow());
    EXPECT_NEAR(cell(0).attributedStringValue().color.alphaF(), 0.5, 0.002);
}

TEST_F(MetalStyle, TheDragImageRectangleFollowsTheSelection) {
    const QRectF selected = cell(0).frame();
    EXPECT_EQ(style().dragRectForTabCell(cell(0), TavTabBarControl::kHorizontal),
              QRectF(selected.x(), 0, selected.width() + 1, 20));
    const QRectF other = cell(1).frame();
    EXPECT_EQ(style().dragRectForTabCell(cell(1), TavTabBarControl::kVertical),
              QRectF(other.x() - 1, 0, other.width() + 1, 22));
}

TEST_F(MetalStyle, TheCloseButtonIsDrawnOnlyWhileTheMouseIsOverItsTab) {
    const QRect button = cell(1).closeButtonRectForFrame(cell(1).frame()).toRect();
    const QImage plain = renderWidget(*bar).copy(button);
    cell(1).setHighlighted(true);
    const QImage hovered = renderWidget(*bar).copy(button);
    EXPECT_NE(plain, hovered);
    cell(1).setHighlighted(false);
    EXPECT_EQ(renderWidget(*bar).copy(button), plain);
}
