#include "KivUI/controls/VornCheckBox.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

TEST(VornCheckBoxTest, TheImageFollowsStateAndPress) {
    VornCheckBox box(QStringLiteral("Hold"));
    box.setTristate(true);
    EXPECT_EQ(box.imageName(), QStringLiteral("vorn_checkbox_off"));
    box.setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(box.imageName(), QStringLiteral("vorn_checkbox_mixed"));
    box.setCheckState(Qt::Checked);
    box.setDown(true);
    EXPECT_EQ(box.imageName(), QStringLiteral("vorn_checkbox_on_pressed"));
}

TEST(VornCheckBoxTest, ADisabledCheckBoxDrawsAtAQuarter) {
    VornCheckBox box(QStringLiteral("Solo"));
    box.setChecked(true);
    box.resize(80, 20);
    const QRectF image = box.imageRect();
    const QPointF probe = image.center() + QPointF(-4, -4);
    const QColor enabled = pixelAt(renderWidget(box), probe.x(), probe.y());
    box.setEnabled(false);
    const QColor disabled = pixelAt(renderWidget(box), probe.x(), probe.y());
    EXPECT_EQ(enabled.alpha(), 255);
    EXPECT_TRUE(near(disabled.alpha(), 64)) << disabled.alpha();
}
