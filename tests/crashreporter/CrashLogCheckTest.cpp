#include "crashreporter/CrashLogCheck.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// A present-day date with seconds a float cannot hold.
constexpr qint64 kStoredDate = 1'800'000'037;

class CrashLogCheckTest : public ::testing::Test {
protected:
    QString writeLog(const QString& relativePath, const QByteArray& text, qint64 secondsSince1970) {
        const QString path = _folder.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.flush();
        EXPECT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(secondsSince1970),
                                     QFileDevice::FileModificationTime));
        return path;
    }

    QTemporaryDir _folder;
    QSettings _settings{_folder.filePath(QStringLiteral("defaults.ini")), QSettings::IniFormat};
};

} // namespace

TEST_F(CrashLogCheckTest, TheNewestLogOfTheApplicationWinsAndOthersAreIgnored) {
    writeLog("Pondra_2027-01-15-080000_10.crash", "old", kStoredDate);
    const QString newer =
        writeLog("sub/Pondra_2027-01-15-090000_11.crash", "new", kStoredDate + 60);
    writeLog("Other_2027-01-15-100000_12.crash", "other", kStoredDate + 120);
    writeLog("Pondra_notes.txt", "notes", kStoredDate + 120);
    EXPECT_EQ(CrashLogCheck::FindNewestCrashLogPath("Pondra", _folder.path()), newer);
    EXPECT_TRUE(CrashLogCheck::FindNewestCrashLogPath("Missing", _folder.path()).isEmpty());
}

TEST_F(CrashLogCheckTest, TheReportIsTheLastPieceOfTheLog) {
    EXPECT_EQ(CrashLogCheck::reportFromLog(
                  writeLog("a.crash", "first\n\n**********\n\nsecond", kStoredDate)),
              "second");
    EXPECT_EQ(CrashLogCheck::reportFromLog(writeLog("b.crash", "whole log", kStoredDate)),
              "whole log");
    EXPECT_EQ(CrashLogCheck::reportFromLog(_folder.filePath("absent.crash")),
              "*** Couldn't read Report ***");
}

TEST_F(CrashLogCheckTest, TheLastReportDateKeepsEverySecond) {
    CrashLogCheck::setLastReportDate(_settings, kStoredDate + 0.5);
    _settings.sync();
    const QSettings reread(_settings.fileName(), QSettings::IniFormat);
    EXPECT_EQ(CrashLogCheck::lastReportDate(reread), kStoredDate + 0.5);
}

TEST_F(CrashLogCheckTest, OnlyALogLaterThanTheLastReportIsOffered) {
    EXPECT_FALSE(CrashLogCheck::newReport("Pondra", _folder.path(), _settings));
    writeLog("Pondra_2027-01-15-080000_10.crash", "header\n\n**********\n\nreport", kStoredDate);
    EXPECT_EQ(CrashLogCheck::newReport("Pondra", _folder.path(), _settings), "report");

    CrashLogCheck::setLastReportDate(_settings, kStoredDate + 10);
    EXPECT_FALSE(CrashLogCheck::newReport("Pondra", _folder.path(), _settings));

    // Thirty seconds after the last report: within a float's rounding, still new.
    CrashLogCheck::setLastReportDate(_settings, kStoredDate);
    writeLog("Pondra_2027-01-15-080030_11.crash", "later", kStoredDate + 30);
    EXPECT_EQ(CrashLogCheck::newReport("Pondra", _folder.path(), _settings), "later");
}
