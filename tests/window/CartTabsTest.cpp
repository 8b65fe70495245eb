// The cart tabs: one per cart, and the selected tab is the cart that keys,
// menus and the grid work on.
#include "WindowFixture.h"
#include "window/CartTabHost.h"

#include <QStackedWidget>
#include <QTabBar>

TEST_F(WindowFixture, AWorkspaceOfSeveralCartsShowsOneTabPerCartAndATabSelectsItsCart) {
    auto shown = std::make_shared<Workspace>(device, files.path("cache"));
    for (const char* name : {"Act One", "", "Act Two"}) {
        auto cart = std::make_shared<Cart>();
        cart->setName(name);
        shown->addCart(cart);
    }
    showWorkspace(shown);
    CartTabHost& tabs = *controller->window()->tabs();
    ASSERT_EQ(tabs.count(), 3);
    EXPECT_TRUE(tabs.tabBar()->isVisibleTo(controller->window()));
    // A cart without a name is named after its tab's number.
    EXPECT_EQ(workspace->carts()[1]->name(), "Cart 2");
    EXPECT_EQ(tabs.tabBar()->tabText(0), QStringLiteral("Act One"));
    EXPECT_EQ(tabs.tabBar()->tabText(1), QStringLiteral("Cart 2"));
    EXPECT_EQ(tabs.tabBar()->tabText(2), QStringLiteral("Act Two"));
    EXPECT_EQ(tabs.currentIndex(), 0);

    // A click on the third tab shows that cart's grid, and its hot keys fire.
    auto cue = AudioCue::initWithFile(wav("a.wav", 0.25f), device);
    cue->setHotkey("A");
    workspace->carts()[2]->setCue(cue, 0);
    byHand(*cue);
    tabs.tabBar()->setCurrentIndex(2);
    EXPECT_EQ(grid().cart(), workspace->carts()[2]);
    EXPECT_EQ(tabs.currentPage(), grid().gridView());
    EXPECT_EQ(cell(0).cue(), cue);
    press(Qt::Key_A, QStringLiteral("a"));
    render(1);
    EXPECT_TRUE(cue->isPlaying());

    // Renaming a cart relabels its tab only.
    workspace->carts()[0]->setName("Preshow");
    EXPECT_EQ(tabs.tabBar()->tabText(0), QStringLiteral("Preshow"));
    EXPECT_EQ(tabs.tabBar()->tabText(2), QStringLiteral("Act Two"));
}
