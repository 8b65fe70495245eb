#include "KivUI/controls/KivBoxView.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

namespace {

QImage solid(int side, QColor colour) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

int countColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

} // namespace

TEST(KivBoxViewTest, ImagesOfThirtyAndThirtyOneGiveTenByTenPieces) {
    for (int side : {30, 31}) {
        KivBoxView box;
        box.setBackgroundImage(solid(side, Qt::green));
        for (const QImage& piece : box.pieces()) {
            EXPECT_EQ(piece.size(), QSize(10, 10)) << side;
        }
    }
}

TEST(KivBoxViewTest, TheSparePixelsOfAThirtyOneImageAreInNoPiece) {
    // Column 20 and, counted from the bottom, row 20 (row 10 from the top).
    QImage image = solid(31, Qt::green);
    for (int i = 0; i < 31; ++i) {
        image.setPixelColor(20, i, Qt::red);
        image.setPixelColor(i, 10, Qt::red);
    }
    KivBoxView box;
    box.setBackgroundImage(image);
    for (const QImage& piece : box.pieces()) {
        EXPECT_EQ(countColour(piece, qRgb(255, 0, 0)), 0);
    }
    // The pieces keep the image's corners: the bottom-right piece ends at
    // the image's bottom-right pixel.
    image.setPixelColor(30, 30, Qt::blue);
    box.setBackgroundImage(image);
    EXPECT_EQ(box.pieces()[KivBoxView::BottomRight].pixelColor(9, 9), QColor(Qt::blue));
    box.resize(64, 48);
    EXPECT_EQ(countColour(renderWidget(box, 1.5), qRgb(255, 0, 0)), 0);
}

TEST(KivBoxViewTest, NoSeamsAtFractionalScaleFactors) {
    KivBoxView box;
    box.setBackgroundImage(solid(31, Qt::white));
    for (QSize size : {QSize(47, 33), QSize(101, 29), QSize(30, 30)}) {
        box.resize(size);
        for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5}) {
            const QImage image = renderWidget(box, ratio);
            EXPECT_EQ(countColour(image, qRgb(255, 255, 255)), image.width() * image.height())
                << size.width() << "x" << size.height() << " at " << ratio;
        }
    }
}
