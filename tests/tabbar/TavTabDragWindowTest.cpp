// The windows a dragged tab shows in: two images cross-faded, a translucent
// floating window, and the morph between the tab's image and the window's.
#include "tabbar/TavTabDragWindow.h"

#include "KivUI/WidgetRender.h"
#include "KivUI/views/KivAnimation.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "tabbar/TavTabDragView.h"
#include "tabbar/TavTabDragWindowController.h"

#include <gtest/gtest.h>

#include <QCursor>

#include <algorithm>
#include <vector>

namespace {

QImage filled(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

class TabDragWindows : public ::testing::Test {
protected:
    TabDragWindows() { QCursor::setPos(kPointer); }

    void tick() { scheduler.advance(KivAnimation::kTick); }

    static constexpr QPoint kPointer{400, 300};
    const QImage tab = filled({150, 22}, Qt::red);
    const QImage window = filled({125, 94}, Qt::blue);
    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
};

} // namespace

TEST_F(TabDragWindows, TheViewCrossFadesFromItsImageToTheAlternate) {
    TavTabDragView view;
    view.resize(20, 10);
    view.setImage(tab);
    view.setAlternateImage(window);
    EXPECT_EQ(view.fadeValue(), 1.0);
    const auto probe = [&view](double fade) {
        view.setFadeValue(fade);
        return renderWidget(view).pixelColor(10, 5);
    };
    const QColor image = probe(1.0);
    EXPECT_EQ(image.red(), 255);
    EXPECT_EQ(image.alpha(), 255);
    EXPECT_LE(image.blue(), 1);
    // Each at about half strength, the alternate over the image.
    const QColor half = probe(0.5);
    EXPECT_NEAR(half.alphaF(), 0.751, 0.01);
    EXPECT_NEAR(half.red(), 85, 3);
    EXPECT_NEAR(half.blue(), 170, 3);
    const QColor alternate = probe(0.0);
    EXPECT_EQ(alternate.blue(), 255);
    EXPECT_EQ(alternate.alpha(), 255);
    EXPECT_LE(alternate.red(), 1);
}

TEST_F(TabDragWindows, ATitledWindowIsATitleBarTallerThanItsImage) {
    TavTabDragWindow borderless(tab, TavTabDragWindow::StyleMask::Borderless);
    EXPECT_EQ(borderless.size(), QSize(150, 22));
    EXPECT_EQ(borderless.dragView().geometry(), QRect(0, 0, 150, 22));
    TavTabDragWindow titled(tab, TavTabDragWindow::StyleMask::Titled);
    EXPECT_EQ(titled.size(), QSize(150, 44));
    EXPECT_EQ(titled.dragView().geometry(), QRect(0, 22, 150, 22));
    EXPECT_TRUE(titled.windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(titled.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(titled.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(TabDragWindows, OnlyATearOffStyleOneWindowWithAnAlternateImageSwitches) {
    TavTabDragWindowController content(tab, TavTabDragWindow::StyleMask::Borderless, 0);
    content.setAlternateImage(window);
    EXPECT_NEAR(content.window().windowOpacity(), TavTabDragWindowController::kAlpha, 0.01);
    content.switchImages();
    TavTabDragWindowController bare(tab, TavTabDragWindow::StyleMask::Borderless, 1);
    bare.switchImages();
    for (TavTabDragWindowController* each : {&content, &bare}) {
        EXPECT_FALSE(each->isAnimating());
        EXPECT_FALSE(each->isShowingAlternate());
        EXPECT_EQ(each->window().dragView().fadeValue(), 1.0);
        EXPECT_EQ(each->window().size(), QSize(150, 22));
    }
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(TabDragWindows, TheSwitchMorphsIntoTheWindowImageCentredOnThePointer) {
    TavTabDragWindowController controller(tab, TavTabDragWindow::StyleMask::Borderless, 1);
    controller.setAlternateImage(window);
    controller.switchImages();
    EXPECT_TRUE(controller.isAnimating());
    EXPECT_TRUE(controller.isShowingAlternate());
    std::vector<int> heights;
    for (int i = 0; i < 8; ++i) {
        tick();
        heights.push_back(controller.window().height());
        const QRectF frame = controller.window().geometry();
        EXPECT_NEAR(frame.x() + frame.width() / 2, kPointer.x(), 0.5) << i;
        EXPECT_NEAR(frame.y() + frame.height() / 2, kPointer.y(), 0.5) << i;
    }
    EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end()));
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(controller.window().geometry(), QRect(kPointer - QPoint(62, 47), QSize(125, 94)));
    EXPECT_EQ(controller.window().dragView().fadeValue(), 0.0);
}

TEST_F(TabDragWindows, ASwitchTurnedBackHalfWayRetracesItsSizesToTheTabImage) {
    TavTabDragWindowController controller(tab, TavTabDragWindow::StyleMask::Borderless, 1);
    controller.setAlternateImage(window);
    controller.switchImages();
    std::vector<QSize> out;
    std::vector<double> fades;
    for (int i = 0; i < 3; ++i) {
        tick();
        out.push_back(controller.window().size());
        fades.push_back(controller.window().dragView().fadeValue());
    }
    ASSERT_GT(out.back().height(), 40);
    // 0.1 s later it turns back and passes through the same sizes again.
    controller.switchImages();
    EXPECT_FALSE(controller.isShowingAlternate());
    std::vector<QSize> back;
    for (int i = 0; i < 3; ++i) {
        tick();
        back.push_back(controller.window().size());
    }
    EXPECT_EQ(back, (std::vector<QSize>{out[1], out[0], QSize(150, 22)}));
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(controller.window().dragView().fadeValue(), 1.0);
    EXPECT_GT(fades[0], fades[1]);
    EXPECT_EQ(controller.window().geometry(), QRect(kPointer - QPoint(75, 11), QSize(150, 22)));
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}
