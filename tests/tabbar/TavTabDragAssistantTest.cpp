#include "tabbar/TavTabDragAssistant.h"

#include "TabBarFixture.h"
#include "foundation/NotificationCenter.h"
#include "support/CapturingLogSink.h"

namespace {

// Allows every drag and drop and writes down the drops.
class DraggingDelegate : public RecordingTabBarDelegate {
public:
    bool tabViewShouldDragTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl&) override {
        return true;
    }
    bool implementsShouldDropTabViewItem() const override { return true; }
    bool tabViewShouldDropTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl*) override {
        return true;
    }
    void tabViewDidDropTabViewItem(KivTabView&, KivTabViewItem& item, TavTabBarControl&) override {
        events.push_back("dropped " + item.label().toStdString());
    }
    bool implementsNewTabBarForDraggedTabViewItem() const override { return true; }
    TavTabBarControl* tabViewNewTabBarForDraggedTabViewItem(KivTabView&, KivTabViewItem&,
                                                            const QPointF&) override {
        return newBar;
    }
    TavTabBarControl* newBar = nullptr;
};

class TavTabDragAssistantTest : public TabBarFixture {
protected:
    TavTabDragAssistantTest()
        : TabBarFixture(560) {
        bar->setDelegate(&dragging);
        begins = NotificationCenter::defaultCenter().addObserver(
            TavTabDragAssistant::kDidBeginNotification, nullptr,
            [this](const Notification&) { ++began; });
        ends = NotificationCenter::defaultCenter().addObserver(
            TavTabDragAssistant::kDidEndNotification, nullptr,
            [this](const Notification&) { ++ended; });
    }
    std::vector<QString> labels() const {
        std::vector<QString> result;
        for (int i = 0; i < tabView->numberOfTabViewItems(); ++i) {
            result.push_back(tabView->tabViewItemAtIndex(i)->label());
        }
        return result;
    }
    std::vector<QString> cellTitles() const {
        std::vector<QString> result;
        for (const auto& each : bar->cells()) {
            result.push_back(each->stringValue());
        }
        return result;
    }

    TavTabDragAssistant assistant;
    DraggingDelegate dragging;
    Connection begins;
    Connection ends;
    int began = 0;
    int ended = 0;
};

TEST_F(TavTabDragAssistantTest, PlaceholderSizesFollowTheSine) {
    const TavTabBarCell cell(QRectF(0, 0, 150, 22), true, *bar);
    EXPECT_EQ(TavTabDragAssistant::sineCurveWidthsForCell(cell),
              (std::vector<int>{0, 5, 22, 48, 78, 107, 133, 150}));
}

TEST_F(TavTabDragAssistantTest, ReorderWithinTheBarMovesTheItemAndNotifiesOnce) {
    addItems(3);
    show();
    TavTabBarCell& third = cell(2);
    assistant.startDraggingCell(third, *bar, third.frame().center());
    EXPECT_TRUE(assistant.isDragging());
    EXPECT_EQ(assistant.draggedCell(), &third);
    EXPECT_EQ(assistant.pasteboardString(), QStringLiteral("2"));
    EXPECT_EQ(began, 1);
    EXPECT_TRUE(cell(0).isPlaceholder());

    assistant.draggingUpdatedInTabBar(*bar, bar->genericCellRect().topLeft() + QPointF(2, 5));
    for (int i = 0; i < TavTabDragAssistant::kSteps; ++i) {
        assistant.animateDrag();
    }
    assistant.performDragOperation();
    assistant.draggedImageEndedAt(QPointF(0, 0));

    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(labels(), (std::vector<QString>{"Tab 3", "Tab 1", "Tab 2"}));
    EXPECT_EQ(cellTitles(), labels());
    EXPECT_EQ(std::count(dragging.events.begin(), dragging.events.end(), "dropped Tab 3"), 1);
    EXPECT_EQ(began, 1);
    EXPECT_EQ(ended, 1);
}

TEST_F(TavTabDragAssistantTest, DropWithoutTargetLandsBeforeTheOverflowTabs) {
    addItems(9);
    show();
    const int visible = bar->numberOfVisibleTabs();
    ASSERT_LT(visible, 9);
    TavTabBarCell& first = cell(0);
    assistant.startDraggingCell(first, *bar, first.frame().center());
    // No animation tick yet: the drop has no target.
    assistant.performDragOperation();

    ASSERT_EQ(bar->cells().size(), 9u);
    for (const auto& each : bar->cells()) {
        EXPECT_FALSE(each->isPlaceholder());
        EXPECT_NE(each->representedObject(), nullptr);
    }
    EXPECT_EQ(tabView->indexOfTabViewItem(first.representedObject()), visible - 1);
    EXPECT_EQ(cellTitles(), labels());
    EXPECT_EQ(ended, 1);
}

TEST_F(TavTabDragAssistantTest, TearOffWithoutNewBarLogsAndReturnsTheTab) {
    CapturingLogSink log;
    addItems(3);
    show();
    TavTabBarCell& second = cell(1);
    assistant.startDraggingCell(second, *bar, second.frame().center());
    assistant.draggingExitedTabBar(*bar);
    assistant.draggedImageEndedAt(QPointF(900, 900));

    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Delegate returned no control to add to."}));
    EXPECT_EQ(labels(), (std::vector<QString>{"Tab 1", "Tab 2", "Tab 3"}));
    EXPECT_EQ(cellTitles(), labels());
    EXPECT_EQ(ended, 1);
}

TEST_F(TavTabDragAssistantTest, BarWithoutDropOperationRefusesOthersTabs) {
    addItems(2);
    show();
    RecordingTabBarDelegate plain;
    TavTabBarControl other(&window);
    KivTabView otherView(&window);
    other.setTabView(&otherView);
    other.setDelegate(&plain);
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    EXPECT_FALSE(assistant.acceptsDragInTabBar(other));
    EXPECT_TRUE(assistant.acceptsDragInTabBar(*bar));
    assistant.performDragOperation();
}

TEST_F(TavTabDragAssistantTest, BarClosedDuringDragIsForgotten) {
    addItems(2);
    show();
    auto* other = new TavTabBarControl(&window);
    assistant.registerTabBar(*other);
    assistant.registerTabBar(*bar);
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    const QPointF inOther = other->mapToGlobal(QPointF(5, 5));
    delete other;
    assistant.mouseMovedTo(inOther);
    assistant.animateDrag();
    assistant.mouseReleasedAt(bar->mapToGlobal(cell(0).frame().center()));
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(labels().size(), 2u);
    EXPECT_EQ(cellTitles().size(), 2u);
}

} // namespace
