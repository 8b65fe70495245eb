#include "tabbar/TavTabDragAssistant.h"

#include "KivUI/views/KivAnimation.h"
#include "TabDragFixture.h"
#include "foundation/NotificationCenter.h"
#include "support/CapturingLogSink.h"
#include "tabbar/TavTabDragView.h"
#include "tabbar/TavTabDragWindowController.h"
#include "tabbar/TavTearOffProxyWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {

class TavTabDragAssistantTest : public TabDragFixture {
protected:
    // Two tabs in a tear-off style 1 bar; its first tab dragged, with
    // `torn` (400 x 300) as the window the delegate gives a torn-off tab.
    void startTearOffDrag(QWidget& torn) {
        bar->setTearOffStyle(1);
        addItems(2);
        show();
        torn.resize(400, 300);
        dragging.newBar = new TavTabBarControl(&torn);
        torn.show();
        assistant.registerTabBar(*bar);
        assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    }
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
    // Pressed under the mouse: the drag takes the hover away, or the tab
    // would keep its close button wherever it lands.
    third.setHighlighted(true);
    third.setCloseButtonOver(true);
    assistant.startDraggingCell(third, *bar, third.frame().center());
    EXPECT_TRUE(assistant.isDragging());
    EXPECT_EQ(assistant.draggedCell(), &third);
    EXPECT_FALSE(third.isHighlighted());
    EXPECT_FALSE(third.closeButtonOver());
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

TEST_F(TavTabDragAssistantTest, OnlyATabThatMayTearOffFloatsUnderThePointer) {
    addItems(2);
    show();
    bar->setDelegate(&delegate);
    assistant.startDraggingCell(cell(0), *bar, cell(0).frame().center());
    EXPECT_TRUE(assistant.isDragging());
    EXPECT_EQ(assistant.draggedTab(), nullptr);
    assistant.draggingExitedTabBar(*bar);
    assistant.draggedImageEndedAt(QPointF(900, 900));
    EXPECT_FALSE(assistant.isDragging());
}

TEST_F(TavTabDragAssistantTest, TheDraggedTabFollowsThePointerAndIsTheWindowOutsideEveryBar) {
    bar->setTearOffStyle(1);
    addItems(3);
    show();
    assistant.registerTabBar(*bar);
    const QRectF frame = cell(1).frame();
    const QPointF press = frame.center();
    const QImage tab = cell(1).dragImage();
    assistant.startDraggingCell(cell(1), *bar, press);
    ASSERT_NE(assistant.draggedTab(), nullptr);
    const QPointer<QWidget> dragged = &assistant.draggedTab()->window();
    EXPECT_TRUE(dragged->isVisible());
    EXPECT_EQ(assistant.draggedTab()->image().size(), tab.size());
    EXPECT_EQ(dragged->size(), tab.size());
    EXPECT_EQ(dragged->pos(), bar->mapToGlobal(frame.topLeft().toPoint()));
    // Along the bar it keeps its place against the pointer.
    assistant.mouseMovedTo(bar->mapToGlobal(press + QPointF(30, 0)));
    EXPECT_EQ(dragged->pos(), bar->mapToGlobal(frame.topLeft().toPoint() + QPoint(30, 0)));
    EXPECT_FALSE(assistant.draggedTab()->isShowingAlternate());

    // Out of the bar it morphs into the window's image, centred on the pointer.
    const QPoint outside = bar->mapToGlobal(QPoint(200, 300));
    QCursor::setPos(outside);
    assistant.mouseMovedTo(outside);
    EXPECT_EQ(assistant.destinationTabBar(), nullptr);
    EXPECT_TRUE(assistant.draggedTab()->isShowingAlternate());
    const QSize image = assistant.draggedTab()->alternateImage().size();
    EXPECT_EQ(std::max(image.width(), image.height()), TavTabDragAssistant::kWindowImageSize);
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    EXPECT_EQ(dragged->size(), image);
    EXPECT_EQ(assistant.draggedTab()->window().dragView().fadeValue(), 0.0);
    const QPoint further = outside + QPoint(40, 10);
    assistant.mouseMovedTo(further);
    EXPECT_LE((dragged->geometry().center() - further).manhattanLength(), 2);

    // Back on the bar it is the tab again.
    const QPoint inside = bar->mapToGlobal(press.toPoint());
    QCursor::setPos(inside);
    assistant.mouseMovedTo(inside);
    EXPECT_EQ(assistant.destinationTabBar(), bar);
    EXPECT_FALSE(assistant.draggedTab()->isShowingAlternate());
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    EXPECT_EQ(dragged->size(), tab.size());
    EXPECT_EQ(assistant.draggedTab()->window().dragView().fadeValue(), 1.0);

    for (int i = 0; i < TavTabDragAssistant::kSteps; ++i) {
        assistant.animateDrag();
    }
    assistant.mouseReleasedAt(inside);
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(assistant.draggedTab(), nullptr);
    EXPECT_TRUE(dragged.isNull());
    EXPECT_EQ(labels(), (std::vector<QString>{"Tab 1", "Tab 2", "Tab 3"}));
    assistant.removeTabBar(*bar);
}

TEST_F(TavTabDragAssistantTest,
       ATabReleasedOutsideEveryBarTearsOffIntoAWindowGrowingFromThePointer) {
    QWidget torn;
    startTearOffDrag(torn);
    const QPoint outside = bar->mapToGlobal(QPoint(300, 500));
    QCursor::setPos(outside);
    assistant.mouseMovedTo(outside);
    assistant.mouseReleasedAt(outside);
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(std::count(dragging.events.begin(), dragging.events.end(), "dropped Tab 1"), 1);

    // The new window waits hidden while its image grows from a tenth about
    // the pointer and fades in.
    EXPECT_FALSE(torn.isVisible());
    const QPointer<TavTearOffProxyWindow> proxy = static_cast<TavTearOffProxyWindow*>(
        torn.findChild<QWidget*>(QStringLiteral("tearOffProxyWindow")));
    ASSERT_TRUE(proxy);
    EXPECT_TRUE(proxy->isVisible());
    EXPECT_EQ(proxy->geometry(), QRect(outside - QPoint(20, 15), QSize(40, 30)));
    EXPECT_EQ(proxy->finalGeometry(), QRect(outside - QPoint(200, 150), QSize(400, 300)));
    std::vector<int> widths;
    for (int i = 0; i < 7; ++i) {
        scheduler.advance(KivAnimation::kTick);
        widths.push_back(proxy->width());
        const QPointF centre = QRectF(proxy->geometry()).center();
        EXPECT_NEAR(centre.x(), outside.x(), 0.5) << i;
        EXPECT_NEAR(centre.y(), outside.y(), 0.5) << i;
    }
    EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
    EXPECT_LT(widths.back(), 400);
    EXPECT_FALSE(torn.isVisible());
    scheduler.advance(KivAnimation::kTick);
    // Then the window itself shows where its image ended.
    EXPECT_TRUE(torn.isVisible());
    EXPECT_FALSE(proxy->isVisible());
    EXPECT_EQ(torn.geometry(), QRect(outside - QPoint(200, 150), QSize(400, 300)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(proxy.isNull());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    assistant.removeTabBar(*bar);
}

TEST_F(TavTabDragAssistantTest, ATabTornOffNearTheScreensCornerGetsAWindowWhollyOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window.move(screen.center());
    QWidget torn;
    startTearOffDrag(torn);
    const QPoint corner = screen.topLeft() + QPoint(5, 5);
    assistant.mouseMovedTo(corner);
    assistant.mouseReleasedAt(corner);
    const auto* proxy = static_cast<TavTearOffProxyWindow*>(
        torn.findChild<QWidget*>(QStringLiteral("tearOffProxyWindow")));
    ASSERT_NE(proxy, nullptr);
    // Centred on the pointer it would hang off the screen's top and left.
    EXPECT_EQ(proxy->finalGeometry(), QRect(screen.topLeft(), QSize(400, 300)));
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    EXPECT_TRUE(screen.contains(torn.geometry()));
    assistant.removeTabBar(*bar);
}

} // namespace
