#pragma once

#include "KivUI/services/KivPasteboard.h"
#include "KivUI/services/KivQtPrompts.h"
#include "KivUI/services/UrlOpener.h"
#include "KivUI/services/UserDefaults.h"
#include "app/ApplicationDocuments.h"
#include "app/QtScheduler.h"
#include "app/ToolTipDelay.h"
#include "foundation/Clock.h"
#include "foundation/MainRunLoop.h"
#include "platform/midi/MidiInput.h"
#include "platform/midi/SMMessageDestination.h"
#include "window/workspace/HelpActions.h"

#include <QApplication>

#include <memory>

class CrashReportCheck;
class EulaWindow;
class KivAboutController;
class UserDefaultsMidiSettings;

// The application object: process-wide values at start, MIDI input once
// launching has finished, MIDI batches handed to the open workspaces, and
// every cue hard-stopped when the program quits. It checks for a new crash
// report at every launch and carries out the Help menu's commands.
class Pondra : public QApplication, public SMMessageDestination, public HelpActions {
public:
    static constexpr const char* kOrganizationName = "brenmoor";
    static constexpr const char* kApplicationName = "Pondra";
    static constexpr int kInitialToolTipDelay = 800;

    // The version shown in the start-up line and by --version.
    static const char* versionString();

    // Runs the class initialisation: the start-up lines, the launch date, the
    // log level from "LogLevel", the random seed and the tooltip delay. The
    // user defaults are the settings file of kOrganizationName/kApplicationName.
    Pondra(int& argc, char** argv, MidiSequencerFactory midiFactory = AlsaMidiSequencer::open);
    ~Pondra() override;

    // Main thread. Offers a crash log written since the last report, and
    // opens MIDI input, once however often it is called; main() calls it when
    // the event loop starts.
    void applicationDidFinishLaunching();
    bool applicationHasFinishedLaunching() const { return _applicationHasFinishedLaunching; }

    // Main thread. The document controller registers itself here and
    // unregisters (null) before it goes.
    void setDocuments(ApplicationDocuments* documents) { _documents = documents; }
    ApplicationDocuments* documents() const { return _documents; }

    // An untitled workspace is opened when no document is asked for.
    bool applicationShouldOpenUntitledFile() const { return true; }

    // Main thread, once the quit is certain (every window has agreed to
    // close): every cue hard-stops.
    void applicationWillTerminate();

    // Any thread (MIDI reader threads). Queues the batch for the GUI thread
    // and returns at once.
    void takeMIDIMessages(const MidiBatch& messages) override;

    // Null until launching has finished.
    MidiInput* midiInput() const { return _midiInput.get(); }
    // The last launch's check for a crash report; null before launching.
    CrashReportCheck* crashCheck() const { return _crashCheck.get(); }

    // Main thread. The process's user defaults.
    UserDefaults& defaults() { return _defaults; }

    // Main thread. The alerts and panels of the application's windows; Qt's
    // own unless replaced.
    KivPrompts& prompts() const { return *_prompts; }
    // A test hook: a scripted double in place of Qt's alerts and panels.
    void setPrompts(KivPrompts& prompts) { _prompts = &prompts; }
    // Main thread. The clipboard as the windows read and write it.
    KivPasteboard& pasteboard() { return _pasteboard; }
    // A test hook: the system's default handlers unless replaced; the about
    // window keeps the opener it was made with.
    void setUrlOpener(UrlOpener openUrl) { _openUrl = std::move(openUrl); }

    // The Help menu. Main thread.
    void showAboutWindow() override;
    // The documentation and change-log pages of the information resource.
    void showDocumentation() override;
    void showChangelog() override;
    // A new e-mail to the support address.
    void contactSupport() override;
    // A feedback-mode report window.
    void orderFrontFeedbackWindow() override;
    // The licence agreement window, centred and in front.
    void showEULA() override;
    // Null until first shown.
    KivAboutController* aboutController() const { return _about.get(); }
    EulaWindow* eulaWindow() const { return _eulaWindow.get(); }

protected:
    // A quit request asks every window to close; only when all have agreed
    // are the cues stopped, before the event loop ends.
    bool event(QEvent* event) override;

private:
    void initializeClass();
    void initializeMIDI();
    // GUI thread.
    void deliverMIDIMessages(const MidiBatch& messages);
    void endUndoTurns();

    // Main thread only, every field.
    // First: the model's timers run on this loop for the application's life.
    QtScheduler _scheduler;
    SteadyClock _clock;
    MainRunLoop::ScopedInstall _mainRunLoop{_scheduler, _clock};
    UserDefaults _defaults{UserDefaults::standardPath(kOrganizationName, kApplicationName)};
    MidiSequencerFactory _midiFactory;
    std::unique_ptr<UserDefaultsMidiSettings> _midiSettings;
    bool _midiInitialized = false;
    bool _applicationHasFinishedLaunching = false;
    // Set by the hard stop of a quit: the loop's end posts it no second time.
    bool _hardStopPosted = false;
    ApplicationDocuments* _documents = nullptr;
    ToolTipDelay _toolTipDelay;
    KivQtPrompts _qtPrompts;
    KivPrompts* _prompts = &_qtPrompts;
    KivPasteboard _pasteboard;
    UrlOpener _openUrl = systemUrlOpener();
    std::unique_ptr<KivAboutController> _about;
    std::unique_ptr<EulaWindow> _eulaWindow;
    std::unique_ptr<CrashReportCheck> _crashCheck;
    // Last: stopped first, so no reader thread reaches a half-destroyed object.
    std::unique_ptr<MidiInput> _midiInput;
};
