#include "KivUI/controls/VornSlider.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SliderFixture : ::testing::Test {
    SliderFixture() {
        slider.setRange(0, 100);
        slider.resize(215, 21);
        QObject::connect(&slider, &VornSlider::valueCommitted, [this](int from, int to) {
            commits.push_back({from, to});
        });
    }
    VornSlider slider;
    std::vector<std::pair<int, int>> commits;
};

} // namespace

TEST_F(SliderFixture, AClickJumpsToTheValueUnderThePointer) {
    // 215 wide with a 15-point knob: 200 points of travel, so x = 107.5 is 50.
    sendMouse(slider, QEvent::MouseButtonPress, {107.5, 10});
    EXPECT_EQ(slider.value(), 50);
    sendMouse(slider, QEvent::MouseButtonRelease, {107.5, 10});
    EXPECT_EQ(commits, (std::vector<std::pair<int, int>>{{0, 50}}));
}

TEST_F(SliderFixture, ADragFromPressToReleaseIsOneEdit) {
    slider.setValue(10);
    std::vector<int> seen;
    QObject::connect(&slider, &QSlider::valueChanged, [&](int value) { seen.push_back(value); });
    sendMouse(slider, QEvent::MouseButtonPress, {27.5, 10});
    for (qreal x : {60.0, 120.0, 180.0}) {
        sendMouse(slider, QEvent::MouseMove, {x, 10});
    }
    EXPECT_TRUE(commits.empty());
    sendMouse(slider, QEvent::MouseButtonRelease, {187.5, 10});
    EXPECT_GT(seen.size(), 2u);
    EXPECT_EQ(slider.value(), 90);
    EXPECT_EQ(commits, (std::vector<std::pair<int, int>>{{10, 90}}));
}

TEST_F(SliderFixture, TheFilledTrackEndsUnderTheKnobsCentre) {
    slider.setValue(50);
    const QRectF knob = slider.knobRect();
    EXPECT_EQ(knob, QRectF(100, 3, 15, 15));
    const QImage image = renderWidget(slider);
    // Left of the knob the track is the blue fill, right of it the dark groove.
    const QColor filled = pixelAt(image, 50, knob.center().y());
    const QColor empty = pixelAt(image, 160, knob.center().y());
    EXPECT_GT(filled.blue(), filled.red() + 40);
    EXPECT_LT(empty.red(), 60);
    EXPECT_TRUE(near(empty.red(), empty.blue(), 3));
}

TEST(VornSliderTest, AVerticalSliderRunsUpFromItsMinimumAtTheBottom) {
    VornSlider slider(Qt::Vertical);
    slider.setRange(0, 100);
    slider.resize(21, 215);
    sendMouse(slider, QEvent::MouseButtonPress, {10, 215 - 57.5});
    EXPECT_EQ(slider.value(), 25);
    sendMouse(slider, QEvent::MouseButtonRelease, {10, 214});
    EXPECT_EQ(slider.value(), 0);
    slider.setValue(100);
    // The knob sits at the top; its rectangle is given along the slider.
    EXPECT_EQ(slider.knobRect().x(), 200);
}
