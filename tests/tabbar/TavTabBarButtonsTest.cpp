// The overflow pull-down, the add-tab button and the cell's own rules.
#include "TabBarFixture.h"
#include "tabbar/TavOverflowPopUpButton.h"
#include "tabbar/TavRolloverButton.h"

#include <QEnterEvent>

TEST_F(TabBarFixture, TheOverflowButtonPulsesItsAlternateImageWhileShown) {
    show();
    TavOverflowPopUpButton& button = *bar->overflowPopUpButton();
    button.show();
    button.setAnimatingAlternateImage(true);
    EXPECT_DOUBLE_EQ(button.animationValue(), 0.033);
    scheduler.advance(TavOverflowPopUpButton::kPulseInterval);
    EXPECT_DOUBLE_EQ(button.animationValue(), 0.066);
    for (int i = 0; i < 28; ++i) {
        scheduler.advance(TavOverflowPopUpButton::kPulseInterval);
    }
    EXPECT_NEAR(button.animationValue(), 0.033 * 30, 1e-9);
    scheduler.advance(TavOverflowPopUpButton::kPulseInterval);
    EXPECT_DOUBLE_EQ(button.animationValue(), 0.033);
    // Hidden, it stops; shown again, it starts over.
    button.hide();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    button.show();
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    button.setAnimatingAlternateImage(false);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(TabBarFixture, TheAddTabButtonShowsItsRolloverImageWhileTheMouseIsInside) {
    TavRolloverButton& button = *bar->addTabButton();
    EXPECT_EQ(button.image(), bar->style().addTabButtonImage());
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.image(), bar->style().addTabButtonRolloverImage());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.image(), bar->style().addTabButtonImage());
}

TEST_F(TabBarFixture, ACellKeepsItsStepWithinRangeAndAPlaceholderIsAGap) {
    TavTabBarCell tab(*bar);
    tab.setCurrentStep(-3);
    EXPECT_EQ(tab.currentStep(), 0);
    tab.setCurrentStep(12);
    EXPECT_EQ(tab.currentStep(), 7);
    TavTabBarCell collapsed(QRectF(10, 0, 150, 22), false, *bar);
    EXPECT_TRUE(collapsed.isPlaceholder());
    EXPECT_EQ(collapsed.frame(), QRectF(10, 0, 0, 22));
    EXPECT_EQ(collapsed.currentStep(), 0);
    EXPECT_EQ(collapsed.indicator(), nullptr);
    TavTabBarCell expanded(QRectF(10, 0, 150, 22), true, *bar);
    EXPECT_EQ(expanded.frame(), QRectF(10, 0, 150, 22));
    EXPECT_EQ(expanded.currentStep(), 7);
}
