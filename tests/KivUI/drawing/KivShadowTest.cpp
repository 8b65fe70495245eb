#include "KivUI/drawing/KivShadow.h"

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

TEST(KivShadowTest, AShadowCastAgainIsTheSameAndADifferentShapeColourOrScaleCastsItsOwn) {
    const auto cast = [](const KivShadow& shadow, const QRectF& shape, qreal ratio) {
        return renderImage({20, 20}, ratio, [&](QPainter& painter) {
            shadow.paint(painter, QRectF(0, 0, 20, 20),
                         [&](QPainter& p) { p.fillRect(shape, Qt::white); });
        });
    };
    const KivShadow black = KivShadow::withColor(QColor(0, 0, 0, 255), 4, {0, 0});
    const KivShadow red = KivShadow::withColor(QColor(255, 0, 0, 255), 4, {0, 0});
    const QRectF left(3, 8, 4, 4);
    const QRectF right(13, 8, 4, 4);

    const QImage first = cast(black, left, 1.0);
    EXPECT_EQ(cast(black, left, 1.0), first);
    const QImage moved = cast(black, right, 1.0);
    EXPECT_EQ(pixelAt(moved, 2, 10).alpha(), 0) << "the first shape's shadow was laid down";
    EXPECT_GT(pixelAt(moved, 18, 10).alpha(), 0);
    EXPECT_GT(pixelAt(cast(red, left, 1.0), 2, 10).red(), 0) << "the first colour was kept";
    EXPECT_EQ(cast(black, left, 2.0).size(), QSize(40, 40));
    EXPECT_GT(pixelAt(cast(black, left, 2.0), 2, 10).alpha(), 0);
    // More shapes than are kept, and the first once more.
    for (int x = 0; x < 20; ++x) {
        cast(black, QRectF(x, 2, 1, 1), 1.0);
    }
    EXPECT_EQ(cast(black, left, 1.0), first);
}
