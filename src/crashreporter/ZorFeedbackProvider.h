#pragma once

class KivPrompts;
class QSettings;
class ZorCrashReporter;

// The menu's way to the report window in feedback mode. GUI thread.
class ZorFeedbackProvider {
public:
    ZorFeedbackProvider(KivPrompts& prompts, QSettings& defaults);

    // Shows a new feedback-mode window, which deletes itself when it closes.
    ZorCrashReporter* orderFrontFeedbackWindow();

private:
    KivPrompts& _prompts;
    QSettings& _defaults;
};
