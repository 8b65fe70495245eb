#include "KivUI/drawing/KivPartDrawing.h"

#include "KivUI/PixelProbe.h"

#include <gtest/gtest.h>

namespace {

QImage swatch(QSizeF size, QColor colour, qreal ratio = 1.0) {
    QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(colour);
    return image;
}

// Every device pixel wholly inside the frame is opaque.
int gapsInside(const QImage& image, const QRectF& frame) {
    const qreal ratio = image.devicePixelRatio();
    int gaps = 0;
    for (int y = static_cast<int>(std::ceil(frame.top() * ratio)) + 1;
         y < static_cast<int>(std::floor(frame.bottom() * ratio)) - 1; ++y) {
        for (int x = static_cast<int>(std::ceil(frame.left() * ratio)) + 1;
             x < static_cast<int>(std::floor(frame.right() * ratio)) - 1; ++x) {
            gaps += qAlpha(image.pixel(x, y)) == 255 ? 0 : 1;
        }
    }
    return gaps;
}

} // namespace

TEST(KivPartDrawingTest, ThreePartCapsKeepTheirWidthAndTheFillStretches) {
    const QImage image = renderImage({60, 10}, 2.0, [](QPainter& painter) {
        KivPartDrawing::drawThreePart(painter, QRectF(0, 0, 60, 10), swatch({8, 10}, Qt::red),
                                      swatch({1, 10}, Qt::green), swatch({6, 10}, Qt::blue));
    });
    EXPECT_EQ(pixelAt(image, 7.5, 5), QColor(Qt::red));
    EXPECT_EQ(pixelAt(image, 8.25, 5), QColor(Qt::green));
    EXPECT_EQ(pixelAt(image, 53.75, 5), QColor(Qt::green));
    EXPECT_EQ(pixelAt(image, 54.25, 5), QColor(Qt::blue));
}

TEST(KivPartDrawingTest, OpacityAndVerticalLayout) {
    const QImage image = renderImage({10, 40}, 1.0, [](QPainter& painter) {
        KivPartDrawing::drawThreePart(painter, QRectF(0, 0, 10, 40), swatch({10, 5}, Qt::white),
                                      swatch({10, 1}, Qt::white), swatch({10, 5}, Qt::white),
                                      Qt::Vertical, 0.4);
    });
    EXPECT_TRUE(near(pixelAt(image, 5, 2).alpha(), 102));
    EXPECT_TRUE(near(pixelAt(image, 5, 20).alpha(), 102));
}

TEST(KivPartDrawingTest, NoSeamsOpenAtFractionalScaleFactors) {
    std::array<QImage, 9> pieces;
    pieces.fill(swatch({3, 3}, Qt::white, 1.0));
    for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        for (const QRectF frame : {QRectF(0, 0, 21, 13), QRectF(1.3, 0.7, 17.6, 9.9)}) {
            const QImage image = renderImage({24, 16}, ratio, [&](QPainter& painter) {
                // Antialiased edges at fractional positions are where seams show.
                painter.setRenderHint(QPainter::Antialiasing);
                KivPartDrawing::drawNinePart(painter, frame, pieces);
            });
            EXPECT_EQ(gapsInside(image, frame), 0) << ratio;
        }
        const QImage three = renderImage({24, 4}, ratio, [&](QPainter& painter) {
            painter.setRenderHint(QPainter::Antialiasing);
            KivPartDrawing::drawThreePart(painter, QRectF(0.4, 0, 19.3, 4),
                                          swatch({3.5, 4}, Qt::white), swatch({1, 4}, Qt::white),
                                          swatch({2.5, 4}, Qt::white));
        });
        EXPECT_EQ(gapsInside(three, QRectF(0.4, 0, 19.3, 4)), 0) << ratio;
    }
}
