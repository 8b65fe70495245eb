#include "KivUI/controls/VornButton.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

namespace {

// A point on the bezel's left, clear of the title.
constexpr QPointF kBezelProbe(12, 9);

} // namespace

TEST(VornButtonTest, ADisabledButtonDrawsItsBezelAtFortyPercent) {
    VornButton button(QStringLiteral("Play"));
    button.resize(100, 32);
    EXPECT_EQ(button.bezelRect(), QRectF(6, 3, 88, 24));
    const QColor enabled = pixelAt(renderWidget(button), kBezelProbe.x(), kBezelProbe.y());
    button.setEnabled(false);
    const QColor disabled = pixelAt(renderWidget(button), kBezelProbe.x(), kBezelProbe.y());
    EXPECT_EQ(enabled.alpha(), 255);
    EXPECT_TRUE(near(disabled.alpha(), 102)) << disabled.alpha();
    EXPECT_TRUE(near(disabled.red(), enabled.red(), 3));
}

TEST(VornButtonTest, TheDefaultButtonGlowsSteadilyAndAnOverlayReplacesTheGlow) {
    VornButton button(QStringLiteral("OK"));
    button.resize(100, 32);
    const int plain = pixelAt(renderWidget(button), kBezelProbe.x(), kBezelProbe.y()).red();
    button.setDefault(true);
    ASSERT_TRUE(button.isDefaultButton());
    const QImage glowing = renderWidget(button);
    const int glow = pixelAt(glowing, kBezelProbe.x(), kBezelProbe.y()).red();
    // White at 0.2 over the bezel.
    EXPECT_TRUE(near(glow, static_cast<int>(std::lround(plain + (255 - plain) * 0.2)), 3))
        << plain << " " << glow;
    EXPECT_EQ(renderWidget(button), glowing);
    button.setOverlayColor(QColor(255, 0, 0, 255));
    const QColor red = pixelAt(renderWidget(button), kBezelProbe.x(), kBezelProbe.y());
    EXPECT_EQ(red, QColor(255, 0, 0));
    button.setEnabled(false);
    EXPECT_FALSE(button.isDefaultButton());
}

TEST(VornButtonTest, ThePressedSetServesWhileDownOrCheckedOn) {
    VornButton button(QStringLiteral("Loop"));
    button.resize(100, 32);
    const int up = pixelAt(renderWidget(button), kBezelProbe.x(), 6).red();
    button.setDown(true);
    const int down = pixelAt(renderWidget(button), kBezelProbe.x(), 6).red();
    EXPECT_LT(down, up - 20);
    button.setDown(false);
    button.setCheckable(true);
    button.setChecked(true);
    EXPECT_EQ(pixelAt(renderWidget(button), kBezelProbe.x(), 6).red(), down);
}
