// The tab layout: widths, overflow, state bits and the stored rectangles.
#include "TabBarFixture.h"
#include "support/CapturingLogSink.h"

#include <QMenu>

#include <cmath>

namespace {

class TabLayout : public TabBarFixture {
protected:
    TabLayout() {
        bar->setCellOptimumWidth(150);
        show();
    }
    QStringList overflowTitles() const {
        QStringList titles;
        if (QMenu* menu = bar->controller().overflowMenu()) {
            for (QAction* action : menu->actions()) {
                if (action->isVisible()) {
                    titles << action->text();
                }
            }
        }
        return titles;
    }
};

} // namespace

TEST_F(TabLayout, TabsShareTheRowEquallyOnceTheyNoLongerFitAtTheirOptimum) {
    using W = std::vector<double>;
    addItems(6);
    EXPECT_EQ(widths(), W(6, 150));
    EXPECT_EQ(bar->controller().overflowMenu(), nullptr);
    EXPECT_TRUE(bar->overflowPopUpButton()->isHidden());
    addItem(QStringLiteral("Tab 7"));
    EXPECT_EQ(widths(), W(7, 142));
    addItem(QStringLiteral("Tab 8"));
    EXPECT_EQ(widths(), W(8, 125));
    addItem(QStringLiteral("Tab 9"));
    EXPECT_EQ(widths(), W(9, 111));
    addItem(QStringLiteral("Tab 10"));
    EXPECT_EQ(widths(), W(10, 100));
    // The cells stand side by side from the left margin.
    EXPECT_EQ(cell(0).frame(), QRectF(2, 0, 100, 22));
    EXPECT_EQ(cell(9).frame(), QRectF(902, 0, 100, 22));
    EXPECT_EQ(bar->numberOfVisibleTabs(), 10);
    EXPECT_EQ(bar->lastVisibleTab(), &cell(9));

    // Above the ninth share the last two tabs go to the overflow menu.
    bar->setCellMinWidth(112);
    EXPECT_EQ(widths(), W(8, 125));
    EXPECT_TRUE(cell(8).isInOverflowMenu());
    EXPECT_TRUE(cell(9).isInOverflowMenu());
    EXPECT_EQ(bar->lastVisibleTab(), &cell(7));
    EXPECT_EQ(overflowTitles(), (QStringList{QStringLiteral("Tab 9"), QStringLiteral("Tab 10")}));
    EXPECT_FALSE(bar->overflowPopUpButton()->isHidden());
    EXPECT_EQ(bar->overflowPopUpButton()->menu(), bar->controller().overflowMenu());
    // Overflowing frames lie beyond the bar's right end.
    EXPECT_GT(cell(8).frame().x(), bar->width());
    EXPECT_EQ(bar->controller().numberOfItemsInMenu(bar->controller().overflowMenu()), 3);
}

TEST_F(TabLayout, ATotalThatWouldEqualTheAvailableWidthDoesNotFit) {
    bar->setCellOptimumWidth(250);
    bar->setCellMinWidth(251);
    addItems(4);
    // 4 x 250 = 1000 is not below 1000, and a share of 250 is below the minimum.
    EXPECT_EQ(widths(), std::vector<double>(3, 250));
    EXPECT_TRUE(cell(3).isInOverflowMenu());
}

TEST_F(TabLayout, TwoTabsAlwaysShowAndWithoutTheMenuEveryTabShrinks) {
    bar->setCellOptimumWidth(800);
    bar->setCellMinWidth(800);
    addItems(3);
    // No share reaches the minimum, yet the first two stay in view.
    ASSERT_EQ(widths().size(), 2u);
    EXPECT_TRUE(cell(2).isInOverflowMenu());
    EXPECT_DOUBLE_EQ(widths()[0] + widths()[1], 1000);

    bar->setUseOverflowMenu(false);
    addItems(9);
    EXPECT_EQ(widths(), std::vector<double>(12, 83));
    EXPECT_EQ(bar->controller().overflowMenu(), nullptr);
}

TEST_F(TabLayout, CellsSizedToFitShrinkTowardTheMinimumAndFillTheRow) {
    bar->setSizeCellsToFit(true);
    addItems(3);
    for (const double width : widths()) {
        EXPECT_EQ(width, std::ceil(cell(0).desiredWidthOfCell()));
    }
    // Seventeen tabs of the same title cannot all fit: they shrink and the
    // row is filled to the point.
    addItems(14);
    const std::vector<double> shown = widths();
    double sum = 0;
    for (const double width : shown) {
        sum += width;
    }
    EXPECT_EQ(sum, 1000);
    EXPECT_TRUE(bar->cells().back()->isInOverflowMenu());
}

