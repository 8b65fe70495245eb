#pragma once

#include "window/sheets/PondraSheet.h"

#include <functional>

class KivHotKey;
class QGridLayout;
class SettingsController;
class VornCheckBox;
class VornHotKeyTextView;
class VornPopUpButton;
class VornTextField;
class Workspace;

// The workspace's settings sheet over its SettingsController: the keys of
// pause all, resume all and duck master volume, the MIDI channel, the panic
// duration and the safety check. Every change is an edit of the document.
// Escape anywhere in it panics every open workspace, as in the window.
class SettingsSheet final : public PondraSheet {
public:
    // On `window`, over the workspace's settings; `panic` is what Escape does.
    SettingsSheet(QWidget* window, SettingsController& settings, const Workspace& workspace,
                  std::function<void()> panic);
    ~SettingsSheet() override;

    // The controls show the settings as they are now (after an undo too).
    void refreshView();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    using KeySetter = void (SettingsController::*)(const KivHotKey&);
    VornHotKeyTextView* addKeyRow(QGridLayout& grid, int row, const QString& title,
                                  const char* name, KeySetter setter);
    // From the duration field: a number of seconds, 0 or more, else the
    // field shows the kept duration again.
    void setThePanicDuration();

    SettingsController& _settings;
    const Workspace& _workspace;
    std::function<void()> _panic;
    VornHotKeyTextView* _pauseAllView = nullptr;
    VornHotKeyTextView* _resumeAllView = nullptr;
    VornHotKeyTextView* _duckMasterView = nullptr;
    VornPopUpButton* _midiChannelField;
    VornTextField* _panicDurationField;
    VornCheckBox* _performSafetyCheckView;
};
