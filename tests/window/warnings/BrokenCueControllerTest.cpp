// The warnings: the button's count, reloads coalesced on the main loop's
// timers, the list's columns and selection, the popover that opens by itself
// once and the keys it keeps or hands back.
#include "window/warnings/BrokenCueController.h"

#include "KivUI/WidgetRender.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/outline/KivTableView.h"
#include "foundation/ManualScheduler.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "window/WindowFixture.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"
#include "window/tabs/CartTabBar.h"
#include "window/warnings/BrokenCueView.h"
#include "window/warnings/PopoverWindow.h"
#include "window/workspace/PondraWindow.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::vector<SafetyConcern> outsideTheGrid(std::size_t count) {
    return std::vector<SafetyConcern>(count, SafetyConcern({}, SafetyConcern::kOutsideGrid));
}

// A window with a warnings button, recording the keys it is sent.
class ButtonWindow : public QWidget {
public:
    ButtonWindow() {
        resize(600, 400);
        auto* layout = new QVBoxLayout(this);
        layout->addStretch(1);
        layout->addWidget(button);
    }
    QPushButton* button = new QPushButton(this);
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

class BrokenCues : public ::testing::Test {
protected:
    BrokenCues() {
        window.show();
        controller.setWarningButton(window.button);
    }
    void sendKey(QWidget& to, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&to, &press);
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    std::vector<SafetyConcern> concerns = outsideTheGrid(3);
    int refreshes = 0;
    std::vector<std::shared_ptr<AudioCue>> selected;
    BrokenCueController controller{
        [this] {
            ++refreshes;
            return concerns;
        },
        [this](const std::shared_ptr<AudioCue>& cue) { selected.push_back(cue); }, scheduler};
    ButtonWindow window;
};

} // namespace

