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

TEST_F(MetalStyle, TitlesAreBoldAndFirmerInTheActiveWindowAndTheSelectedTabsTheBrightest) {
    ASSERT_NE(cell(0).state(), 0);
    ASSERT_EQ(cell(1).state(), 0);
    const TavStyledText selected = cell(0).attributedStringValue();
    const TavStyledText other = cell(1).attributedStringValue();
    EXPECT_EQ(selected.text, QStringLiteral("Tab 1"));
    EXPECT_TRUE(selected.font.bold());
    // Opaque, so they read at their full contrast on the dark strip.
    EXPECT_EQ(selected.color.alphaF(), 1.0);
    EXPECT_GT(selected.color.lightnessF(), other.color.lightnessF());
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    EXPECT_FALSE(bar->isInMainWindow());
    EXPECT_LT(cell(0).attributedStringValue().color.lightnessF(), selected.color.lightnessF());
    EXPECT_LT(cell(1).attributedStringValue().color.lightnessF(), other.color.lightnessF());
}

TEST_F(MetalStyle, AnItemsCountShowsOnItsTabInItsColourWithFiguresThatRead) {
    KivTabViewItem& item = *tabView->tabViewItemAtIndex(1);
    item.setObjectCount(2, KivColors::playing());
    TavTabBarCell& tab = cell(1);
    EXPECT_EQ(tab.count(), 2);
    EXPECT_EQ(tab.countColor(), KivColors::playing());
    EXPECT_FALSE(style().objectCounterRectForTabCell(tab).isEmpty());
    const TavStyledText count = style().attributedObjectCountValueForTabCell(tab);
    EXPECT_EQ(count.text, QStringLiteral("2"));
    EXPECT_GE(KivColors::contrast(count.color, KivColors::playing()), KivColors::kReadableContrast);
    // The style's own dark capsule keeps white figures.
    item.setObjectCount(1);
    EXPECT_EQ(style().attributedObjectCountValueForTabCell(tab).color.red(), 255);
    item.setObjectCount(0);
    EXPECT_TRUE(style().objectCounterRectForTabCell(tab).isEmpty());
    // A tab made for an item takes the count it has.
    auto counted =
        std::make_unique<KivTabViewItem>(QVariant(), QStringLiteral("Tab 3"), new QWidget);
    counted->setObjectCount(4, KivColors::playing());
    tabView->addTabViewItem(std::move(counted));
    EXPECT_EQ(cell(2).count(), 4);
    EXPECT_EQ(cell(2).countColor(), KivColors::playing());
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
