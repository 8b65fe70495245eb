#include "KivUI/drawing/KivGradient.h"

#include "KivUI/PixelProbe.h"

#include <gtest/gtest.h>

TEST(KivGradientTest, TheAngleIsCountedWithYUp) {
    const QRectF rect(0, 0, 40, 40);
    auto fill = [&](qreal angle) {
        return renderImage(rect.size(), 1.0, [&](QPainter& painter) {
            KivGradient::fill(painter, rect, angle, Qt::black, Qt::white);
        });
    };
    // -90 and 270 run from the top down, 90 from the bottom up, 0 left to right.
    for (qreal angle : {-90.0, 270.0}) {
        const QImage image = fill(angle);
        EXPECT_LT(pixelAt(image, 20, 0).red(), 10) << angle;
        EXPECT_GT(pixelAt(image, 20, 39).red(), 245) << angle;
    }
    const QImage up = fill(90);
    EXPECT_GT(pixelAt(up, 20, 0).red(), 245);
    EXPECT_LT(pixelAt(up, 20, 39).red(), 10);
    const QImage across = fill(0);
    EXPECT_LT(pixelAt(across, 0, 20).red(), 10);
    EXPECT_GT(pixelAt(across, 39, 20).red(), 245);
}
