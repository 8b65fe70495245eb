#include "KivUI/drawing/KivDrawing.h"

#include "KivUI/PixelProbe.h"

#include <gtest/gtest.h>

TEST(KivDrawingTest, ARadiusBeyondHalfTheShorterSideIsClamped) {
    EXPECT_EQ(KivDrawing::roundedRectRadius(QRectF(0, 0, 12, 40), 10), 6);
    EXPECT_EQ(KivDrawing::roundedRectRadius(QRectF(0, 0, 12, 40), 4.7), 4);
    // Drawn: with 6 the left edge is straight from y = 6 down, so the pixel at
    // (0, 7) is covered; an unclamped radius of 10 would leave it bare.
    const QImage image = renderImage({12, 40}, 1.0, [](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        KivDrawing::fillRoundedRect(painter, QRectF(0, 0, 12, 40), 10, Qt::white);
    });
    EXPECT_EQ(pixelAt(image, 0, 7).alpha(), 255);
    EXPECT_EQ(pixelAt(image, 0, 32).alpha(), 255);
    EXPECT_LT(pixelAt(image, 0, 0).alpha(), 128);
}

TEST(KivDrawingTest, ClippingToARoundedRectangleKeepsTheCornersOut) {
    const QImage image = renderImage({20, 20}, 2.0, [](QPainter& painter) {
        KivDrawing::clipToRoundedRect(painter, QRectF(0, 0, 20, 20), 8);
        painter.fillRect(QRectF(0, 0, 20, 20), Qt::white);
    });
    EXPECT_EQ(pixelAt(image, 0.5, 0.5).alpha(), 0);
    EXPECT_EQ(pixelAt(image, 10, 10).alpha(), 255);
    EXPECT_EQ(pixelAt(image, 0.5, 10).alpha(), 255);
}

TEST(KivDrawingTest, AspectRectanglesAndCentring) {
    EXPECT_EQ(KivDrawing::aspectFitRect({20, 10}, QRectF(0, 0, 100, 100)), QRectF(0, 25, 100, 50));
    EXPECT_EQ(KivDrawing::aspectFillRect({20, 10}, QRectF(0, 0, 100, 100)),
              QRectF(-50, 0, 200, 100));
    EXPECT_EQ(KivDrawing::centerSizeInRect({5, 5}, QRectF(0, 0, 10, 10)), QRectF(3, 3, 5, 5));
    EXPECT_EQ(KivDrawing::centerRectInRect(QRectF(7, 7, 5, 5), QRectF(0, 0, 10, 10)),
              QRectF(2.5, 2.5, 5, 5));
    EXPECT_EQ(KivDrawing::createBitmap(10.9, 4.2, true).size(), QSize(10, 4));
    EXPECT_TRUE(KivDrawing::createBitmap(3, 3, false).hasAlphaChannel());
}

TEST(KivDrawingTest, ATwoColourGradientIsNotExtendedPastItsEnds) {
    const QImage image = renderImage({40, 4}, 1.0, [](QPainter& painter) {
        KivDrawing::drawTwoColorLinearGradient(painter, {10, 0}, Qt::black, {30, 0}, Qt::white);
    });
    EXPECT_EQ(pixelAt(image, 5, 2).alpha(), 0);
    EXPECT_EQ(pixelAt(image, 35, 2).alpha(), 0);
    EXPECT_LT(pixelAt(image, 11, 2).red(), 40);
    EXPECT_GT(pixelAt(image, 29, 2).red(), 215);
}

TEST(KivDrawingTest, ALongTextIsCutToItsEndsAroundAnEllipsisOnWholeCharacters) {
    EXPECT_EQ(KivDrawing::boundedText("Thunder", 40), QStringLiteral("Thunder"));
    const std::string longest = "Start" + std::string(1 << 20, 'x') + "Finish";
    const QString cut = KivDrawing::boundedText(longest, 100);
    EXPECT_LE(cut.size(), 2 * 102 + 1);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("Startxx")));
    EXPECT_TRUE(cut.endsWith(QStringLiteral("xxFinish")));
    EXPECT_TRUE(cut.contains(QChar(0x2026)));
    // Two-byte characters are never split into bytes that would decode to U+FFFD.
    std::string accents;
    for (int i = 0; i < 1000; ++i) {
        accents += "\xC3\xA9";
    }
    const QString accented = KivDrawing::boundedText("a" + accents, 11);
    EXPECT_FALSE(accented.contains(QChar(0xFFFD))) << accented.toStdString();
    EXPECT_TRUE(accented.startsWith(QStringLiteral("a\u00e9")));
}
