#include "KivUI/controls/PondraMenuButton.h"

#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

TEST(PondraMenuButtonTest, TheMenuPopsUpAtTheMouseDownPointOnceTheClickEnds) {
    PondraMenuButton button(QStringLiteral("Effects"));
    button.resize(120, 32);
    button.show();
    QMenu menu;
    menu.addAction(QStringLiteral("Reverb"));
    button.setPopUpMenu(&menu);
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        EXPECT_FALSE(menu.isVisible());
        ++clicks;
    });
    sendMouse(button, QEvent::MouseButtonPress, {30, 12});
    EXPECT_FALSE(menu.isVisible());
    sendMouse(button, QEvent::MouseButtonRelease, {80, 14});
    EXPECT_EQ(clicks, 1);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), button.mapToGlobal(QPoint(30, 12)));
    menu.close();
}

TEST(PondraMenuButtonTest, ADisabledButtonShowsNoMenu) {
    PondraMenuButton button(QStringLiteral("Effects"));
    button.resize(120, 32);
    button.show();
    QMenu menu;
    menu.addAction(QStringLiteral("Reverb"));
    button.setPopUpMenu(&menu);
    button.setEnabled(false);
    sendMouse(button, QEvent::MouseButtonPress, {30, 12});
    sendMouse(button, QEvent::MouseButtonRelease, {30, 12});
    EXPECT_FALSE(menu.isVisible());
}

TEST(PondraMenuButtonTest, AMenuWithoutEntriesIsNeverShown) {
    PondraMenuButton button(QStringLiteral("Effects"));
    button.resize(120, 32);
    button.show();
    QMenu menu;
    button.setPopUpMenu(&menu);
    sendMouse(button, QEvent::MouseButtonPress, {30, 12});
    sendMouse(button, QEvent::MouseButtonRelease, {30, 12});
    // An empty pop-up is invisible yet takes every key and click.
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}
