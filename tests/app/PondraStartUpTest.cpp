#include "KivUI/ScriptedPrompts.h"
#include "KivUI/drawing/KivColors.h"
#include "PondraFixture.h"
#include "app/WorkspaceWindows.h"
#include "audio/OfflineHardware.h"
#include "model/Workspace.h"
#include "support/GuiWatchdog.h"
#include "window/sheets/PrefsController.h"

#include <gmock/gmock.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>

#include <chrono>

using ::testing::Contains;
using ::testing::MatchesRegex;

TEST_F(PondraFixture, WithoutALogLevelDefaultTheStartUpLinesShowLevelZero) {
    const auto before = std::chrono::system_clock::now();
    auto application = makeApplication();

    const auto lines = log.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_THAT(lines[0],
                MatchesRegex("Pondra 0\\.1\\.0 on Linux [^ ]+ with [0-9]+\\.[0-9] GB RAM"));
    EXPECT_EQ(lines[1], "Launching at log level 0");
    EXPECT_EQ(KivEnvironment::logLevel(), 0);
    const auto launched = std::any_cast<std::chrono::system_clock::time_point>(
        KivEnvironment::objectForKey("appLaunchDate"));
    EXPECT_GE(launched, before);
    EXPECT_LE(launched, std::chrono::system_clock::now());
}

TEST_F(PondraFixture, TheLogLevelDefaultSetsTheLevelAndTheLine) {
    defaults()->setValue("LogLevel", 3);
    auto application = makeApplication();

    EXPECT_THAT(log.lines(), Contains("Launching at log level 3"));
    EXPECT_EQ(KivEnvironment::logLevel(), 3);
}

TEST_F(PondraFixture, ALogLevelThatIsNoNumberReadsAsZero) {
    defaults()->setValue("LogLevel", "loud");
    auto application = makeApplication();

    EXPECT_THAT(log.lines(), Contains("Launching at log level 0"));
    EXPECT_EQ(KivEnvironment::logLevel(), 0);
}

TEST_F(PondraFixture, TheToolTipDelayIsWrittenAtEveryStart) {
    defaults()->setValue("NSInitialToolTipDelay", 100);
    auto application = makeApplication();

    application->defaults().waitForWrites();
    EXPECT_EQ(defaults()->value("NSInitialToolTipDelay").toInt(), 800);
}

TEST_F(PondraFixture, TheWindowsNameTheInstalledDesktopEntryAndCarryTheIcon) {
    auto application = makeApplication();

    // The desktop finds the entry by this name, so it must be the installed file's.
    const QString entry = QGuiApplication::desktopFileName() + QStringLiteral(".desktop");
    EXPECT_EQ(entry, QFileInfo(QStringLiteral(PONDRA_DESKTOP_ENTRY)).fileName());
    const QIcon icon = QGuiApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(QSize(256, 256)).size(), QSize(256, 256));
}

TEST_F(PondraFixture, EveryMenuWearsTheDarkWindowsColoursFromTheStartOn) {
    auto application = makeApplication();
    QMenu contextual;
    QWidget window;
    QMenu* child = new QMenu(&window);
    for (QMenu* menu : {&contextual, child}) {
        menu->ensurePolished();
        EXPECT_EQ(menu->palette().color(QPalette::Window), KivColors::inspectorTop());
        EXPECT_EQ(menu->palette().color(QPalette::Text), KivColors::textFieldText());
    }
}

TEST_F(PondraFixture, AnUntitledWorkspaceIsOpenedWhenNoneIsAskedFor) {
    auto application = makeApplication();
    EXPECT_TRUE(application->applicationShouldOpenUntitledFile());
}

namespace {

// Defaults of 8 MB, most of it one key no version of Pondra ever wrote.
class HugeDefaults : public PondraFixture {
protected:
    HugeDefaults() {
        QDir().mkpath(folder.filePath(QStringLiteral("brenmoor")));
        QFile file(folder.filePath(QStringLiteral("brenmoor/Pondra.conf")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nLogLevel=2\njunk=");
        file.write(QByteArray(8 << 20, 'j'));
        file.write("\n");
    }
};

} // namespace

TEST_F(HugeDefaults, NeitherTheLaunchNorALaterSettingsWriteWaitsOnTheFile) {
    OfflineHardware hardware;
    ScriptedPrompts prompts;
    auto application = makeApplication();
    // Too large to be read: the launch goes on with the defaults' defaults.
    EXPECT_THAT(log.lines(), Contains("Launching at log level 0"));
    WorkspaceWindows windows(
        *application, [] { return std::make_shared<Workspace>(nullptr); }, prompts);
    GuiWatchdog watchdog;
    windows.showPreferences();
    windows.preferences()->setLogLevel(1);
    GuiWatchdog::spinUntil([] { return false; }, std::chrono::milliseconds(1000));
    EXPECT_LT(watchdog.longestStall(), GuiWatchdog::kFreeze);
    application->defaults().waitForWrites();
    EXPECT_EQ(defaults()->value("LogLevel").toInt(), 1);
    KivEnvironment::setLogLevel(0);
}
