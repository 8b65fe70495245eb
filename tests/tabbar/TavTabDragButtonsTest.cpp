#include "TabDragFixture.h"
#include "support/CapturingLogSink.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

using TavTabDragButtonsTest = TabDragFixture;

bool closedHand() {
    return QGuiApplication::overrideCursor() &&
           QGuiApplication::overrideCursor()->shape() == Qt::ClosedHandCursor;
}

TEST_F(TavTabDragButtonsTest, ABarUnderADragHidesItsButtonsUntilTheDragEnds) {
    bar->setShowAddTabButton(true);
    addItems(9);
    show();
    ASSERT_TRUE(bar->overflowPopUpButton()->isVisible());
    ASSERT_TRUE(bar->addTabButton()->isVisible());
    QWidget otherWindow;
    auto* other = new TavTabBarControl(&otherWindow);
    auto* otherView = new KivTabView(&otherWindow);
    other->setTabView(otherView);
    other->setDelegate(&dragging);
    other->setShowAddTabButton(true);
    otherView->addTabViewItem(
        std::make_unique<KivTabViewItem>(QVariant(), QStringLiteral("Other"), new QWidget));
    other->resize(400, 22);
    otherWindow.show();
    ASSERT_TRUE(other->addTabButton()->isVisible());

    assistant.startDraggingCell(cell(1), *bar, cell(1).frame().center());
    EXPECT_FALSE(bar->overflowPopUpButton()->isVisible());
    EXPECT_FALSE(bar->addTabButton()->isVisible());
    assistant.draggingExitedTabBar(*bar);
    assistant.draggingEnteredTabBar(*other, QPointF(5, 5));
    EXPECT_FALSE(other->addTabButton()->isVisible());
    for (int i = 0; i < TavTabDragAssistant::kSteps; ++i) {
        assistant.animateDrag();
    }
    EXPECT_FALSE(bar->overflowPopUpButton()->isVisible());
    EXPECT_FALSE(bar->addTabButton()->isVisible());

    assistant.draggingExitedTabBar(*other);
    assistant.draggingEnteredTabBar(*bar, cell(0).frame().center());
    assistant.performDragOperation();
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_TRUE(bar->overflowPopUpButton()->isVisible());
    EXPECT_TRUE(bar->addTabButton()->isVisible());
    EXPECT_TRUE(other->addTabButton()->isVisible());
}

TEST_F(TavTabDragButtonsTest, TheClosedHandIsTheCursorUntilEveryKindOfEnd) {
    CapturingLogSink log;
    addItems(3);
    show();
    assistant.registerTabBar(*bar);
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A drop in the bar.
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    EXPECT_TRUE(closedHand());
    assistant.performDragOperation();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // An end outside every bar where the delegate gives no window.
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    assistant.draggingExitedTabBar(*bar);
    assistant.draggedImageEndedAt(QPointF(900, 900));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // An end outside where the delegate refuses a tear-off.
    dragging.dropsOutside = false;
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    EXPECT_TRUE(closedHand());
    assistant.draggingExitedTabBar(*bar);
    assistant.draggedImageEndedAt(QPointF(900, 900));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The source bar goes mid-drag: the drag ends with it, once.
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    EXPECT_TRUE(closedHand());
    assistant.removeTabBar(*bar);
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    assistant.mouseReleasedAt(bar->mapToGlobal(QPointF(5, 5)));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(began, 4);
    EXPECT_EQ(ended, 4);
}

} // namespace