TEST_F(TabLayout, ShrinkingTakesWholePointsLastFirstAndNeverPassesTheTarget) {
    std::vector<double> widths{130, 120, 110};
    EXPECT_EQ(TavTabBarController::shrinkWidths(widths, 115, 340), 20);
    EXPECT_EQ(widths, (std::vector<double>{115, 115, 110}));
    // One pass runs even when the sum already fits.
    widths = {130, 120};
    EXPECT_EQ(TavTabBarController::shrinkWidths(widths, 100, 1000), 2);
    EXPECT_EQ(widths, (std::vector<double>{129, 119}));
}

TEST_F(TabLayout, StateBitsFollowTheSelectionAndThePosition) {
    addItems(3);
    // The first tab is selected: it is first (16); its neighbour has the
    // selected tab to its left (4) and is last (64).
    EXPECT_EQ(bits(), (std::vector<int>{2 + 16, 4, 64}));
    tabView->selectTabViewItemAtIndex(2);
    // The old selection carries 32 alone until the next layout; the new one
    // carries 2 alone and its left neighbour 8.
    EXPECT_EQ(bits(), (std::vector<int>{32, 8, 2}));
    EXPECT_EQ(cell(0).state(), 0);
    EXPECT_EQ(cell(2).state(), 1);
    bar->relayout(false);
    EXPECT_EQ(bits(), (std::vector<int>{16, 8, 2 + 64}));

    tabView->removeTabViewItem(*tabView->tabViewItemAtIndex(2));
    tabView->removeTabViewItem(*tabView->tabViewItemAtIndex(0));
    // The only visible tab.
    EXPECT_EQ(bits(), (std::vector<int>{2 + 208}));
}

TEST_F(TabLayout, OverflowTitlesAreCutToSixtyCharactersAndShowTheCount) {
    bar->setCellOptimumWidth(400);
    bar->setCellMinWidth(400);
    addItems(2);
    addItem(QString(60, QLatin1Char('a')));
    addItem(QString(61, QLatin1Char('b')));
    cell(3).setCount(3);
    bar->relayout(false);
    EXPECT_EQ(overflowTitles(), (QStringList{QString(60, QLatin1Char('a')),
                                             QString(59, QLatin1Char('b')) + QChar(0x2026) +
                                                 QStringLiteral(" (3)")}));
}

TEST_F(TabLayout, ChoosingAnOverflowItemSelectsItsTabAndTheMenuChecksTheSelectedOne) {
    bar->setCellOptimumWidth(400);
    bar->setCellMinWidth(400);
    addItems(4);
    QMenu* menu = bar->controller().overflowMenu();
    ASSERT_NE(menu, nullptr);
    QAction* last = menu->actions().back();
    last->trigger();
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(3));
    bar->validateOverflowMenu(*menu);
    EXPECT_TRUE(last->isChecked());
    EXPECT_FALSE(menu->actions()[1]->isChecked());
    // It stays in the menu: the bar does not bring it to the front.
    EXPECT_TRUE(cell(3).isInOverflowMenu());

    bar->setAlwaysShowActiveTab(true);
    tabView->selectTabViewItemAtIndex(2);
    EXPECT_EQ(tabView->tabViewItemAtIndex(0)->label(), QStringLiteral("Tab 3"));
    EXPECT_EQ(cell(0).representedObject()->label(), QStringLiteral("Tab 3"));
    EXPECT_FALSE(cell(0).isInOverflowMenu());
    EXPECT_EQ(cell(0).state(), 1);
}

TEST_F(TabLayout, StoredRectanglesOutsideTheirRangeAreLoggedAndZero) {
    addItems(2);
    const TavTabBarController& controller = bar->controller();
    EXPECT_EQ(controller.cellFrameAtIndex(1), cell(1).frame());
    EXPECT_EQ(controller.cellTrackingRectAtIndex(0), cell(0).frame());
    EXPECT_EQ(controller.closeButtonTrackingRectAtIndex(0),
              cell(0).closeButtonRectForFrame(cell(0).frame()));
    CapturingLogSink log;
    EXPECT_EQ(controller.cellFrameAtIndex(-1), QRectF());
    EXPECT_EQ(controller.cellTrackingRectAtIndex(2), QRectF());
    EXPECT_EQ(controller.closeButtonTrackingRectAtIndex(2), QRectF());
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"cellFrameAtIndex: Invalid index (-1)",
                                        "cellTrackingRectAtIndex: Invalid index (2)",
                                        "closeButtonTrackingRectAtIndex: Invalid index (2)"}));
}

TEST_F(TabLayout, TheAddTabButtonSitsTwoPointsRightOfTheLastTab) {
    // Without tabs it sits two points right of the left margin.
    EXPECT_EQ(bar->controller().addButtonRect(), QRectF(4, 3, 16, 16));
    addItems(2);
    bar->setShowAddTabButton(true);
    EXPECT_EQ(bar->controller().addButtonRect(), QRectF(2 + 300 + 2, 3, 16, 16));
    EXPECT_FALSE(bar->addTabButton()->isHidden());
    EXPECT_EQ(bar->addTabButton()->geometry(), QRect(304, 3, 16, 16));
}
