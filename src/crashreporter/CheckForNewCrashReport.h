#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <thread>

class KivPrompts;
class UserDefaults;
class ZorCrashReporter;

// The launch-time check for a crash report, made by CheckForNewCrashReport.
// The log is looked for and read on a thread of the check's own; when the
// newest "<appName>_*.crash" under the folder is later than the last report
// date of the defaults, a crash-mode report window then shows its report with
// the machine's facts and the defaults. A failure is logged and ends the
// check. Made, asked and destroyed on the GUI thread.
class CrashReportCheck final : public QObject {
public:
    CrashReportCheck(const QString& appName, const QString& folder, KivPrompts& prompts,
                     UserDefaults& defaults);
    // Waits for the thread, whose work is bounded; no window shows after it.
    ~CrashReportCheck() override;

    bool isFinished() const { return _finished; }
    // The window shown (it deletes itself when it closes); null before the
    // check has finished, when there was nothing new, or once it has closed.
    ZorCrashReporter* reporter() const;

private:
    void finish(const std::optional<QString>& text);

    KivPrompts& _prompts;
    UserDefaults& _defaults;
    bool _finished = false;
    QPointer<ZorCrashReporter> _reporter;
    std::thread _thread;
};

// Starts the check; the caller keeps it while it runs.
std::unique_ptr<CrashReportCheck> CheckForNewCrashReport(const QString& appName,
                                                         const QString& folder, KivPrompts& prompts,
                                                         UserDefaults& defaults);
