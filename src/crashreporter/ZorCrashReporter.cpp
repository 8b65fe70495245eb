#include "crashreporter/ZorCrashReporter.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/services/KivPrompts.h"
#include "KivUI/services/UserDefaults.h"
#include "crashreporter/CrashLogCheck.h"
#include "crashreporter/CrashReportText.h"
#include "crashreporter/CrashReportUpload.h"
#include "crashreporter/ResourceStrings.h"
#include "platform/system/SystemInformation.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The crash-mode texts of the "ZorCrashReporter" layout, placeholders included.
const char* const kCrashExplanation =
    "%%APPNAME quit unexpectedly the last time it ran. Sending the report below helps us find "
    "and mend the fault; a few words on what you were doing help most.";
const char* const kCrashMessage = "Name: %%LONGUSERNAME\nE-mail: %%EMAILADDRESS\n\n"
                                  "What I was doing when it quit:\n";

QString localized(const char* key) {
    return ResourceStrings::value(QStringLiteral("ZorCrashReporter"), QString::fromLatin1(key));
}

QString appName() {
    return ResourceStrings::info(QStringLiteral("CFBundleName"));
}

QPlainTextEdit* textView(QWidget* parent, const char* name) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setFrameShape(QFrame::NoFrame);
    return view;
}

VornButton* button(const QString& title, QWidget* parent, const char* name) {
    auto* button = new VornButton(title, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

ZorCrashReporter::ZorCrashReporter(const QString& logString, KivPrompts& prompts,
                                   UserDefaults& defaults, const QUrl& endpoint,
                                   CrashReportUpload::Limits limits)
    : ZorCrashReporter(false, logString, prompts, defaults, endpoint, limits) {}

ZorCrashReporter::ZorCrashReporter(KivPrompts& prompts, UserDefaults& defaults,
                                   const QUrl& endpoint, CrashReportUpload::Limits limits)
    : ZorCrashReporter(true, QString(), prompts, defaults, endpoint, limits) {}

ZorCrashReporter::ZorCrashReporter(bool feedbackMode, const QString& logString, KivPrompts& prompts,
                                   UserDefaults& defaults, const QUrl& endpoint,
                                   CrashReportUpload::Limits limits)
    : QWidget(nullptr, Qt::Window)
    , _prompts(prompts)
    , _defaults(defaults)
    , _endpoint(endpoint)
    , _limits(limits)
    , _feedbackMode(feedbackMode) {
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    awakeFromNib(logString);
}

ZorCrashReporter::~ZorCrashReporter() = default;

QUrl ZorCrashReporter::defaultEndpoint() {
    return QUrl(localized("CRASH_REPORT_CGI_URL"));
}

void ZorCrashReporter::buildLayout() {
    setObjectName(QStringLiteral("reportWindow"));
    resize(560, 500);
    QPalette colours = KivColors::darkPalette(palette());
    colours.setColor(QPalette::Button, KivColors::inspectorTop());
    colours.setColor(QPalette::ButtonText, KivColors::textFieldText());
    setPalette(colours);
    setAutoFillBackground(true);

    _explanationField = new QLabel(this);
    _explanationField->setObjectName(QStringLiteral("explanationField"));
    _explanationField->setWordWrap(true);
    auto* messageLabel = new QLabel(QStringLiteral("Your message:"), this);
    messageLabel->setStyleSheet(QStringLiteral("color: #b8b8b8; font-size: 11px;"));
    _informationField = textView(this, "informationField");
    _switchTabView = new QTabWidget(this);
    _switchTabView->setObjectName(QStringLiteral("switchTabView"));
    _switchTabView->setDocumentMode(true);
    // A style sheet on the tab view reaches the text inside it too, so that
    // keeps its colours here.
    _switchTabView->setStyleSheet(
        QStringLiteral("QTabBar { qproperty-drawBase: 0; }"
                       "QTabBar::tab { background: #2f2d2d; color: #b8b8b8; padding: 4px 14px;"
                       " border: 1px solid #1a1a1a; border-bottom: none; }"
                       "QTabBar::tab:selected { background: #3d3b3b; color: #ffffff; }"
                       "QTabWidget::pane { border: 1px solid #1a1a1a; }"
                       "QPlainTextEdit { background: #141414; color: #e6e6e6; border: none; }"));
    _crashLogField = textView(_switchTabView, "crashLogField");
    _crashLogField->setReadOnly(true);
    _crashLogField->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed(QStringLiteral("DejaVu Sans Mono"));
    fixed.setPointSizeF(font().pointSizeF() * 0.9);
    _crashLogField->setFont(fixed);
    _switchTabView->addTab(_crashLogField, QStringLiteral("Crash Log"));

    _progressIndicator = new QProgressBar(this);
    _progressIndicator->setObjectName(QStringLiteral("progressIndicator"));
    _progressIndicator->setTextVisible(false);
    _progressIndicator->setFixedWidth(90);
    _progressIndicator->setRange(0, 1);
    _progressIndicator->setVisible(false);
    _discardButton = button(QStringLiteral("Don't Send"), this, "discardButton");
    _remindButton = button(QStringLiteral("Remind Me Later"), this, "remindButton");
    _sendButton = button(QStringLiteral("Send"), this, "sendButton");
    _sendButton->setDefault(true);
    connect(_sendButton, &QPushButton::clicked, this, [this] { sendCrashReport(); });
    connect(_remindButton, &QPushButton::clicked, this, [this] { remindMeLater(); });
    connect(_discardButton, &QPushButton::clicked, this, [this] { discardCrashReport(); });

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(_progressIndicator);
    buttons->addStretch(1);
    buttons->addWidget(_discardButton);
    buttons->addWidget(_remindButton);
    buttons->addWidget(_sendButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(8);
    layout->addWidget(_explanationField);
    layout->addSpacing(4);
    layout->addWidget(messageLabel);
    layout->addWidget(_informationField, 2);
    layout->addWidget(_switchTabView, 3);
    layout->addSpacing(4);
    layout->addLayout(buttons);
}

void ZorCrashReporter::awakeFromNib(const QString& logString) {
    const QString name = appName();
    setWindowTitle(_feedbackMode ? QStringLiteral("Send Feedback")
                                 : QStringLiteral("%1 Crash Report").arg(name));
    QString explanation = _feedbackMode ? localized("FEEDBACK_EXPLANATION_TEXT")
                                        : QString::fromLatin1(kCrashExplanation);
    explanation.replace(QStringLiteral("%%APPNAME"), name);
    _explanationField->setText(explanation);

    QString message =
        _feedbackMode ? localized("FEEDBACK_MESSAGE_TEXT") : QString::fromLatin1(kCrashMessage);
    message.replace(QStringLiteral("%%LONGUSERNAME"),
                    QString::fromStdString(SystemInformation::UserFullName()));
    const std::optional<std::string> email = SystemInformation::UserEmailAddress();
    message.replace(QStringLiteral("%%EMAILADDRESS"),
                    email ? QString::fromStdString(*email) : localized("MISSING_EMAIL_ADDRESS"));
    _informationField->setPlainText(message);
    _informationField->moveCursor(QTextCursor::End);

    if (_feedbackMode) {
        _remindButton->hide();
        _discardButton->setText(QStringLiteral("Cancel"));
        _switchTabView->setTabText(0, localized("SYSTEM_INFO_TAB_NAME"));
        _crashLogField->setPlainText(
            feedbackSystemText(name, QCoreApplication::applicationVersion(),
                               CrashReportMachine::current(), preferencesText(_defaults)));
    } else {
        _crashLogField->setPlainText(logString);
    }
    _informationField->setFocus();
}

void ZorCrashReporter::sendCrashReport() {
    const QByteArray body =
        CrashReportUpload::body(_informationField->toPlainText(), _crashLogField->toPlainText());
    // A busy bar: no range.
    _progressIndicator->setRange(0, 0);
    _progressIndicator->setVisible(true);
    for (QPushButton* each : {_sendButton, _remindButton, _discardButton}) {
        each->setEnabled(false);
    }
    _sending = true;
    _connection = std::make_unique<CrashReportUpload>(_limits);
    _connection->send(_endpoint, body, [this](bool sent, const QString& error) {
        connectionDidFinish(sent, error);
    });
}

void ZorCrashReporter::connectionDidFinish(bool sent, const QString& error) {
    // The upload itself goes with the window: this runs inside its reply.
    _sending = false;
    if (sent) {
        storeLastReportDate();
        showFinishedMessage(std::nullopt);
    } else {
        showFinishedMessage(error);
    }
}

void ZorCrashReporter::showFinishedMessage(const std::optional<QString>& error) {
    if (!error) {
        close();
        return;
    }
    // On this window only: a show running in another window keeps its keys.
    QPointer<ZorCrashReporter> self(this);
    _prompts.beginSheet(this,
                        {localized(_feedbackMode ? "COULDNT_SEND_FEEDBACK_ERROR"
                                                 : "COULDNT_SEND_CRASH_REPORT_ERROR"),
                         *error,
                         {localized("COULDNT_SEND_CRASH_REPORT_ERROR_OK")},
                         KivAlert::Style::Warning},
                        [self](int) {
                            if (self) {
                                self->close();
                            }
                        });
}

void ZorCrashReporter::remindMeLater() {
    close();
}

void ZorCrashReporter::discardCrashReport() {
    storeLastReportDate();
    close();
}

void ZorCrashReporter::storeLastReportDate() {
    if (_feedbackMode) {
        return;
    }
    CrashLogCheck::setLastReportDate(
        _defaults, static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
}
