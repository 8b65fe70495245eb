#include "KivUI/controls/KivSimpleProgress.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>

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
    EXPECT_EQ(progress.progressIndicator()->value(), 30);
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
