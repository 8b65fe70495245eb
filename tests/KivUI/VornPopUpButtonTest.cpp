#include "KivUI/VornPopUpButton.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

TEST(VornPopUpButtonTest, TheBezelIsInsetAndCentredAndHalfAsOpaqueWhenDisabled) {
    VornPopUpButton popUp;
    popUp.addItems({QStringLiteral("Built-in Output"), QStringLiteral("USB Interface")});
    popUp.resize(160, 27);
    // Inset 3 each side, 22 high, floor((27 - 22) / 2) from the top.
    EXPECT_EQ(popUp.bezelRect(), QRectF(3, 2, 154, 22));
    const QPointF probe(7, 8);
    const QColor enabled = pixelAt(renderWidget(popUp), probe.x(), probe.y());
    popUp.setEnabled(false);
    const QColor disabled = pixelAt(renderWidget(popUp), probe.x(), probe.y());
    EXPECT_EQ(enabled.alpha(), 255);
    EXPECT_TRUE(near(disabled.alpha(), 128)) << disabled.alpha();
}

TEST(VornPopUpButtonTest, SmallAndPullDownUseTheirOwnImages) {
    VornPopUpButton popUp;
    popUp.resize(120, 22);
    popUp.setControlSize(KivControlSize::Small);
    EXPECT_EQ(popUp.bezelRect().height(), 18);
    popUp.setPullsDown(true);
    const QImage pullDown = renderWidget(popUp);
    popUp.setPullsDown(false);
    EXPECT_NE(renderWidget(popUp), pullDown);
}
