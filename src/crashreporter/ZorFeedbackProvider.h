#pragma once

class KivPrompts;
class QSettings;
class ZorCrashReporter;

// The menu's way to the report window in feedback mode. GUI thread.
class ZorFeedbackProvider {
public:
    ZorFeedbackProvider(KivPrompts& prompts, QSettings& defaults);

    // Each shows a new feedback-mode window, which deletes itself when it
    // closes.
    ZorCrashReporter* orderFrontFeedbackWindow();
    ZorCrashReporter* orderFrontBugReportWindow();

private:
    KivPrompts& _prompts;
    QSettings& _defaults;
};
