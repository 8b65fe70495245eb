#include "KivUI/controls/VornTextField.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

TEST(VornTextFieldTest, EdgeBodyAndFaceWhileIdle) {
    VornTextField field;
    field.resize(100, 22);
    const QImage image = renderWidget(field);
    // The edge line along the top at alpha 0.45, the face inside, the body at
    // the bottom row outside the face.
    const QColor edge = pixelAt(image, 50, 0);
    EXPECT_TRUE(near(edge.alpha(), 115));
    EXPECT_TRUE(nearRgb(pixelAt(image, 0, 10), 0.08, 0.08, 0.08, 1));
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 10), 0.105, 0.101, 0.101, 1));
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor::fromRgbF(0.9, 0.9, 0.9));
    EXPECT_EQ(field.palette().color(QPalette::Highlight), QColor::fromRgbF(0.7, 0.7, 0.0, 0.5));
}
