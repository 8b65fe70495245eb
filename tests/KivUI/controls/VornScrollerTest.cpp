#include "KivUI/controls/VornScroller.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"
#include "KivUI/controls/VornScrollView.h"

#include <gtest/gtest.h>

TEST(VornScrollerTest, TheKnobIsInsetOneWithRoundEndsOfRadiusFourAndAHalf) {
    VornScroller scroller(Qt::Vertical);
    scroller.setRange(0, 100);
    scroller.setPageStep(100);
    scroller.resize(11, 200);
    const QRectF knob = scroller.knobRect();
    EXPECT_EQ(knob, QRectF(1, 1, 9, 98));
    const QImage image = renderWidget(scroller, 2.0);
    // The inset shows the background; the knob's middle is grey 0.5, outside
    // the active window 0.2 darker.
    EXPECT_TRUE(nearRgb(pixelAt(image, 0.25, 50), 0.132, 0.128, 0.128, 1));
    EXPECT_TRUE(nearGrey(pixelAt(image, 5.5, 50), 0.3, 1));
    // Radius 4.5 on a 9-wide knob: round ends, so its top corners stay bare,
    // while the top middle is knob.
    EXPECT_TRUE(nearRgb(pixelAt(image, 1.5, 1.5), 0.132, 0.128, 0.128, 3));
    EXPECT_TRUE(nearGrey(pixelAt(image, 5.5, 2.0), 0.3, 3));
    EXPECT_TRUE(nearRgb(pixelAt(image, 5.5, 150), 0.132, 0.128, 0.128, 1));
}

TEST(VornScrollerTest, TheCornerIsFilledOnlyWhileBothScrollersShow) {
    VornScrollView view;
    view.resize(200, 150);
    auto* content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette colours = content->palette();
    colours.setColor(QPalette::Window, Qt::black);
    content->setPalette(colours);
    content->resize(400, 400);
    view.setWidget(content);
    static_cast<VornScroller*>(view.verticalScrollBar())->setBackgroundColor(Qt::red);
    view.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.cornerRect(), QRect(189, 139, 11, 11));
    const QPointF corner(200 - 5, 150 - 5);
    ASSERT_TRUE(view.horizontalScrollBar()->isVisible());
    EXPECT_TRUE(
        nearRgb(pixelAt(renderWidget(view), corner.x(), corner.y()), 0.132, 0.128, 0.128, 1));
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.cornerRect().isEmpty());
    // The vertical scroller, in its own colour, now runs over that spot.
    EXPECT_EQ(pixelAt(renderWidget(view), corner.x(), corner.y()), QColor(Qt::red));
}
