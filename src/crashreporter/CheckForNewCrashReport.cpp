#include "crashreporter/CheckForNewCrashReport.h"

#include "crashreporter/CrashLogCheck.h"
#include "crashreporter/CrashReportText.h"
#include "crashreporter/ZorCrashReporter.h"
#include "foundation/KivLog.h"

#include <exception>

ZorCrashReporter* CheckForNewCrashReport(const QString& appName, const QString& folder,
                                         KivPrompts& prompts, QSettings& defaults) {
    try {
        const std::optional<QString> report = CrashLogCheck::newReport(appName, folder, defaults);
        if (!report) {
            return nullptr;
        }
        auto* reporter = new ZorCrashReporter(
            crashReportText(CrashReportMachine::current(), *report, preferencesText(defaults)),
            prompts, defaults);
        reporter->show();
        reporter->raise();
        reporter->activateWindow();
        return reporter;
    } catch (const std::exception& exception) {
        logFormat("Error during check for crash: %s", exception.what());
        return nullptr;
    }
}
