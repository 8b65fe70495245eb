#include "crashreporter/CrashLogCheck.h"
#include "crashreporter/CrashReportUpload.h"
#include "crashreporter/OneRequestServer.h"
#include "crashreporter/ReporterFixture.h"
#include "platform/system/SystemInformation.h"
#include "support/Outlet.h"

#include <QDateTime>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>

#include <chrono>

namespace {

const QString kLog = QStringLiteral("Model:\t\tUnknown\nSignal: SIGSEGV (11)");

class ZorCrashReporterTest : public ReporterFixture {
protected:
    // Sends and waits for the reply, after which the window goes.
    void sendAndWait(ZorCrashReporter* reporter) {
        QPointer<ZorCrashReporter> watched(reporter);
        QEventLoop loop;
        QObject::connect(reporter, &QObject::destroyed, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        reporter->sendCrashReport();
        EXPECT_FALSE(outlet<QPushButton>(reporter, "sendButton")->isEnabled());
        EXPECT_FALSE(outlet<QPushButton>(reporter, "discardButton")->isEnabled());
        EXPECT_FALSE(reporter->progressIndicator()->isHidden());
        loop.exec();
        EXPECT_TRUE(watched.isNull());
    }

    static double now() { return QDateTime::currentMSecsSinceEpoch() / 1000.0; }
};

} // namespace

TEST_F(ZorCrashReporterTest, CrashModeShowsTheLogAndFillsThePlaceholders) {
    auto* reporter = new ZorCrashReporter(kLog, prompts, defaults);
    EXPECT_FALSE(reporter->feedbackMode());
    EXPECT_EQ(outlet<QPlainTextEdit>(reporter, "crashLogField")->toPlainText(), kLog);
    EXPECT_TRUE(outlet<QLabel>(reporter, "explanationField")
                    ->text()
                    .startsWith("Pondra quit unexpectedly"));
    const QString message = outlet<QPlainTextEdit>(reporter, "informationField")->toPlainText();
    EXPECT_TRUE(message.contains("E-mail: sound@example.org\n")) << message.toStdString();
    EXPECT_TRUE(message.contains(
        "Name: " + QString::fromStdString(SystemInformation::UserFullName()) + "\n"));
    EXPECT_FALSE(message.contains("%%"));
    EXPECT_FALSE(outlet<QPushButton>(reporter, "remindButton")->isHidden());
    EXPECT_EQ(outlet<QTabWidget>(reporter, "switchTabView")->tabText(0), "Crash Log");
    reporter->remindMeLater();
    EXPECT_EQ(CrashLogCheck::lastReportDate(defaults), 0.0);
}

TEST_F(ZorCrashReporterTest, WithoutAnAddressTheMessageAsksForOne) {
    ::unsetenv("EMAIL");
    auto* reporter = new ZorCrashReporter(kLog, prompts, defaults);
    EXPECT_TRUE(outlet<QPlainTextEdit>(reporter, "informationField")
                    ->toPlainText()
                    .contains("E-mail: (your e-mail address, if we may answer)\n"));
    reporter->close();
}

TEST_F(ZorCrashReporterTest, FeedbackModeShowsTheSystemInformation) {
    defaults.setValue("LogLevel", 2);
    auto* reporter = new ZorCrashReporter(prompts, defaults);
    EXPECT_TRUE(reporter->feedbackMode());
    EXPECT_TRUE(outlet<QPushButton>(reporter, "remindButton")->isHidden());
    EXPECT_EQ(outlet<QTabWidget>(reporter, "switchTabView")->tabText(0), "System Information");
    EXPECT_TRUE(outlet<QLabel>(reporter, "explanationField")
                    ->text()
                    .startsWith("Tell us what you like in Pondra,"));
    EXPECT_FALSE(outlet<QLabel>(reporter, "explanationField")->text().contains("%%"));
    const QString info = outlet<QPlainTextEdit>(reporter, "crashLogField")->toPlainText();
    EXPECT_TRUE(info.startsWith("Application: Pondra 0.1.0\nModel: ")) << info.toStdString();
    EXPECT_TRUE(info.contains(
        "\nSystem Version: " + QString::fromStdString(SystemInformation::OSVersionString()) +
        "\n\nPreferences:\nLogLevel = 2"))
        << info.toStdString();
    EXPECT_FALSE(info.contains("(null)"));
    EXPECT_TRUE(outlet<QPlainTextEdit>(reporter, "informationField")
                    ->toPlainText()
                    .contains("sound@example.org"));
    reporter->close();
}

TEST_F(ZorCrashReporterTest, ASentReportPostsMessageAndLogAndIsNotOfferedAgain) {
    OneRequestServer server(200);
    auto* reporter = new ZorCrashReporter(kLog, prompts, defaults, server.url());
    outlet<QPlainTextEdit>(reporter, "informationField")
        ->setPlainText(QStringLiteral("Es stürzte beim Laden ab."));
    const double before = now();
    sendAndWait(reporter);
    EXPECT_EQ(server.body(),
              CrashReportUpload::body(QStringLiteral("Es stürzte beim Laden ab."), kLog));
    EXPECT_EQ(server.contentLength(), server.body().size());
    EXPECT_TRUE(prompts.alerts.empty());
    defaults.waitForWrites();
    const UserDefaults reread(defaults.fileName());
    EXPECT_GE(CrashLogCheck::lastReportDate(reread), std::floor(before));
    EXPECT_LE(CrashLogCheck::lastReportDate(reread), now());
}

TEST_F(ZorCrashReporterTest, AFailedReportAlertsOnItsOwnWindowAndIsOfferedAgain) {
    for (const int status : {404, 500}) {
        OneRequestServer server(status);
        sendAndWait(new ZorCrashReporter(kLog, prompts, defaults, server.url()));
        EXPECT_TRUE(prompts.alerts.empty());
        ASSERT_EQ(prompts.sheets.size(), 1u) << status;
        EXPECT_EQ(prompts.sheets[0].messageText, "The crash report could not be sent.");
        EXPECT_FALSE(prompts.sheets[0].informativeText.isEmpty());
        EXPECT_EQ(prompts.sheets[0].buttons, QStringList{"OK"});
        EXPECT_EQ(CrashLogCheck::lastReportDate(defaults), 0.0) << status;
        prompts.sheets.clear();
    }
}

TEST_F(ZorCrashReporterTest, AServerThatNeverAnswersEndsInTheAlertAfterTheTimeLimit) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/report").arg(silent.serverPort()));
    sendAndWait(new ZorCrashReporter(kLog, prompts, defaults, url,
                                     {64 * 1024, std::chrono::milliseconds(300)}));
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(prompts.sheets[0].informativeText,
              QStringLiteral("The report server did not answer within 0.3 seconds."));
    EXPECT_EQ(CrashLogCheck::lastReportDate(defaults), 0.0);
}