TEST_F(BrokenCues, TenReloadsWithinTheDelayGiveOneRefreshAfterTheLast) {
    for (int i = 0; i < 10; ++i) {
        controller.reloadData();
        scheduler.advance(0.004);
    }
    EXPECT_EQ(refreshes, 0);
    scheduler.advance(BrokenCueController::kReloadDelay - 0.004 - 0.001);
    EXPECT_EQ(refreshes, 0);
    scheduler.advance(0.002);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(controller.popoverView()->tableView()->model()->rowCount(), 3);
    scheduler.advance(1.0);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(BrokenCues, TheButtonCountsTheWarningsAndHidesWithoutAny) {
    controller.reloadDataNow();
    EXPECT_EQ(window.button->text(), QStringLiteral("3 Warnings"));
    EXPECT_FALSE(window.button->isHidden());
    EXPECT_EQ(controller.popoverView()->label()->text(), QStringLiteral("3 Warnings"));

    concerns.clear();
    controller.hidePopover();
    controller.reloadDataNow();
    EXPECT_TRUE(window.button->isHidden());
    EXPECT_EQ(controller.popoverView()->label()->text(), QStringLiteral("0 Warnings"));
    controller.showPopoverIfNeeded();
    EXPECT_EQ(controller.popover(), nullptr);
}

TEST_F(BrokenCues, OneWarningIsCountedInTheSingular) {
    concerns = outsideTheGrid(1);
    BrokenCueView inspectorList;
    controller.attachView(&inspectorList);
    controller.reloadDataNow();
    EXPECT_EQ(window.button->text(), QStringLiteral("1 Warning"));
    EXPECT_EQ(controller.popoverView()->label()->text(), QStringLiteral("1 Warning"));
    EXPECT_EQ(inspectorList.label()->text(), QStringLiteral("1 Warning"));
    concerns = outsideTheGrid(2);
    controller.reloadDataNow();
    EXPECT_EQ(window.button->text(), QStringLiteral("2 Warnings"));
    EXPECT_EQ(inspectorList.label()->text(), QStringLiteral("2 Warnings"));
    EXPECT_EQ(BrokenCueView::countText(0), QStringLiteral("0 Warnings"));
    EXPECT_EQ(BrokenCueView::countText(11), QStringLiteral("11 Warnings"));
}

TEST_F(BrokenCues, ThePopoverOpensByItselfOnlyAtTheFirstRefresh) {
    controller.reloadData();
    scheduler.advance(BrokenCueController::kReloadDelay);
    ASSERT_NE(controller.popover(), nullptr);
    EXPECT_TRUE(controller.popover()->isVisible());
    EXPECT_EQ(controller.popover()->view(), controller.popoverView());
    EXPECT_EQ(controller.popover()->parentWidget(), &window);
    // Above the button's top centre.
    EXPECT_EQ(controller.popover()->side(), 3);
    const QPoint buttonTop = window.button->mapToGlobal(QPoint(window.button->width() / 2, 0));
    EXPECT_EQ(controller.popover()->geometry().bottom() + 1, buttonTop.y());
    EXPECT_NEAR(controller.popover()->geometry().center().x(), buttonTop.x(), 1);

    controller.hidePopover();
    EXPECT_EQ(controller.popover(), nullptr);
    controller.reloadData();
    scheduler.advance(BrokenCueController::kReloadDelay);
    EXPECT_EQ(controller.popover(), nullptr);
    // Asked for, it opens again.
    controller.showPopoverIfNeeded();
    EXPECT_NE(controller.popover(), nullptr);
}

TEST_F(BrokenCues, AFirstRefreshWithoutWarningsUsesUpTheOpeningByItself) {
    concerns.clear();
    controller.reloadDataNow();
    EXPECT_EQ(controller.popover(), nullptr);
    concerns = outsideTheGrid(1);
    controller.reloadDataNow();
    EXPECT_FALSE(window.button->isHidden());
    EXPECT_EQ(controller.popover(), nullptr);
}

TEST_F(BrokenCues, AfterPrepareToDieNothingRefreshes) {
    controller.reloadData();
    controller.prepareToDie();
    scheduler.advance(1.0);
    controller.reloadData();
    scheduler.advance(1.0);
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(BrokenCues, ThePopoverKeepsReturnAndEnterAndHandsEveryOtherKeyToItsWindow) {
    controller.reloadDataNow();
    ASSERT_NE(controller.popover(), nullptr);
    QPointer<PopoverWindow> popover = controller.popover();
    sendKey(*popover, Qt::Key_Return);
    sendKey(*popover, Qt::Key_Enter);
    EXPECT_TRUE(window.keys.empty());
    EXPECT_EQ(controller.popover(), popover);

    sendKey(*popover, Qt::Key_A);
    EXPECT_EQ(window.keys, std::vector<int>{Qt::Key_A});
    EXPECT_EQ(controller.popover(), nullptr);
    EXPECT_FALSE(popover->isVisible());
    // Gone once the loop runs; the list it showed stays the controller's.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(popover.isNull());
    EXPECT_EQ(controller.popoverView()->parentWidget(), nullptr);
    controller.showPopoverIfNeeded();
    ASSERT_NE(controller.popover(), nullptr);
    EXPECT_EQ(controller.popoverView()->parentWidget(), controller.popover());
}

TEST_F(BrokenCues, AnotherAttachedListIsFedToo) {
    BrokenCueView inspectorList;
    controller.attachView(&inspectorList);
    controller.reloadDataNow();
    EXPECT_EQ(inspectorList.concerns().size(), 3u);
    EXPECT_EQ(inspectorList.label()->text(), QStringLiteral("3 Warnings"));
}

TEST_F(WindowFixture, TheWarningsListNamesEachCueItsCartAndTheWarning) {
    openWindow();
    auto a = placeCue(wav("a.wav", 0.1f), 0, "A");
    auto b = placeCue(wav("b.wav", 0.1f), 1, "A");
    auto c = placeCue(wav("c.wav", 0.1f), 2, "A");
    a->setName("Thunder");
    b->setName("Rain");
    BrokenCueController& warnings = controller->brokenCueController();
    warnings.reloadData();
    scheduler.advance(BrokenCueController::kReloadDelay);
    EXPECT_EQ(controller->window()->warningButton()->text(), QStringLiteral("3 Warnings"));
    EXPECT_FALSE(controller->window()->warningButton()->isHidden());

    const QAbstractItemModel& table = *warnings.brokenCueTableView()->model();
    ASSERT_EQ(table.rowCount(), 3);
    ASSERT_EQ(table.columnCount(), 3);
    EXPECT_EQ(table.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cue Name"));
    EXPECT_EQ(table.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Cart Name"));
    EXPECT_EQ(table.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Warning"));
    EXPECT_EQ(table.data(table.index(0, 0)).toString(), QStringLiteral("Thunder"));
    EXPECT_EQ(table.data(table.index(0, 1)).toString(), QStringLiteral("Cart 1"));
    EXPECT_EQ(table.data(table.index(0, 2)).toString(),
              QString::fromStdString(warnings.brokenOrFlaggedCues()[0].description()));
    EXPECT_TRUE(table.data(table.index(0, 2))
                    .toString()
                    .startsWith(QStringLiteral("same hotkey trigger as Rain")));

    // Picking a row selects its cue in the grid.
    warnings.brokenCueTableView()->selectRow(2);
    EXPECT_EQ(grid().selectedCue(), b);
}

TEST_F(WindowFixture, AWarningPickedAfterATabReorderShowsTheCueInItsOwnTab) {
    openWindow();
    for (int tab = 0; tab < 2; ++tab) {
        controller->window()->action(QStringLiteral("newTab"))->trigger();
        workspace->undoManager().endTurn();
    }
    // The row unfolds for the second cart.
    scheduler.advance(0.1);
    const std::shared_ptr<Cart> third = grid().cart();
    placeCue(wav("a.wav", 0.1f), 0, "A");
    placeCue(wav("b.wav", 0.1f), 5, "A");

    // The third tab dragged to the front of the row with the mouse.
    TavTabBarControl& bar = *controller->window()->tabs()->tabBar();
    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    const QPointF from = bar.cells().at(2)->frame().center();
    const QPointF front(bar.genericCellRect().left() + 2.0, from.y());
    sendMouse(bar, QEvent::MouseButtonPress, from);
    sendMouse(bar, QEvent::MouseMove, from - QPointF(40, 0));
    ASSERT_TRUE(assistant.isDragging());
    sendMouse(bar, QEvent::MouseMove, front);
    assistant.animateDrag();
    sendMouse(bar, QEvent::MouseButtonRelease, front);
    ASSERT_EQ(controller->controllerAtTab(0)->cart(), third);
    controller->selectTab(2);

    BrokenCueController& warnings = controller->brokenCueController();
    warnings.reloadDataNow();
    ASSERT_EQ(warnings.brokenOrFlaggedCues().size(), 1u);
    warnings.brokenCueTableView()->selectRow(0);
    EXPECT_EQ(controller->window()->tabs()->currentIndex(), 0);
    EXPECT_EQ(grid().cart(), third);
    EXPECT_EQ(grid().selectedCue(), warnings.brokenOrFlaggedCues()[0].cue());
}

TEST_F(WindowFixture, UndoStepsReloadTheWarningsOutsideShowModeOnly) {
    openWindow();
    scheduler.advance(BrokenCueController::kReloadDelay);
    VornButton& button = *controller->window()->warningButton();
    EXPECT_TRUE(button.isHidden());
    placeCue(wav("a.wav", 0.1f), 0, "A");
    placeCue(wav("b.wav", 0.1f), 1, "A");
    scheduler.advance(BrokenCueController::kReloadDelay);
    EXPECT_EQ(button.text(), QStringLiteral("1 Warning"));
    EXPECT_FALSE(button.isHidden());
    controller->edits().undo();
    scheduler.advance(BrokenCueController::kReloadDelay);
    EXPECT_TRUE(button.isHidden());

    // A show is not interrupted: steps taken in show mode wait.
    controller->setShowMode();
    controller->undoManager().redo();
    scheduler.advance(BrokenCueController::kReloadDelay);
    EXPECT_TRUE(button.isHidden());
}

TEST_F(WindowFixture, TheFirstWarningsOfAWindowOpenThePopoverAndChangingTabsReloadsThem) {
    openWindow();
    auto second = std::make_shared<Cart>();
    workspace->addCart(second);
    controller->addControllerForCart(second);
    auto a = placeCue(wav("a.wav", 0.1f), 0, "A");
    auto b = placeCue(wav("b.wav", 0.1f), 1, "A");
    scheduler.advance(BrokenCueController::kReloadDelay);
    BrokenCueController& warnings = controller->brokenCueController();
    ASSERT_NE(warnings.popover(), nullptr);
    EXPECT_EQ(warnings.popover()->parentWidget(), controller->window());
    warnings.hidePopover();

    // Changed behind the undo manager's back: the next tab change catches it.
    b->setHotkey("B");
    controller->selectTab(1);
    scheduler.advance(BrokenCueController::kReloadDelay);
    EXPECT_TRUE(controller->window()->warningButton()->isHidden());
    EXPECT_EQ(warnings.popover(), nullptr);
}

TEST_F(WindowFixture, TheWarningButtonSlidesTheListIntoTheInspectorAndClosesThePopover) {
    openWindow();
    placeCue(wav("a.wav", 0.1f), 0, "A");
    placeCue(wav("b.wav", 0.1f), 1, "A");
    scheduler.advance(BrokenCueController::kReloadDelay);
    BrokenCueController& warnings = controller->brokenCueController();
    ASSERT_NE(warnings.popover(), nullptr);
    InspectorController& inspector = *controller->inspectorController();
    inspector.setAnimated(false);

    controller->window()->warningButton()->click();
    EXPECT_TRUE(inspector.brokenCueViewIsVisible());
    EXPECT_EQ(warnings.popover(), nullptr);
    // The inspector's list is the real one, filled like the popover's.
    auto* list = dynamic_cast<BrokenCueView*>(inspector.brokenCueView());
    ASSERT_NE(list, nullptr);
    scheduler.advance(BrokenCueController::kReloadDelay);
    ASSERT_FALSE(warnings.brokenOrFlaggedCues().empty());
    EXPECT_EQ(list->findChild<KivTableView*>()->model()->rowCount(),
              static_cast<int>(warnings.brokenOrFlaggedCues().size()));

    controller->window()->warningButton()->click();
    EXPECT_FALSE(inspector.brokenCueViewIsVisible());
}

TEST_F(WindowFixture, OnceNoWarningIsLeftSelectingACueBringsTheCueInspectorBack) {
    openWindow();
    auto a = placeCue(wav("a.wav", 0.1f), 0, "A");
    auto b = placeCue(wav("b.wav", 0.1f), 1, "A");
    scheduler.advance(BrokenCueController::kReloadDelay);
    BrokenCueController& warnings = controller->brokenCueController();
    InspectorController& inspector = *controller->inspectorController();
    inspector.setAnimated(false);
    controller->window()->warningButton()->click();
    ASSERT_TRUE(inspector.brokenCueViewIsVisible());

    // While warnings are left, a cue picked (from the list, say) keeps the list up.
    const auto clickCell = [this](std::size_t slot) {
        sendMouse(cell(slot), QEvent::MouseButtonPress, {30, 30});
        sendMouse(cell(slot), QEvent::MouseButtonRelease, {30, 30});
    };
    clickCell(1);
    EXPECT_EQ(grid().selectedCue(), b);
    EXPECT_TRUE(inspector.brokenCueViewIsVisible());

    // The last warning mended: the next cue selected shows in the cue inspector.
    b->setHotkey("B");
    warnings.reloadDataNow();
    ASSERT_TRUE(warnings.brokenOrFlaggedCues().empty());
    EXPECT_TRUE(inspector.brokenCueViewIsVisible()) << "nothing selected yet";
    clickCell(0);
    EXPECT_EQ(grid().selectedCue(), a);
    EXPECT_FALSE(inspector.brokenCueViewIsVisible());
    EXPECT_TRUE(inspector.cueInspectorController().isVisible());
    EXPECT_EQ(inspector.cue(), a);
    EXPECT_FALSE(inspector.brokenCueView()->isVisible());
    EXPECT_TRUE(controller->inspectorVisible());
}
