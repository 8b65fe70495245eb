// A window's lone tab dragged out of it: the window goes out of sight with
// it and comes back unless the tab leaves for good.
#include "TabDragFixture.h"
#include "support/CapturingLogSink.h"
#include "tabbar/TavTabDragWindowController.h"

namespace {

// The values the assistant sets are tested: the offscreen platform keeps a
// window's opacity but shows nothing of it.
using TavTabDragLoneTabTest = TabDragFixture;

TEST_F(TavTabDragLoneTabTest, TheLoneTabLeavingItsWindowHidesItUntilItIsDroppedBack) {
    bar->setTearOffStyle(0);
    addItems(1);
    show();
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    assistant.draggingExitedTabBar(*bar);
    EXPECT_EQ(window.windowOpacity(), 0.0);
    ASSERT_NE(assistant.draggedView(), nullptr);
    // The content shows at once, without a fade.
    EXPECT_EQ(assistant.draggedView()->alpha(), TavTabDragWindowController::kAlpha);
    EXPECT_EQ(assistant.draggedTab()->alpha(), TavTabDragWindowController::kAlpha);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    assistant.draggingEnteredTabBar(*bar, QPointF(5, 5));
    for (int i = 0; i < 6; ++i) {
        scheduler.advance(TavTabDragAssistant::kAnimationInterval);
    }
    EXPECT_EQ(assistant.draggedView()->alpha(), 0.0);
    EXPECT_EQ(window.windowOpacity(), 0.0);
    assistant.performDragOperation();
    EXPECT_EQ(window.windowOpacity(), 1.0);
    EXPECT_EQ(labels(), (std::vector<QString>{"Tab 1"}));
}

TEST_F(TavTabDragLoneTabTest, ARefusedTearOffOfTheLoneTabShowsItsWindowAgain) {
    CapturingLogSink log;
    bar->setTearOffStyle(1);
    addItems(1);
    show();
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    assistant.draggingExitedTabBar(*bar);
    EXPECT_EQ(window.windowOpacity(), 0.0);
    // The tab stays a tab: there is no window left to show its image.
    EXPECT_FALSE(assistant.draggedTab()->isShowingAlternate());
    assistant.draggedImageEndedAt(QPointF(900, 900));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Delegate returned no control to add to."}));
    EXPECT_EQ(window.windowOpacity(), 1.0);
    EXPECT_EQ(cellTitles(), (std::vector<QString>{"Tab 1"}));
}

TEST_F(TavTabDragLoneTabTest, OneOfSeveralTabsLeavesItsWindowInSight) {
    CapturingLogSink log;
    bar->setTearOffStyle(0);
    addItems(2);
    show();
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    assistant.draggingExitedTabBar(*bar);
    EXPECT_EQ(window.windowOpacity(), 1.0);
    EXPECT_EQ(assistant.draggedView()->alpha(), 0.0);
    assistant.draggedImageEndedAt(QPointF(900, 900));
}

} // namespace
