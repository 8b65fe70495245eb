// Renders the level meter empty, at 0 dB and at +12 dB, checks its pixels and
// writes each picture to the gallery.
#include "window/workspace/PondraAudioLevelView.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

namespace {

// The meter's 150 x 22 at `value` on both channels.
QImage renderMeter(float value, const char* name) {
    PondraAudioLevelView meter;
    meter.resize(meter.sizeHint());
    meter.setLeftChannelPower(value);
    meter.setLeftChannelPeak(value);
    meter.setRightChannelPower(value);
    meter.setRightChannelPeak(value);
    QImage image(meter.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    meter.render(&image);
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    EXPECT_TRUE(image.save(QStringLiteral(PONDRA_GALLERY_DIR "/level-meter-%1.png").arg(name)));
    return image;
}

// The groove alone: 45 % black over the window background.
bool isGroove(QColor pixel) {
    return std::abs(pixel.red() - 131) <= 3 && pixel.red() == pixel.green() &&
           pixel.green() == pixel.blue();
}

} // namespace

TEST(PondraAudioLevelView, TheBarsFillFourFifthsAtZeroDecibelsAndRedden) {
    const QImage empty = renderMeter(PondraAudioLevelView::kFloor, "floor");
    const QImage zero = renderMeter(0, "0dB");
    const QImage full = renderMeter(1, "12dB");
    // Rows through the middle of the left and right bars.
    for (int row : {7, 16}) {
        EXPECT_TRUE(isGroove(empty.pixelColor(5, row)));
        EXPECT_TRUE(isGroove(empty.pixelColor(75, row)));
        EXPECT_TRUE(isGroove(empty.pixelColor(145, row)));

        // (0 + 4) / 5 of 147 pixels: the bar ends near x = 119.
        const QColor green = zero.pixelColor(30, row);
        EXPECT_GT(green.green(), 180);
        EXPECT_LT(green.blue(), 100);
        EXPECT_FALSE(isGroove(zero.pixelColor(115, row)));
        EXPECT_TRUE(isGroove(zero.pixelColor(130, row)));

        const QColor red = full.pixelColor(145, row);
        EXPECT_GT(red.red(), 180);
        EXPECT_LT(red.green(), 100);
        EXPECT_FALSE(isGroove(full.pixelColor(130, row)));
    }
}
