#include "KivUI/controls/KivSimpleProgress.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>

#include <cmath>

namespace {

// Counts the paints a widget gets, none of them from the event loop.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

struct SimpleProgressFixture : ::testing::Test {
    SimpleProgressFixture() {
        progress.show();
        // The window must be on screen before a paint can happen at once.
        QCoreApplication::processEvents();
        progress.progressIndicator()->installEventFilter(&counter);
    }
    // How many times setting the value drew the bar at once.
    int paintsFor(double value) {
        counter.paints = 0;
        progress.setDoubleValue(value);
        return counter.paints;
    }
    KivSimpleProgress progress;
    PaintCounter counter;
};

} // namespace

TEST_F(SimpleProgressFixture, WithAMaximumOf1000OnlyWholeStepsOfTenRedisplay) {
    progress.setMaxValue(1000);
    EXPECT_EQ(paintsFor(10), 1);
    EXPECT_EQ(paintsFor(15), 0);
    EXPECT_EQ(paintsFor(20), 1);
    EXPECT_EQ(paintsFor(30), 1);
    EXPECT_EQ(progress.progressIndicator()->value(), KivSimpleProgress::kIndicatorSteps * 3 / 100);
    counter.paints = 0;
    progress.incrementBy(5);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(progress.doubleValue(), 35);
    progress.incrementBy(5);
    EXPECT_EQ(counter.paints, 1);
}

TEST_F(SimpleProgressFixture, WithAMaximumBelowHundredEveryValueRedisplays) {
    progress.setMaxValue(50);
    for (double value : {1.0, 2.0, 15.0, 33.0}) {
        EXPECT_EQ(paintsFor(value), 1) << value;
    }
    progress.setLabel(QStringLiteral("Saving \"Show\""));
    EXPECT_EQ(progress.label()->text(), QStringLiteral("Saving \"Show\""));
    EXPECT_TRUE(progress.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(SimpleProgressFixture, TheBarShowsFractionsOfTheRangeWhateverItsBounds) {
    QProgressBar* bar = progress.progressIndicator();
    const auto shown = [&] { return double(bar->value() - bar->minimum()) / bar->maximum(); };
    progress.setMinValue(0);
    progress.setMaxValue(1);
    EXPECT_EQ(progress.minValue(), 0);
    EXPECT_EQ(progress.maxValue(), 1);
    progress.setDoubleValue(0.25);
    EXPECT_DOUBLE_EQ(shown(), 0.25) << "a range of 0 to 1 fills gradually";
    progress.incrementBy(0.5);
    EXPECT_DOUBLE_EQ(progress.doubleValue(), 0.75);
    EXPECT_DOUBLE_EQ(shown(), 0.75);

    progress.setMinValue(-2);
    progress.setMaxValue(2);
    progress.setDoubleValue(1);
    EXPECT_DOUBLE_EQ(shown(), 0.75) << "measured from the minimum";
    progress.setMinValue(0);
    EXPECT_DOUBLE_EQ(shown(), 0.5) << "a new bound moves the bar";

    progress.setDoubleValue(5);
    EXPECT_DOUBLE_EQ(shown(), 1.0) << "past the maximum: full, not beyond";
    progress.setDoubleValue(-5);
    EXPECT_DOUBLE_EQ(shown(), 0.0);
    progress.setMaxValue(0);
    progress.setDoubleValue(0);
    EXPECT_DOUBLE_EQ(shown(), 0.0) << "an empty range shows an empty bar";
    progress.setMaxValue(1);
    progress.setDoubleValue(std::nan(""));
    EXPECT_DOUBLE_EQ(shown(), 0.0);
}
