#include "app/QtScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <memory>
#include <vector>

namespace {

// Zero-delay timers fire in the order they were started, so a later one that
// ends the loop proves whether an earlier one fired.
class QtSchedulerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_scheduler_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            application = std::make_unique<QCoreApplication>(argc, argv);
        }
    }
    static void TearDownTestSuite() { application.reset(); }

    void runUntilQuit() { loop.exec(); }

    static std::unique_ptr<QCoreApplication> application;
    QtScheduler scheduler;
    QEventLoop loop;
    std::vector<int> fired;
};

std::unique_ptr<QCoreApplication> QtSchedulerTest::application;

} // namespace

TEST_F(QtSchedulerTest, OneShotTimersFireOnceInOrder) {
    scheduler.scheduleOnce(0, [&] { fired.push_back(1); });
    scheduler.scheduleOnce(0, [&] { fired.push_back(2); });
    scheduler.scheduleOnce(0, [&] { loop.quit(); });
    runUntilQuit();
    scheduler.scheduleOnce(0, [&] { loop.quit(); });
    runUntilQuit();
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
}

TEST_F(QtSchedulerTest, ACancelledTimerNeverFires) {
    const auto cancelled = scheduler.scheduleOnce(0, [&] { fired.push_back(1); });
    scheduler.scheduleOnce(0, [&] { loop.quit(); });
    scheduler.cancel(cancelled);
    runUntilQuit();
    EXPECT_TRUE(fired.empty());
}

TEST_F(QtSchedulerTest, ARepeatingTimerRunsUntilItCancelsItself) {
    Scheduler::TimerId repeating = 0;
    repeating = scheduler.scheduleRepeating(0, [&] {
        fired.push_back(static_cast<int>(fired.size()));
        if (fired.size() == 3) {
            scheduler.cancel(repeating);
            scheduler.scheduleOnce(0, [&] { loop.quit(); });
        }
    });
    runUntilQuit();
    scheduler.scheduleOnce(0, [&] { loop.quit(); });
    runUntilQuit();
    EXPECT_EQ(fired, (std::vector<int>{0, 1, 2}));
}

TEST_F(QtSchedulerTest, CancellingAnUnknownOrFinishedTimerDoesNothing) {
    const auto finished = scheduler.scheduleOnce(0, [&] { fired.push_back(1); });
    scheduler.scheduleOnce(0, [&] { loop.quit(); });
    runUntilQuit();
    scheduler.cancel(finished);
    scheduler.cancel(12345);
    EXPECT_EQ(fired, std::vector<int>{1});
}

TEST_F(QtSchedulerTest, ACallbackMayScheduleAnotherTimer) {
    scheduler.scheduleOnce(0, [&] {
        fired.push_back(1);
        scheduler.scheduleOnce(0, [&] {
            fired.push_back(2);
            loop.quit();
        });
    });
    runUntilQuit();
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
}
