#include "crashreporter/CrashLogCheck.h"
#include "platform/crash/CrashWriter.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSettings>
#include <QTemporaryDir>

#include <csignal>
#include <cstdint>

namespace {

// An unmapped address the compiler cannot see through, so the store stays.
volatile std::uintptr_t gUnmappedAddress = 16;

} // namespace

TEST(CrashThenLaunch, TheNextLaunchOffersTheLogOfACrashedProcess) {
    QTemporaryDir folder;
    const QString reports = folder.filePath(QStringLiteral("CrashReports"));
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
        GTEST_SKIP() << "the crash writer is off in sanitizer builds";
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    QSettings settings(folder.filePath(QStringLiteral("defaults.ini")), QSettings::IniFormat);
    const std::optional<QString> report = CrashLogCheck::newReport("Pondra", reports, settings);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->contains("Signal: SIGSEGV (11)")) << report->toStdString();
    EXPECT_TRUE(report->contains("Backtrace:\n")) << report->toStdString();
}
