#pragma once

#include <QString>

class KivPrompts;
class QSettings;
class ZorCrashReporter;

// The launch-time check: when the newest "<appName>_*.crash" under `folder` is
// later than the last report date in `defaults`, a crash-mode report window
// shows its report with the machine's facts and the defaults. Returns that
// window (it deletes itself when it closes), or null when there is nothing
// new. A failure is logged and ends the check. GUI thread.
ZorCrashReporter* CheckForNewCrashReport(const QString& appName, const QString& folder,
                                         KivPrompts& prompts, QSettings& defaults);