TEST_F(ZorCrashReporterTest, AWindowSendingToASilentServerClosesWhenAskedAndOffersTheLogAgain) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/report").arg(silent.serverPort()));
    QPointer<ZorCrashReporter> reporter = new ZorCrashReporter(kLog, prompts, defaults, url);
    reporter->show();
    reporter->sendCrashReport();
    ASSERT_TRUE(reporter->isSending());
    EXPECT_TRUE(reporter->close());
    flushDeletes();
    EXPECT_TRUE(reporter.isNull());
    EXPECT_TRUE(prompts.alerts.empty());
    EXPECT_TRUE(prompts.sheets.empty());
    EXPECT_EQ(CrashLogCheck::lastReportDate(defaults), 0.0);
}

TEST_F(ZorCrashReporterTest, FeedbackStoresNoReportDate) {
    OneRequestServer failing(500);
    sendAndWait(new ZorCrashReporter(prompts, defaults, failing.url()));
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(prompts.sheets[0].messageText, "Your feedback could not be sent.");
    OneRequestServer server(200);
    sendAndWait(new ZorCrashReporter(prompts, defaults, server.url()));
    EXPECT_TRUE(server.body().contains("Application: Pondra 0.1.0\n"));
    auto* discarded = new ZorCrashReporter(prompts, defaults);
    discarded->discardCrashReport();
    EXPECT_EQ(CrashLogCheck::lastReportDate(defaults), 0.0);
}

TEST_F(ZorCrashReporterTest, DiscardingStoresTheDateAndClosesTheWindow) {
    QPointer<ZorCrashReporter> reporter = new ZorCrashReporter(kLog, prompts, defaults);
    reporter->show();
    const double before = now();
    reporter->discardCrashReport();
    flushDeletes();
    EXPECT_TRUE(reporter.isNull());
    EXPECT_GE(CrashLogCheck::lastReportDate(defaults), std::floor(before));
}
