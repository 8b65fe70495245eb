#include "KivUI/controls/PondraProgressView.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

namespace {

// The playing green.
bool isFill(const QColor& c) {
    return c.green() > c.red() + 60 && c.green() > c.blue() + 60;
}

} // namespace

TEST(PondraProgressViewTest, ZeroDrawsOnlyTheGroove) {
    PondraProgressView view;
    view.resize(101, 12);
    const QImage image = renderWidget(view);
    for (qreal x : {2.0, 50.0, 98.0}) {
        EXPECT_FALSE(isFill(pixelAt(image, x, 6))) << x;
    }
}

TEST(PondraProgressViewTest, HalfFillsTheLeftHalfRoundedToAWholePointInsideTheClip) {
    for (qreal ratio : {1.0, 2.0}) {
        PondraProgressView view;
        view.resize(101, 12);
        view.setProgress(0.5);
        const QImage image = renderWidget(view, ratio);
        // round(101 * 0.5) = 51: x = 50 is filled, x = 51 is not.
        EXPECT_TRUE(isFill(pixelAt(image, 50.5, 6))) << ratio;
        EXPECT_FALSE(isFill(pixelAt(image, 51.5, 6))) << ratio;
        EXPECT_TRUE(isFill(pixelAt(image, 20, 3.5))) << ratio;
        // Outside the clip inset (1, 3): the rows above and the left column.
        EXPECT_FALSE(isFill(pixelAt(image, 20, 2.5))) << ratio;
        EXPECT_FALSE(isFill(pixelAt(image, 20, 9.5))) << ratio;
        EXPECT_FALSE(isFill(pixelAt(image, 0.5, 6))) << ratio;
        // The rounded corner keeps the clip's very corner bare.
        EXPECT_FALSE(isFill(pixelAt(image, 1.25, 3.25))) << ratio;
    }
}
