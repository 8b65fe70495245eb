#include "crashreporter/ZorFeedbackProvider.h"

#include "crashreporter/ZorCrashReporter.h"

ZorFeedbackProvider::ZorFeedbackProvider(KivPrompts& prompts, UserDefaults& defaults)
    : _prompts(prompts)
    , _defaults(defaults) {}

ZorCrashReporter* ZorFeedbackProvider::orderFrontFeedbackWindow() {
    auto* reporter = new ZorCrashReporter(_prompts, _defaults);
    reporter->show();
    reporter->raise();
    reporter->activateWindow();
    return reporter;
}
