#pragma once

#include "crashreporter/CrashReportUpload.h"

#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class KivPrompts;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class UserDefaults;
class QTabWidget;

// The report window: an explanation, the user's message and the report text
// in a tab, sent to the report endpoint as one form post. In crash mode the
// text is a crash report and sending or discarding it stores the last report
// date; in feedback mode the text is the system information and no date is
// stored. It deletes itself when it closes, also while a report is on its
// way: that upload is abandoned and the report offered again. GUI thread.
class ZorCrashReporter final : public QWidget {
public:
    // Crash mode.
    ZorCrashReporter(const QString& logString, KivPrompts& prompts, UserDefaults& defaults,
                     const QUrl& endpoint = defaultEndpoint(),
                     CrashReportUpload::Limits limits = {});
    // Feedback mode.
    ZorCrashReporter(KivPrompts& prompts, UserDefaults& defaults,
                     const QUrl& endpoint = defaultEndpoint(),
                     CrashReportUpload::Limits limits = {});
    ~ZorCrashReporter() override;

    // The "CRASH_REPORT_CGI_URL" of the reporter's strings.
    static QUrl defaultEndpoint();

    bool feedbackMode() const { return _feedbackMode; }
    QProgressBar* progressIndicator() const { return _progressIndicator; }

    void sendCrashReport();
    void remindMeLater();
    void discardCrashReport();

    bool isSending() const { return _sending; }

private:
    ZorCrashReporter(bool feedbackMode, const QString& logString, KivPrompts& prompts,
                     UserDefaults& defaults, const QUrl& endpoint,
                     CrashReportUpload::Limits limits);
    void buildLayout();
    void awakeFromNib(const QString& logString);
    void connectionDidFinish(bool sent, const QString& error);
    void showFinishedMessage(const std::optional<QString>& error);
    void storeLastReportDate();

    KivPrompts& _prompts;
    UserDefaults& _defaults;
    QUrl _endpoint;
    CrashReportUpload::Limits _limits;
    bool _feedbackMode;
    QLabel* _explanationField = nullptr;
    QPlainTextEdit* _informationField = nullptr;
    QPlainTextEdit* _crashLogField = nullptr;
    QTabWidget* _switchTabView = nullptr;
    QProgressBar* _progressIndicator = nullptr;
    QPushButton* _sendButton = nullptr;
    QPushButton* _remindButton = nullptr;
    QPushButton* _discardButton = nullptr;
    // The last upload; it lives as long as the window, which abandons it
    // when it closes first.
    std::unique_ptr<CrashReportUpload> _connection;
    bool _sending = false;
};
