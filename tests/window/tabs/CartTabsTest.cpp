// The cart tabs: one per cart, and the selected tab is the cart that keys,
// menus and the grid work on.
#include "KivUI/WidgetRender.h"
#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "window/WindowFixture.h"
#include "window/tabs/CartTabBar.h"

#include <QMouseEvent>

namespace {

QString label(const CartTabBar& tabs, int index) {
    return tabs.tabBar()->cells().at(static_cast<std::size_t>(index))->stringValue();
}

void click(QWidget& widget, const QPointF& at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

} // namespace

TEST_F(WindowFixture, AWorkspaceOfSeveralCartsShowsOneTabPerCartAndATabSelectsItsCart) {
    auto shown = std::make_shared<Workspace>(device, files.path("cache"));
    for (const char* name : {"Act One", "", "Act Two"}) {
        auto cart = std::make_shared<Cart>();
        cart->setName(name);
        shown->addCart(cart);
    }
    showWorkspace(shown);
    CartTabBar& tabs = *controller->window()->tabs();
    ASSERT_EQ(tabs.count(), 3);
    EXPECT_TRUE(tabs.tabBar()->isVisibleTo(controller->window()));
    EXPECT_FALSE(tabs.tabBar()->isTabBarHidden());
    // A cart without a name is named after its tab's number.
    EXPECT_EQ(workspace->carts()[1]->name(), "Cart 2");
    EXPECT_EQ(label(tabs, 0), QStringLiteral("Act One"));
    EXPECT_EQ(label(tabs, 1), QStringLiteral("Cart 2"));
    EXPECT_EQ(label(tabs, 2), QStringLiteral("Act Two"));
    EXPECT_EQ(tabs.currentIndex(), 0);

    // A click on the third tab shows that cart's grid, and its hot keys fire.
    auto cue = AudioCue::initWithFile(wav("a.wav", 0.25f), device);
    cue->setHotkey("A");
    workspace->carts()[2]->setCue(cue, 0);
    byHand(*cue);
    click(*tabs.tabBar(), tabs.tabBar()->cells()[2]->frame().center());
    EXPECT_EQ(tabs.currentIndex(), 2);
    EXPECT_EQ(grid().cart(), workspace->carts()[2]);
    EXPECT_EQ(tabs.tabView()->selectedTabViewItem()->view(), grid().gridView());
    EXPECT_TRUE(grid().gridView()->isVisibleTo(controller->window()));
    EXPECT_EQ(cell(0).cue(), cue);
    press(Qt::Key_A, QStringLiteral("a"));
    render(1);
    EXPECT_TRUE(cue->isPlaying());

    // Renaming a cart relabels its tab only.
    workspace->carts()[0]->setName("Preshow");
    EXPECT_EQ(label(tabs, 0), QStringLiteral("Preshow"));
    EXPECT_EQ(label(tabs, 2), QStringLiteral("Act Two"));
}

TEST_F(WindowFixture, TheTabRowFoldsAwayForASingleCartAndComesBackForASecond) {
    openWindow();
    CartTabBar& tabs = *controller->window()->tabs();
    EXPECT_TRUE(tabs.tabBar()->isTabBarHidden());
    EXPECT_EQ(tabs.tabBar()->height(), 1);
    auto second = std::make_shared<Cart>();
    second->setName("Act Two");
    workspace->addCart(second);
    controller->addControllerForCart(second);
    scheduler.advance(0.1);
    EXPECT_FALSE(tabs.tabBar()->isTabBarHidden());
    EXPECT_EQ(tabs.tabBar()->height(), 22);
    // Carts close from their tabs while the workspace is not locked.
    EXPECT_FALSE(tabs.tabBar()->cells()[1]->isCloseButtonSuppressed());
    EXPECT_EQ(label(tabs, 1), QStringLiteral("Act Two"));
}

namespace {

class CartTabCommands : public WindowFixture {
protected:
    CartTabBar& tabs() const { return *controller->window()->tabs(); }
    UndoManager& undo() const { return workspace->undoManager(); }
    std::vector<std::string> cartNames() const {
        std::vector<std::string> names;
        for (const auto& c : workspace->carts()) {
            names.push_back(c->name());
        }
        return names;
    }
    std::vector<QString> tabLabels() const {
        std::vector<QString> labels;
        for (int i = 0; i < tabs().count(); ++i) {
            labels.push_back(tabs().tabView()->tabViewItemAtIndex(i)->label());
        }
        return labels;
    }
    // One user action each: its undo step ends with it.
    void newTab() {
        controller->tabCommands().newTab();
        undo().endTurn();
    }
    void closeTab() {
        controller->tabCommands().closeTab();
        undo().endTurn();
    }
};

} // namespace

TEST_F(CartTabCommands, NewTabsAreNumberedByEveryTabEverMadeAndUndoClosesTheNewTabWithoutAsking) {
    openWindow();
    newTab();
    EXPECT_EQ(undo().undoActionName(), "New Tab");
    EXPECT_EQ(tabs().currentIndex(), 1) << "the new tab is shown";
    EXPECT_EQ(&cart(), workspace->carts()[1].get());
    newTab();
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 1", "Cart 2", "Cart 3"}));

    // "Cart 2" closes at once: it is empty. The next tab is still the fourth.
    controller->selectTab(1);
    closeTab();
    EXPECT_TRUE(prompts.alerts.empty());
    newTab();
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 1", "Cart 3", "Cart 4"}));
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Cart 1", "Cart 3", "Cart 4"}));

    // Undoing "New Tab" closes the tab it made, not the one selected since,
    // and asks nothing even though the selected cart has a cue.
    controller->selectTab(0);
    const auto cue = placeCue(wav("a.wav", 0.25f), 0);
    undo().endTurn();
    newTab();
    controller->selectTab(0);
    controller->edits().undo();
    EXPECT_TRUE(prompts.alerts.empty());
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 1", "Cart 3", "Cart 4"}));
    EXPECT_EQ(workspace->carts()[0]->cueAtIndex(0), cue);
    EXPECT_EQ(tabs().currentIndex(), 0);
    EXPECT_EQ(undo().redoActionName(), "New Tab");
    // Redo brings that same tab back.
    controller->edits().redo();
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 1", "Cart 3", "Cart 4", "Cart 5"}));
    EXPECT_EQ(tabs().currentIndex(), 3);
}

TEST_F(CartTabCommands, ACartWithCuesClosesOnlyAfterTheQuestionAndUndoBringsItBack) {
    openWindow();
    newTab();
    controller->selectTab(0);
    const auto cue = placeCue(wav("a.wav", 0.25f), 3);
    undo().endTurn();
    const std::shared_ptr<Cart> first = workspace->carts()[0];

    prompts.alertAnswers = {1};
    closeTab();
    ASSERT_EQ(prompts.alerts.size(), 1u);
    const KivAlert& question = prompts.alerts[0];
    EXPECT_EQ(question.messageText, QStringLiteral("Are you sure you want to close this tab?"));
    EXPECT_EQ(question.informativeText, QStringLiteral("All cues in this cart will be removed."));
    EXPECT_EQ(question.buttons, (QStringList{"OK", "Cancel"}));
    EXPECT_EQ(tabs().count(), 2) << "Cancel keeps the tab";
    EXPECT_EQ(workspace->carts().size(), 2u);
    EXPECT_EQ(undo().undoActionName(), "Add Cue");

    prompts.alertAnswers = {0};
    closeTab();
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 2"}));
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Cart 2"}));
    EXPECT_EQ(undo().undoActionName(), "Close Tab");
    EXPECT_EQ(first->workspace(), nullptr);

    // The same cart with its cue, at the end of the row.
    controller->edits().undo();
    EXPECT_EQ(workspace->carts().back(), first);
    EXPECT_EQ(first->workspace(), workspace.get());
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Cart 2", "Cart 1"}));
    EXPECT_EQ(tabs().currentIndex(), 1);
    EXPECT_EQ(grid().cart(), first);
    EXPECT_EQ(cell(3).cue(), cue);
    // Redo closes it again, without a second question.
    controller->edits().redo();
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 2"}));
    EXPECT_EQ(prompts.alerts.size(), 2u);

    // The only tab closes the window instead.
    closeTab();
    EXPECT_EQ(tabs().count(), 1);
    EXPECT_FALSE(controller->window()->isVisible());
}

TEST_F(CartTabCommands, NextAndPreviousWrapRoundAtTheEnds) {
    openWindow();
    newTab();
    newTab();
    controller->tabCommands().selectNextTab();
    EXPECT_EQ(tabs().currentIndex(), 0);
    controller->tabCommands().selectPreviousTab();
    EXPECT_EQ(tabs().currentIndex(), 2);
    controller->tabCommands().selectPreviousTab();
    EXPECT_EQ(tabs().currentIndex(), 1);
    controller->tabCommands().selectNextTab();
    EXPECT_EQ(tabs().currentIndex(), 2);
    EXPECT_EQ(grid().cart(), workspace->carts()[2]);
}

TEST_F(CartTabCommands, AReorderedRowPutsTheCartsInItsOrder) {
    openWindow();
    newTab();
    newTab();
    undo().removeAllActions();
    undo().markSaved();
    const auto third = workspace->carts()[2];
    // The drag moves the third tab to the front, then tells of the drop.
    tabs().moveTab(2, 0);
    controller->tabCommands().didDropTab(tabs().page(0), *controller);
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 3", "Cart 1", "Cart 2"}));
    EXPECT_TRUE(workspace->isDocumentEdited()) << "edited, though no undo step";
    EXPECT_FALSE(undo().canUndo());
    // Each tab still shows and names its own cart.
    for (int i = 0; i < 3; ++i) {
        controller->selectTab(i);
        EXPECT_EQ(grid().cart(), workspace->carts()[static_cast<std::size_t>(i)]);
        EXPECT_EQ(tabs().page(tabs().currentIndex()), grid().gridView());
    }
    third->setName("Finale");
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Finale", "Cart 1", "Cart 2"}));
}

TEST_F(CartTabCommands, ALockedWorkspaceNeitherAddsClosesDragsNorDropsTabs) {
    openWindow();
    newTab();
    controller->selectTab(0);
    placeCue(wav("a.wav", 0.25f), 0);
    undo().endTurn();
    controller->setShowMode();
    ASSERT_TRUE(workspace->isLocked());
    prompts.alerts.clear();

    newTab();
    closeTab();
    EXPECT_EQ(tabs().count(), 2);
    EXPECT_EQ(workspace->carts().size(), 2u);
    EXPECT_TRUE(prompts.alerts.empty());
    EXPECT_FALSE(controller->tabCommands().shouldCloseTab(1)) << "not even an empty cart";
    EXPECT_FALSE(controller->tabCommands().shouldDragTab());
    EXPECT_FALSE(controller->tabCommands().shouldDropTab(controller.get()));
    EXPECT_FALSE(controller->tabCommands().shouldDropTab(nullptr));
    EXPECT_FALSE(controller->window()->action(QStringLiteral("newTab"))->isEnabled());
    EXPECT_FALSE(controller->window()->action(QStringLiteral("closeTab"))->isEnabled());
    // Tabs are still selected in show mode.
    controller->tabCommands().selectNextTab();
    EXPECT_EQ(tabs().currentIndex(), 1);

    // Nor does the only tab close the window.
    controller->setEditMode();
    controller->selectTab(1);
    closeTab();
    controller->setShowMode();
    closeTab();
    EXPECT_TRUE(controller->window()->isVisible());

    controller->setEditMode();
    EXPECT_TRUE(controller->tabCommands().shouldDragTab());
    EXPECT_TRUE(controller->window()->action(QStringLiteral("newTab"))->isEnabled());
}

TEST_F(CartTabCommands, ATabsCloseButtonClosesItsCartAfterTheQuestionButNotWhileLocked) {
    openWindow();
    newTab();
    controller->selectTab(0);
    const auto cue = placeCue(wav("a.wav", 0.25f), 0);
    undo().endTurn();
    const std::shared_ptr<Cart> first = workspace->carts()[0];
    TavTabBarControl& bar = *tabs().tabBar();
    const auto closeButton = [&bar](int index) {
        const TavTabBarCell& cell = *bar.cells().at(static_cast<std::size_t>(index));
        return cell.closeButtonRectForFrame(cell.frame()).center();
    };

    // Locked, the button is not there to press and nothing is asked.
    controller->setShowMode();
    prompts.alerts.clear();
    EXPECT_TRUE(bar.cells()[0]->isCloseButtonSuppressed());
    click(bar, closeButton(0));
    EXPECT_EQ(tabs().count(), 2);
    EXPECT_EQ(workspace->carts().size(), 2u);
    EXPECT_TRUE(prompts.alerts.empty());

    // Unlocked, Cancel keeps the tab; OK closes it with its undo step.
    controller->setEditMode();
    prompts.alertAnswers = {1};
    click(bar, closeButton(0));
    undo().endTurn();
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_EQ(prompts.alerts[0].messageText,
              QStringLiteral("Are you sure you want to close this tab?"));
    EXPECT_EQ(tabs().count(), 2);
    prompts.alertAnswers = {0};
    click(bar, closeButton(0));
    undo().endTurn();
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 2"}));
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Cart 2"}));
    EXPECT_EQ(undo().undoActionName(), "Close Tab");

    // The cart comes back with its own grid and cue.
    controller->edits().undo();
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Cart 2", "Cart 1"}));
    EXPECT_EQ(grid().cart(), first);
    EXPECT_EQ(tabs().page(1), grid().gridView());
    EXPECT_EQ(cell(0).cue(), cue);
}

TEST_F(CartTabCommands, ATabDraggedAlongTheRowWithTheMouseReordersTheCartsButNotWhileLocked) {
    openWindow();
    newTab();
    newTab();
    // The row unfolds for the second cart.
    scheduler.advance(0.1);
    controller->selectTab(0);
    TavTabBarControl& bar = *tabs().tabBar();
    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    const QPointF third = bar.cells().at(2)->frame().center();
    // Left of the first tab, still on the bar.
    const QPointF front(bar.genericCellRect().left() + 2.0, third.y());

    controller->setShowMode();
    sendMouse(bar, QEvent::MouseButtonPress, third);
    sendMouse(bar, QEvent::MouseMove, third - QPointF(40, 0));
    EXPECT_FALSE(assistant.isDragging());
    sendMouse(bar, QEvent::MouseMove, front);
    sendMouse(bar, QEvent::MouseButtonRelease, front);
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 1", "Cart 2", "Cart 3"}));
    controller->setEditMode();

    sendMouse(bar, QEvent::MouseButtonPress, third);
    sendMouse(bar, QEvent::MouseMove, third - QPointF(40, 0));
    ASSERT_TRUE(assistant.isDragging());
    sendMouse(bar, QEvent::MouseMove, front);
    for (int i = 0; i < TavTabDragAssistant::kSteps; ++i) {
        assistant.animateDrag();
    }
    sendMouse(bar, QEvent::MouseButtonRelease, front);
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(cartNames(), (std::vector<std::string>{"Cart 3", "Cart 1", "Cart 2"}));
    EXPECT_EQ(tabLabels(), (std::vector<QString>{"Cart 3", "Cart 1", "Cart 2"}));
    // The release dropped the tab and clicked none: the first cart is shown.
    EXPECT_EQ(tabs().currentIndex(), 1);
    EXPECT_EQ(grid().cart(), workspace->carts()[1]);
    EXPECT_EQ(workspace->carts()[1]->name(), "Cart 1");
}

TEST_F(WindowFixture, ATabShownAgainKeepsItsCellsAndShowsWhatChangedWhileItWasHidden) {
    auto shown = std::make_shared<Workspace>(device, files.path("cache"));
    for (const char* name : {"Act One", "Act Two"}) {
        auto cart = std::make_shared<Cart>();
        cart->setName(name);
        cart->setSize({4, 4});
        shown->addCart(cart);
    }
    showWorkspace(shown);
    const std::shared_ptr<Cart> first = workspace->carts()[0];
    const CueCellView* kept = &cell(0);
    ASSERT_EQ(grid().gridView()->cells().size(), 16u);

    controller->selectTab(1);
    auto cue = AudioCue::initWithFile(wav("a.wav", 0.25f), device);
    first->setCue(cue, 3);
    first->setSize({5, 5});
    controller->selectTab(0);
    ASSERT_EQ(grid().cart(), first);
    EXPECT_EQ(&cell(0), kept);
    EXPECT_EQ(grid().gridView()->cells().size(), 25u);
    EXPECT_EQ(cell(3).cue(), cue);
    // Keys follow the new size, in the kept cells as in the new ones.
    for (std::size_t index : {4u, 5u, 24u}) {
        EXPECT_EQ(cell(index).defaultHotkey(), first->defaultHotkeyForIndex(index)) << index;
    }

    first->setSize({2, 2});
    controller->selectTab(1);
    controller->selectTab(0);
    EXPECT_EQ(grid().gridView()->cells().size(), 4u);
    EXPECT_EQ(&cell(0), kept);
}
