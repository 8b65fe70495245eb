#include "KivUI/drawing/KivShading.h"

#include "KivUI/PixelProbe.h"

#include <gtest/gtest.h>

namespace {

QPainterPath square() {
    QPainterPath path;
    path.addRect(0, 0, 40, 40);
    return path;
}

} // namespace

TEST(KivShadingTest, LinearFillsRunUpAlongYOrRightAlongX) {
    const QImage up = renderImage({40, 40}, 1.0, [](QPainter& painter) {
        KivShading::linearGradientFill(painter, square(), Qt::black, Qt::white);
    });
    EXPECT_LT(pixelAt(up, 20, 39).red(), 10);
    EXPECT_GT(pixelAt(up, 20, 0).red(), 245);
    const QImage across = renderImage({40, 40}, 1.0, [](QPainter& painter) {
        KivShading::linearVerticalGradientFill(painter, square(), Qt::black, Qt::white);
    });
    EXPECT_LT(pixelAt(across, 0, 20).red(), 10);
    EXPECT_GT(pixelAt(across, 39, 20).red(), 245);
}

TEST(KivShadingTest, TheBilinearFillHasTheOuterColourInTheMiddle) {
    const QImage image = renderImage({40, 40}, 1.0, [](QPainter& painter) {
        KivShading::bilinearGradientFill(painter, square(), Qt::white, Qt::black);
    });
    EXPECT_LT(pixelAt(image, 20, 0).red(), 20);
    EXPECT_LT(pixelAt(image, 20, 39).red(), 20);
    EXPECT_GT(pixelAt(image, 20, 19.5).red(), 235);
    const KivShading::Rgba tent = KivShading::tentEvaluate(0.75, {0, 0, 0, 1}, {1, 1, 1, 0});
    EXPECT_DOUBLE_EQ(tent[0], 0.5);
    EXPECT_DOUBLE_EQ(tent[3], 1.0);
}
