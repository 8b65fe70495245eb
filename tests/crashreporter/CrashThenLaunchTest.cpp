#include "crashreporter/CheckForNewCrashReport.h"
#include "crashreporter/CrashLogCheck.h"
#include "crashreporter/ReporterFixture.h"
#include "platform/crash/CrashWriter.h"
#include "support/GuiWatchdog.h"
#include "support/Outlet.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <csignal>
#include <cstdint>

namespace {

// An unmapped address the compiler cannot see through, so the store stays.
volatile std::uintptr_t gUnmappedAddress = 16;

class CrashThenLaunch : public ReporterFixture {
protected:
    QString reports = folder.filePath(QStringLiteral("CrashReports"));

    // False when the crash writer is off (sanitizer builds).
    bool crashAChild() {
        const pid_t child = ::fork();
        if (child == 0) {
            if (!CrashWriter::install("Pondra", reports.toStdString())) {
                ::_exit(2);
            }
            *reinterpret_cast<volatile int*>(gUnmappedAddress) = 1;
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
            return false;
        }
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGSEGV);
        return true;
    }

    // Runs the launch check to its end: the window it showed, or null.
    ZorCrashReporter* checkAtLaunch() {
        check = CheckForNewCrashReport("Pondra", reports, prompts, defaults);
        EXPECT_TRUE(GuiWatchdog::spinUntil([this] { return check->isFinished(); }));
        return check->reporter();
    }

    static int reportWindows() {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            count += widget->objectName() == "reportWindow" && widget->isVisible() ? 1 : 0;
        }
        return count;
    }

    std::unique_ptr<CrashReportCheck> check;
};

} // namespace

TEST_F(CrashThenLaunch, TheNextLaunchOffersTheLogOfACrashedProcess) {
    if (!crashAChild()) {
        GTEST_SKIP() << "the crash writer is off in sanitizer builds";
    }
    const std::optional<QString> report =
        CrashLogCheck::newReport("Pondra", reports, CrashLogCheck::lastReportDate(defaults));
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->contains("Signal: SIGSEGV (11)")) << report->toStdString();
    EXPECT_TRUE(report->contains("Backtrace:\n")) << report->toStdString();

    defaults.setValue("LogLevel", 1);
    ZorCrashReporter* reporter = checkAtLaunch();
    ASSERT_NE(reporter, nullptr);
    EXPECT_TRUE(reporter->isVisible());
    EXPECT_FALSE(reporter->feedbackMode());
    const QString text = outlet<QPlainTextEdit>(reporter, "crashLogField")->toPlainText();
    EXPECT_TRUE(text.startsWith("Model:\t\t")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nSignal: SIGSEGV (11)\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nMemory map:\n"));
    EXPECT_TRUE(text.endsWith("\n\nPreferences:\nLogLevel = 1")) << text.right(80).toStdString();
    EXPECT_FALSE(text.contains("(null)"));

    // Once discarded, the same log is not offered again.
    reporter->discardCrashReport();
    flushDeletes();
    EXPECT_EQ(checkAtLaunch(), nullptr);
    EXPECT_EQ(reportWindows(), 0);
}

TEST_F(CrashThenLaunch, ALogOlderThanTheLastReportOpensNothing) {
    QDir().mkpath(reports);
    QFile log(reports + "/Pondra_2027-01-15-080000_10.crash");
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("Signal: SIGSEGV (11)\n");
    log.close();
    const qint64 written = QFileInfo(log).lastModified().toSecsSinceEpoch();
    CrashLogCheck::setLastReportDate(defaults, written + 1);
    EXPECT_EQ(checkAtLaunch(), nullptr);
    EXPECT_EQ(reportWindows(), 0);

    // A later log is offered; leaving it for later offers it again.
    CrashLogCheck::setLastReportDate(defaults, written - 120);
    ZorCrashReporter* reporter = checkAtLaunch();
    ASSERT_NE(reporter, nullptr);
    reporter->remindMeLater();
    flushDeletes();
    ZorCrashReporter* again = checkAtLaunch();
    ASSERT_NE(again, nullptr);
    again->close();
    flushDeletes();
}

TEST_F(CrashThenLaunch, OfALongLogTheWindowShowsOnlyTheEnd) {
    QDir().mkpath(reports);
    QFile log(reports + "/Pondra_2027-01-15-080000_10.crash");
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    // Four megabytes of memory map before the signal line.
    const QByteArray line =
        "7f0000000000-7f0000021000 r-xp 00000000 fe:01 1234  /usr/lib/libx.so\n";
    for (qsizetype written = 0; written < (4 << 20); written += line.size()) {
        log.write(line);
    }
    log.write("Signal: SIGSEGV (11)\n");
    log.close();

    ZorCrashReporter* reporter = checkAtLaunch();
    ASSERT_NE(reporter, nullptr);
    const QString text = outlet<QPlainTextEdit>(reporter, "crashLogField")->toPlainText();
    EXPECT_TRUE(text.contains("\nSignal: SIGSEGV (11)\n"));
    EXPECT_LT(text.size(), static_cast<qsizetype>(CrashLogCheck::kReadLimit + 4096));
    reporter->close();
    flushDeletes();
}
