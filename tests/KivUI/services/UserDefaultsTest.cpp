// User defaults: read once at start within a size, written by a thread of
// their own, and never lost to a failed write.
#include "KivUI/services/UserDefaults.h"

#include "support/FifoOpening.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    QString path() const { return folder.filePath(QStringLiteral("brenmoor/Pondra.conf")); }

    QTemporaryDir folder;
};

} // namespace

TEST_F(UserDefaultsTest, ValuesOfEveryKindReachTheNextLaunchThroughQtsSettingsFile) {
    const QVariantMap frames{{QStringLiteral("file:///show.pondra"), QByteArray("\x01\x02", 2)}};
    {
        UserDefaults defaults(path());
        defaults.setValue(QStringLiteral("LogLevel"), 3);
        defaults.setValue(QStringLiteral("window frames"), frames);
        defaults.setValue(QStringLiteral("ZorCrashReporterLastCrashReportDate"), 1800000037.5);
        defaults.setValue(QStringLiteral("gone"), true);
        defaults.remove(QStringLiteral("gone"));
        EXPECT_EQ(defaults.value(QStringLiteral("LogLevel")).toInt(), 3);
        EXPECT_EQ(
            defaults.allKeys(),
            (QStringList{"LogLevel", "ZorCrashReporterLastCrashReportDate", "window frames"}));
    }
    const QSettings stored(path(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("LogLevel")).toInt(), 3);

    const UserDefaults next(path());
    EXPECT_EQ(next.value(QStringLiteral("LogLevel")).toInt(), 3);
    EXPECT_EQ(next.value(QStringLiteral("window frames")).toMap(), frames);
    EXPECT_EQ(next.value(QStringLiteral("ZorCrashReporterLastCrashReportDate")).toDouble(),
              1800000037.5);
    EXPECT_FALSE(next.contains(QStringLiteral("gone")));
    EXPECT_EQ(next.value(QStringLiteral("absent"), 7).toInt(), 7);
}

TEST_F(UserDefaultsTest, AChangeReturnsAtOnceAndReachesTheDiskOnTheWritersTime) {
    UserDefaults defaults(path());
    defaults.setValue(QStringLiteral("LogLevel"), 2);
    // Gathered with whatever follows it, then written apart from the caller.
    EXPECT_FALSE(QFileInfo::exists(path()));
    defaults.waitForWrites();
    EXPECT_EQ(QSettings(path(), QSettings::IniFormat).value(QStringLiteral("LogLevel")).toInt(), 2);
}

TEST_F(UserDefaultsTest, AFileBeyondTheLimitIsLeftUnreadAndReplacedByTheNextWrite) {
    {
        QSettings big(path(), QSettings::IniFormat);
        big.setValue(QStringLiteral("LogLevel"), 3);
        big.setValue(QStringLiteral("junk"), QString(UserDefaults::kReadLimit, QLatin1Char('j')));
    }
    ASSERT_GT(QFileInfo(path()).size(), UserDefaults::kReadLimit);
    UserDefaults defaults(path());
    EXPECT_TRUE(defaults.allKeys().isEmpty());
    defaults.setValue(QStringLiteral("NSInitialToolTipDelay"), 800);
    defaults.waitForWrites();
    EXPECT_LT(QFileInfo(path()).size(), 1024);
    EXPECT_EQ(UserDefaults(path()).allKeys(), QStringList{"NSInitialToolTipDelay"});
}

TEST_F(UserDefaultsTest, AFifoInTheFilesPlaceIsPassedOverAtOnceAndReplacedByTheNextWrite) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path()).path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    std::unique_ptr<UserDefaults> defaults;
    EXPECT_TRUE(returnsWithoutAWriter(QFile::encodeName(path()).toStdString(),
                                      [&] { defaults = std::make_unique<UserDefaults>(path()); }));
    ASSERT_TRUE(defaults);
    EXPECT_TRUE(defaults->allKeys().isEmpty());
    defaults->setValue(QStringLiteral("LogLevel"), 2);
    defaults->waitForWrites();
    EXPECT_TRUE(QFileInfo(path()).isFile());
    EXPECT_EQ(UserDefaults(path()).value(QStringLiteral("LogLevel")).toInt(), 2);
}
