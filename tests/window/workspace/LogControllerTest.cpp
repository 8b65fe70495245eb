#include "window/workspace/LogController.h"

#include "model/PondraLogger.h"
#include "support/Outlet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include <chrono>
#include <thread>

namespace {

std::shared_ptr<PondraLogger> loggerAtNoon() {
    return std::make_shared<PondraLogger>(
        [] { return std::chrono::system_clock::time_point(std::chrono::hours(24 * 20000 + 12)); });
}

QString text(const LogController& window) {
    return window.textView()->toPlainText();
}

} // namespace

TEST(LogController, ShowsTheLinesAppendedOnAnotherThreadOnceTheGuiThreadRuns) {
    auto logger = loggerAtNoon();
    logger->appendLog("Preshow Music (preshow.wav)");
    LogController window;
    window.setLogger(logger);
    EXPECT_EQ(text(window), QString::fromStdString(logger->stringWithContentsOfLog()));

    std::thread midi([&] {
        logger->appendLog("Thunder Crack (thunder.wav)");
        logger->appendLog("Door Slam (door.wav)");
    });
    midi.join();
    EXPECT_EQ(text(window).count(QLatin1Char('\n')), 1);
    QApplication::processEvents();
    EXPECT_EQ(text(window), QString::fromStdString(logger->stringWithContentsOfLog()));
    EXPECT_EQ(text(window).count(QLatin1Char('\n')), 3);
    EXPECT_TRUE(text(window).endsWith(QStringLiteral(" - Door Slam (door.wav)\n")));
}

TEST(LogController, PausesResumesAndClearsTheLog) {
    auto logger = loggerAtNoon();
    LogController window;
    window.setLogger(logger);
    EXPECT_EQ(outlet<QPushButton>(&window, "muteButton")->text(), QStringLiteral("Pause logging"));
    outlet<QPushButton>(&window, "muteButton")->click();
    EXPECT_TRUE(logger->muted());
    EXPECT_EQ(outlet<QPushButton>(&window, "muteButton")->text(), QStringLiteral("Resume logging"));
    logger->appendLog("missed");
    QApplication::processEvents();
    EXPECT_EQ(text(window), QString());
    outlet<QPushButton>(&window, "muteButton")->click();
    EXPECT_FALSE(logger->muted());
    EXPECT_EQ(outlet<QPushButton>(&window, "muteButton")->text(), QStringLiteral("Pause logging"));

    logger->appendLog("Curtain Call (curtain.wav)");
    QApplication::processEvents();
    EXPECT_FALSE(text(window).isEmpty());
    outlet<QPushButton>(&window, "clearButton")->click();
    QApplication::processEvents();
    EXPECT_TRUE(logger->log().empty());
    EXPECT_EQ(text(window), QString());
}

TEST(LogController, FollowsOnlyTheLoggerItShows) {
    auto first = loggerAtNoon();
    auto second = loggerAtNoon();
    second->appendLog("second");
    LogController window;
    window.setLogger(first);
    window.setLogger(second);
    first->appendLog("first");
    QApplication::processEvents();
    EXPECT_EQ(text(window), QString::fromStdString(second->stringWithContentsOfLog()));
}
