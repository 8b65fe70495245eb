#pragma once

class KivPrompts;
class UserDefaults;
class ZorCrashReporter;

// The menu's way to the report window in feedback mode. GUI thread.
class ZorFeedbackProvider {
public:
    ZorFeedbackProvider(KivPrompts& prompts, UserDefaults& defaults);

    // Shows a new feedback-mode window, which deletes itself when it closes.
    ZorCrashReporter* orderFrontFeedbackWindow();

private:
    KivPrompts& _prompts;
    UserDefaults& _defaults;
};
