#include "KivUI/KivShadow.h"

#include "KivUI/PixelProbe.h"

#include <gtest/gtest.h>

TEST(KivShadowTest, AnOffsetOfMinusOneFallsOnePointDown) {
    const KivShadow shadow = KivShadow::withColor(Qt::black, 0, {0, -1});
    const QImage image = renderImage({10, 10}, 2.0, [&](QPainter& painter) {
        shadow.paint(painter, QRectF(0, 0, 10, 10),
                     [](QPainter& p) { p.fillRect(QRectF(2, 4, 6, 1), Qt::white); });
    });
    EXPECT_EQ(pixelAt(image, 5, 4.5), QColor(Qt::white));
    EXPECT_EQ(pixelAt(image, 5, 5.5), QColor(Qt::black));
    EXPECT_EQ(pixelAt(image, 5, 3.5).alpha(), 0);
}

TEST(KivShadowTest, ABlurredShadowSpreadsAndFades) {
    const KivShadow shadow = KivShadow::withColor(QColor(0, 0, 0, 255), 4, {0, 0});
    const QImage image = renderImage({20, 20}, 1.0, [&](QPainter& painter) {
        shadow.paint(painter, QRectF(0, 0, 20, 20),
                     [](QPainter& p) { p.fillRect(QRectF(8, 8, 4, 4), Qt::white); });
    });
    const int beside = pixelAt(image, 13, 10).alpha();
    EXPECT_GT(beside, 0);
    EXPECT_LT(beside, 255);
    EXPECT_EQ(pixelAt(image, 1, 1).alpha(), 0);
    EXPECT_EQ(KivShadow::darkText().offset, QPointF(0, 1));
    EXPECT_EQ(KivShadow::lightText().color, QColor(Qt::white));
}
