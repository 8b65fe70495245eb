#pragma once

#include "foundation/Signal.h"
#include "model/AudioOutput.h"
#include "window/workspace/OutputOpener.h"

#include <QObject>

#include <memory>
#include <vector>

class WorkspaceController;

// The output pop-up of a workspace window: the pairs of the devices there
// are, the move of the workspace to the pair the user picks (with undo), and
// the alert of a device that vanished, after which the show goes on through
// the default device. GUI thread only: device-list changes reach it there.
class WorkspaceOutputController final : public QObject {
public:
    explicit WorkspaceOutputController(WorkspaceController& controller);
    ~WorkspaceOutputController() override;

    // The pop-up's entries, in its order.
    const std::vector<AudioOutput>& outputs() const { return _outputs; }
    // The workspace moves to the pop-up's entry once its device has opened,
    // off the GUI thread: a device that hangs holds up nothing else. Another
    // pair of the device in use is taken at once.
    void changeOutputDevice(int index);
    bool isOpeningOutput() const;
    // Fills the pop-up, and the inspector's, from the devices there are now.
    void updateOutputDevices();
    // The window was made anew: an alert on the old one went with it.
    void windowReplaced() { _deviceAlertShown = false; }

private:
    // After the alert of a vanished device: the workspace plays on through
    // the default output device, when there is one to offer.
    void fallBackToDefaultOutput();
    // The workspace moves to the output once its device is open; `asEdit`
    // makes it an edit with undo ("Change Output").
    void requestOutput(const AudioOutput& output, bool asEdit);
    // The output (its device open) the workspace plays through.
    void useOutput(const AudioOutput& output, bool asEdit);
    // An undo step back to that output, whose own undo (the redo) comes back here.
    void registerOutputUndo(const AudioOutput& backTo);

    WorkspaceController& _controller;
    std::vector<AudioOutput> _outputs;
    OutputOpener _outputOpener;
    // The "Device disappeared" sheet is up.
    bool _deviceAlertShown = false;
    Connection _deviceListObservation;
};
