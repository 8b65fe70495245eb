#include "crashreporter/CheckForNewCrashReport.h"

#include "crashreporter/CrashLogCheck.h"
#include "crashreporter/CrashReportText.h"
#include "crashreporter/ZorCrashReporter.h"
#include "foundation/KivLog.h"

#include <exception>

CrashReportCheck::CrashReportCheck(const QString& appName, const QString& folder,
                                   KivPrompts& prompts, UserDefaults& defaults)
    : _prompts(prompts)
    , _defaults(defaults) {
    const double lastReportDate = CrashLogCheck::lastReportDate(defaults);
    _thread = std::thread([this, appName, folder, lastReportDate] {
        std::optional<QString> text;
        try {
            if (const std::optional<QString> report =
                    CrashLogCheck::newReport(appName, folder, lastReportDate)) {
                text = crashReportText(CrashReportMachine::current(), *report, QString());
            }
        } catch (const std::exception& exception) {
            logFormat("Error during check for crash: %s", exception.what());
        }
        // Queued on this object: dropped if the check goes first.
        QMetaObject::invokeMethod(
            this, [this, text] { finish(text); }, Qt::QueuedConnection);
    });
}

CrashReportCheck::~CrashReportCheck() {
    _thread.join();
}

ZorCrashReporter* CrashReportCheck::reporter() const {
    return _reporter;
}

void CrashReportCheck::finish(const std::optional<QString>& text) {
    _finished = true;
    if (!text) {
        return;
    }
    // The preferences are the GUI thread's to read; they end the text.
    auto* reporter = new ZorCrashReporter(*text + preferencesText(_defaults), _prompts, _defaults);
    reporter->show();
    reporter->raise();
    reporter->activateWindow();
    _reporter = reporter;
}

std::unique_ptr<CrashReportCheck> CheckForNewCrashReport(const QString& appName,
                                                         const QString& folder, KivPrompts& prompts,
                                                         UserDefaults& defaults) {
    return std::make_unique<CrashReportCheck>(appName, folder, prompts, defaults);
}
