#include "crashreporter/CrashLogCheck.h"

#include "KivUI/services/UserDefaults.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <future>
#include <thread>

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

    std::optional<QString> newReport() const {
        return CrashLogCheck::newReport("Pondra", _folder.path(),
                                        CrashLogCheck::lastReportDate(_settings));
    }

    QTemporaryDir _folder;
    UserDefaults _settings{_folder.filePath(QStringLiteral("defaults.ini"))};
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
    _settings.waitForWrites();
    const UserDefaults reread(_settings.fileName());
    EXPECT_EQ(CrashLogCheck::lastReportDate(reread), kStoredDate + 0.5);
}

TEST_F(CrashLogCheckTest, OnlyALogLaterThanTheLastReportIsOffered) {
    EXPECT_FALSE(newReport());
    writeLog("Pondra_2027-01-15-080000_10.crash", "header\n\n**********\n\nreport", kStoredDate);
    EXPECT_EQ(newReport(), "report");

    CrashLogCheck::setLastReportDate(_settings, kStoredDate + 10);
    EXPECT_FALSE(newReport());

    // Thirty seconds after the last report: within a float's rounding, still new.
    CrashLogCheck::setLastReportDate(_settings, kStoredDate);
    writeLog("Pondra_2027-01-15-080030_11.crash", "later", kStoredDate + 30);
    EXPECT_EQ(newReport(), "later");
}

TEST_F(CrashLogCheckTest, ALinkOrAFifoNamedLikeALogIsNeverOpenedNorFollowed) {
    QTemporaryDir outside;
    const QString secret = outside.filePath(QStringLiteral("id_rsa"));
    QFile key(secret);
    ASSERT_TRUE(key.open(QIODevice::WriteOnly));
    key.write("PRIVATE KEY");
    key.close();
    const QString fifo = outside.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(secret, _folder.filePath("Pondra_2027-01-15-090000_11.crash")));
    ASSERT_TRUE(QFile::link(fifo, _folder.filePath("Pondra_2027-01-15-100000_12.crash")));
    ASSERT_EQ(
        ::mkfifo(
            QFile::encodeName(_folder.filePath("Pondra_2027-01-15-110000_13.crash")).constData(),
            0600),
        0);
    // A linked folder is not walked into.
    ASSERT_TRUE(QDir().mkpath(outside.filePath("logs")));
    QFile elsewhere(outside.filePath("logs/Pondra_2027-01-16-000000_1.crash"));
    ASSERT_TRUE(elsewhere.open(QIODevice::WriteOnly));
    elsewhere.write("outside");
    elsewhere.close();
    ASSERT_TRUE(QFile::link(outside.filePath("logs"), _folder.filePath("linked")));

    // A check that blocked on the FIFO would never answer: it runs apart,
    // and the FIFO is opened for writing after a while to free it.
    auto answer = std::async(std::launch::async, [this] { return newReport(); });
    if (answer.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the check blocked on a FIFO";
        for (const QString& name : {fifo, _folder.filePath("Pondra_2027-01-15-110000_13.crash")}) {
            const int writer = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
            }
        }
    }
    EXPECT_FALSE(answer.get().has_value());
    EXPECT_EQ(CrashLogCheck::reportFromLog(_folder.filePath("Pondra_2027-01-15-090000_11.crash")),
              "*** Couldn't read Report ***");

    writeLog("Pondra_2027-01-15-080000_10.crash", "the real one", kStoredDate);
    EXPECT_EQ(newReport(), "the real one");
}

TEST_F(CrashLogCheckTest, OfALongLogOnlyTheEndIsReadFromItsFirstWholeLine) {
    QByteArray log = "early\n\n**********\n\n";
    const QByteArray line = "frame 0x0000 in somewhere\n";
    while (log.size() < static_cast<qsizetype>(3 * CrashLogCheck::kReadLimit)) {
        log += line;
    }
    log += "last line";
    writeLog("Pondra_2027-01-15-080000_10.crash", log, kStoredDate);
    const std::optional<QString> report = newReport();
    ASSERT_TRUE(report.has_value());
    EXPECT_LE(report->size(), static_cast<qsizetype>(CrashLogCheck::kReadLimit));
    EXPECT_TRUE(report->startsWith(QStringLiteral("frame 0x0000 in somewhere\n")));
    EXPECT_TRUE(report->endsWith(QStringLiteral("\nlast line")));
}
