// Menus in the dark windows' colours once the theme is installed: a menu of
// any parent, its submenus, checked and greyed-out entries.
#include "KivUI/drawing/KivMenuTheme.h"

#include "KivUI/WidgetRender.h"
#include "KivUI/drawing/KivColors.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

#include <algorithm>

namespace {

class MenuThemeTest : public ::testing::Test {
protected:
    void SetUp() override { installDarkMenuTheme(); }
    // Other tests of this program see the menus as Qt gives them.
    void TearDown() override { QApplication::setPalette(_before, "QMenu"); }

    // The lightest and the darkest grey across the middle line of an entry.
    static std::pair<int, int> greysAcross(const QImage& image, const QRect& entry) {
        int lightest = 0;
        int darkest = 255;
        for (int x = entry.left(); x <= entry.right(); ++x) {
            for (int y = entry.top() + 2; y <= entry.bottom() - 2; ++y) {
                const int grey = qGray(image.pixel(x, y));
                lightest = std::max(lightest, grey);
                darkest = std::min(darkest, grey);
            }
        }
        return {lightest, darkest};
    }

private:
    QPalette _before = QApplication::palette("QMenu");
};

} // namespace

TEST_F(MenuThemeTest, EveryMenuIsDarkWithLightEntriesAndGreyedOutOnesWithoutAnEmboss) {
    QWidget lightParent;
    lightParent.setPalette(QPalette(Qt::white));
    for (QWidget* parent : {static_cast<QWidget*>(nullptr), &lightParent}) {
        QMenu menu(parent);
        QAction* loop = menu.addAction(QStringLiteral("Loop"));
        loop->setCheckable(true);
        loop->setChecked(true);
        menu.addSeparator();
        QAction* none = menu.addAction(QStringLiteral("No effects installed"));
        none->setEnabled(false);
        QMenu* maker = menu.addMenu(QStringLiteral("Maker"));
        maker->addAction(QStringLiteral("Delay"));
        // Qt gives a widget its class's palette when it is polished.
        menu.ensurePolished();
        maker->ensurePolished();
        EXPECT_EQ(menu.palette().color(QPalette::Window), KivColors::inspectorTop());
        EXPECT_EQ(maker->palette().color(QPalette::Window), KivColors::inspectorTop())
            << "submenus too";
        EXPECT_EQ(menu.palette().color(QPalette::Highlight), KivColors::outlineSelection());

        menu.popup(QPoint(40, 40));
        QApplication::processEvents();
        const QImage shown = renderWidget(menu);
        const auto [loopLight, loopDark] = greysAcross(shown, menu.actionGeometry(loop));
        EXPECT_GT(loopLight, 200) << "the entry's title is light";
        EXPECT_LT(loopDark, 70) << "on a dark ground";
        const auto [noneLight, noneDark] = greysAcross(shown, menu.actionGeometry(none));
        EXPECT_LT(noneLight, 150) << "greyed out, and no light emboss under it";
        EXPECT_GT(noneLight, 90) << "still legible";
        EXPECT_LT(noneDark, 70);
        menu.hide();
    }
}
