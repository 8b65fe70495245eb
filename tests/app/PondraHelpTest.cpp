#include "WorkspaceWindowsFixture.h"
#include "app/EulaWindow.h"
#include "crashreporter/CheckForNewCrashReport.h"
#include "crashreporter/CrashLogCheck.h"
#include "crashreporter/KivAboutController.h"
#include "crashreporter/ZorCrashReporter.h"
#include "support/GuiWatchdog.h"
#include "support/Outlet.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextBrowser>

#include <vector>

namespace {

// Every visible top-level window of that object name.
std::vector<QWidget*> windowsNamed(const QString& name) {
    std::vector<QWidget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
            found.push_back(widget);
        }
    }
    return found;
}

void closeAll(const QString& name) {
    for (QWidget* widget : windowsNamed(name)) {
        widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class PondraHelpTest : public WorkspaceWindowsFixture {
protected:
    PondraHelpTest() {
        application->setUrlOpener([this](const QUrl& url) { opened.push_back(url); });
        application->setPrompts(prompts);
        workspace = windows->openUntitled();
    }

    void trigger(const char* actionName) {
        QAction* action = windows->windowControllerOf(*workspace)->window()->action(actionName);
        ASSERT_NE(action, nullptr) << actionName;
        EXPECT_TRUE(action->isEnabled()) << actionName;
        action->trigger();
    }

    std::vector<QUrl> opened;
    std::shared_ptr<Workspace> workspace;
};

// The launch looks in "$XDG_DATA_HOME/Pondra/CrashReports", in the fixture's
// folder.
class LaunchCrashCheckTest : public PondraFixture {
protected:
    LaunchCrashCheckTest() { QDir().mkpath(reports); }
    ~LaunchCrashCheckTest() override { closeAll(QStringLiteral("reportWindow")); }

    // The check reads the log on a thread of its own: its window shows later.
    static void finishCrashCheck(const Pondra& application) {
        ASSERT_NE(application.crashCheck(), nullptr);
        EXPECT_TRUE(GuiWatchdog::spinUntil([&] { return application.crashCheck()->isFinished(); }));
    }

    QString reports = folder.filePath(QStringLiteral("Pondra/CrashReports"));
};

} // namespace

TEST_F(PondraHelpTest, PagesAndSupportOpenThroughTheSystemsHandlers) {
    trigger("showDocumentation");
    trigger("showChangelog");
    trigger("contactSupport");
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://pondra.brenmoor.example/documentation/"),
                                         QUrl("https://pondra.brenmoor.example/changes/"),
                                         QUrl("mailto:support@brenmoor.example")}));
}

TEST_F(PondraHelpTest, TheLicenceWindowShowsTheAgreement) {
    trigger("showEULA");
    ASSERT_NE(application->eulaWindow(), nullptr);
    EXPECT_TRUE(application->eulaWindow()->isVisible());
    EXPECT_TRUE(outlet<QTextBrowser>(application->eulaWindow(), "eulaText")
                    ->toPlainText()
                    .contains("Pondra End-User Licence Agreement"));
    trigger("showEULA");
    EXPECT_EQ(windowsNamed(QStringLiteral("eulaWindow")).size(), 1u);
}

TEST_F(PondraHelpTest, TheAboutWindowOpensOnceAndItsLinksGoOutside) {
    trigger("showAboutWindow");
    trigger("showAboutWindow");
    EXPECT_EQ(windowsNamed(QStringLiteral("aboutWindow")).size(), 1u);
    ASSERT_NE(application->aboutController(), nullptr);
    Q_EMIT outlet<QTextBrowser>(application->aboutController()->window(), "credits")
        ->anchorClicked(QUrl("https://www.qt.io/"));
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://www.qt.io/")});
}

TEST_F(PondraHelpTest, FeedbackOpensAReportWindowInFeedbackMode) {
    trigger("orderFrontFeedbackWindow");
    const std::vector<QWidget*> reporters = windowsNamed(QStringLiteral("reportWindow"));
    ASSERT_EQ(reporters.size(), 1u);
    EXPECT_TRUE(static_cast<ZorCrashReporter*>(reporters[0])->feedbackMode());
    closeAll(QStringLiteral("reportWindow"));
}

TEST_F(LaunchCrashCheckTest, EveryLaunchOffersACrashLogUntilItIsDealtWith) {
    QFile crashLog(reports + "/Pondra_2026-12-09-211403_4242.crash");
    ASSERT_TRUE(crashLog.open(QIODevice::WriteOnly));
    crashLog.write("Process: Pondra [4242]\nSignal: SIGSEGV (11)\n");
    crashLog.close();

    for (int launch = 0; launch < 2; ++launch) {
        auto application = makeApplication();
        application->applicationDidFinishLaunching();
        finishCrashCheck(*application);
        const std::vector<QWidget*> offered = windowsNamed(QStringLiteral("reportWindow"));
        ASSERT_EQ(offered.size(), 1u) << launch;
        auto* reporter = static_cast<ZorCrashReporter*>(offered[0]);
        EXPECT_FALSE(reporter->feedbackMode());
        EXPECT_TRUE(outlet<QPlainTextEdit>(reporter, "crashLogField")
                        ->toPlainText()
                        .contains("Signal: SIGSEGV (11)"));
        if (launch == 0) {
            reporter->remindMeLater();
        } else {
            reporter->discardCrashReport();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    auto application = makeApplication();
    application->applicationDidFinishLaunching();
    finishCrashCheck(*application);
    EXPECT_TRUE(windowsNamed(QStringLiteral("reportWindow")).empty());
    EXPECT_GT(CrashLogCheck::lastReportDate(application->defaults()), 0.0);
}
