#include "KivUI/controls/VornSplitView.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

TEST(VornSplitViewTest, AStackedPaneSplitterHasATwelvePointSkinnedDivider) {
    VornSplitView split(Qt::Vertical);
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    split.resize(200, 200);
    split.show();
    EXPECT_EQ(split.handleWidth(), 12);
    const QRect handle = split.handle(1)->geometry();
    EXPECT_EQ(handle.height(), 12);
    const QImage image = renderWidget(split);
    // The bar's art, not the plain divider colour, across the middle.
    EXPECT_EQ(pixelAt(image, 20, handle.center().y()).alpha(), 255);
    EXPECT_FALSE(nearGrey(pixelAt(image, 20, handle.center().y()), 0.1, 1));
}

TEST(VornSplitViewTest, OtherDividersKeepQtsThicknessInTheDividerColour) {
    VornSplitView split(Qt::Horizontal);
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    split.resize(200, 100);
    split.show();
    EXPECT_FALSE(split.drawsSkinnedDivider());
    EXPECT_NE(split.handleWidth(), 12);
    const QRect handle = split.handle(1)->geometry();
    EXPECT_TRUE(nearGrey(pixelAt(renderWidget(split), handle.center().x(), 50), 0.1, 1));
    split.setOrientation(Qt::Vertical);
    split.setPaneSplitter(false);
    EXPECT_FALSE(split.drawsSkinnedDivider());
}
