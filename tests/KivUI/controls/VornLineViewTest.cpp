#include "KivUI/controls/VornLineView.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

TEST(VornLineViewTest, ExactlyTwoWideDrawsTwoVerticalLines) {
    VornLineView line;
    line.resize(2, 40);
    ASSERT_FALSE(line.isHorizontal());
    const QImage image = renderWidget(line);
    EXPECT_TRUE(nearGrey(pixelAt(image, 0, 20), 0.1, 1));
    EXPECT_TRUE(nearGrey(pixelAt(image, 1, 20), 0.2, 1));
}

TEST(VornLineViewTest, AnyOtherWidthDrawsTwoHorizontalLines) {
    for (int width : {1, 3, 200}) {
        VornLineView line;
        line.resize(width, 2);
        ASSERT_TRUE(line.isHorizontal());
        const QImage image = renderWidget(line);
        // y-up: grey 0.1 at y = 1 (the top row), grey 0.2 at y = 0.
        EXPECT_TRUE(nearGrey(pixelAt(image, width / 2.0, 0), 0.1, 1)) << width;
        EXPECT_TRUE(nearGrey(pixelAt(image, width / 2.0, 1), 0.2, 1)) << width;
    }
}
