#pragma once

// The Help menu's commands, carried out by the application. GUI thread.
class HelpActions {
public:
    virtual ~HelpActions() = default;
    virtual void showAboutWindow() = 0;
    virtual void showDocumentation() = 0;
    virtual void showChangelog() = 0;
    virtual void contactSupport() = 0;
    virtual void orderFrontFeedbackWindow() = 0;
    virtual void showEULA() = 0;
};
