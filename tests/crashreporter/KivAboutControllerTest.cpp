#include "crashreporter/KivAboutController.h"

#include "KivUI/controls/VornButton.h"
#include "crashreporter/KivAboutHeaderView.h"
#include "support/Outlet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include <vector>

namespace {

class KivAboutControllerTest : public ::testing::Test {
protected:
    KivAboutControllerTest() { QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0")); }

    static int aboutWindows() {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            count += widget->objectName() == "aboutWindow" ? 1 : 0;
        }
        return count;
    }

    std::vector<QUrl> opened;
    KivAboutController controller{[this](const QUrl& url) { opened.push_back(url); }};
};

int centreX(const QRect& rect) {
    return rect.x() + rect.width() / 2;
}

} // namespace

TEST_F(KivAboutControllerTest, TheWindowShowsTheApplicationsInformation) {
    controller.showWindow();
    EXPECT_EQ(controller.window()->windowTitle(), "About Pondra");
    EXPECT_EQ(outlet<QLabel>(controller.window(), "copyrightField")->text(),
              "Pondra \u00a9 2026 Brenmoor. All rights reserved.");
    EXPECT_EQ(outlet<QLabel>(controller.window(), "tagLineField")->text(),
              "Sound for the show, on cue.");
    EXPECT_EQ(controller.header()->text(), "Pondra 0.1.0");
    EXPECT_EQ(outlet<QTextBrowser>(controller.window(), "credits")->source(),
              QUrl("qrc:/credits.html"));
    EXPECT_TRUE(
        outlet<QTextBrowser>(controller.window(), "credits")->toPlainText().contains("Credits"));
}

TEST_F(KivAboutControllerTest, TheHeaderCentresIconAndTextAsOneGroup) {
    controller.showWindow();
    const KivAboutHeaderView& header = *controller.header();
    const QRectF icon = header.iconRect();
    const QRectF text = header.textRect();
    EXPECT_EQ(icon.height(), header.height());
    EXPECT_EQ(icon.width(), header.height());
    EXPECT_NEAR(text.x(), icon.x() + icon.width() * 1.15, 0.001);
    const qreal left = icon.x();
    const qreal right = header.width() - text.right();
    EXPECT_NEAR(left, right, 1.0);
}

TEST_F(KivAboutControllerTest, TheCreditsFoldOutAndBackKeepingTopEdgeAndCentre) {
    controller.showWindow();
    const QSize laidOut = controller.originalSize();
    const QRect folded = controller.windowContentFrame();
    EXPECT_EQ(folded.size(), QSize(laidOut.width(), KivAboutController::kFoldedHeight));
    EXPECT_GT(laidOut.height(), KivAboutController::kFoldedHeight);

    outlet<VornButton>(controller.window(), "toggleButton")->click();
    const QRect unfolded = controller.windowContentFrame();
    EXPECT_EQ(unfolded.size(), QSize(600, laidOut.height()));
    EXPECT_EQ(unfolded.top(), folded.top());
    EXPECT_NEAR(centreX(unfolded), centreX(folded), 1);

    outlet<VornButton>(controller.window(), "toggleButton")->click();
    EXPECT_EQ(controller.windowContentFrame(), folded);
}

TEST_F(KivAboutControllerTest, OnlyTheHeightIsTheUsersToChange) {
    controller.showWindow();
    QWidget& window = *controller.window();
    const int width = window.width();
    window.resize(width + 80, 400);
    EXPECT_EQ(window.width(), width);
    EXPECT_EQ(window.height(), 400);
}

TEST_F(KivAboutControllerTest, OpeningTwiceRaisesTheOneWindow) {
    controller.showWindow();
    QWidget* first = controller.window();
    outlet<VornButton>(controller.window(), "toggleButton")->click();
    const QRect unfolded = controller.windowContentFrame();
    controller.showWindow();
    EXPECT_EQ(controller.window(), first);
    EXPECT_EQ(aboutWindows(), 1);
    EXPECT_EQ(controller.windowContentFrame(), unfolded);
}

TEST_F(KivAboutControllerTest, WebLinksOpenOutsideAndResourcesInPlace) {
    controller.showWindow();
    const QUrl web("https://www.qt.io/");
    EXPECT_FALSE(controller.decidePolicyForNavigation(web));
    EXPECT_EQ(opened, std::vector<QUrl>{web});
    EXPECT_EQ(outlet<QTextBrowser>(controller.window(), "credits")->source(),
              QUrl("qrc:/credits.html"));

    Q_EMIT outlet<QTextBrowser>(controller.window(), "credits")
        ->anchorClicked(QUrl("qrc:/eula.html"));
    EXPECT_EQ(outlet<QTextBrowser>(controller.window(), "credits")->source(),
              QUrl("qrc:/eula.html"));
    EXPECT_EQ(opened.size(), 1u);
}
