// The cart tabs: one per cart, and the selected tab is the cart that keys,
// menus and the grid work on.
#include "KivUI/KivTabView.h"
#include "KivUI/KivTabViewItem.h"
#include "WindowFixture.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "window/CartTabBar.h"

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
    // Carts are not closed from their tabs.
    EXPECT_TRUE(tabs.tabBar()->cells()[1]->isCloseButtonSuppressed());
    EXPECT_EQ(label(tabs, 1), QStringLiteral("Act Two"));
}
