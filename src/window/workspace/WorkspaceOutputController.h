#pragma once

#include "foundation/Signal.h"
#include "model/AudioOutput.h"
#include "window/inspector/OutputOpener.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class WorkspaceController;

// The output pop-up of a workspace window: the pairs of the devices there
// are, the move of the workspace to the pair the user picks (with undo), and
// the alert of a device that vanished. The show goes on through the default
// device at once, the alert up or not, and the lost pair is taken back as
// soon as its device is there again, which ends the alert; a pair the user
// picks meanwhile wins. GUI thread only: device-list changes reach it there.
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
    // The device list changed: the pop-ups follow, the workspace leaves a
    // device that vanished and takes back the one it lost.
    void devicesChanged();
    // The window was made anew: an alert on the old one went with it.
    void windowReplaced() { _deviceAlertShown = false; }

private:
    // A pair of a device, known by the device's UID: what outlives the device.
    struct Pair {
        std::string uid;
        int channel = 1;
    };

    // A vanished device: the workspace plays on through the default output
    // device, when there is one to offer.
    void fallBackToDefaultOutput();
    // The alert of a vanished device, once per disappearance.
    void alertDeviceDisappeared();
    // The entry of the lost pair, once its device is back.
    std::optional<std::size_t> lostOutputBack() const;
    // The pair the workspace plays through now, noted while its device is there.
    void noteOutputInUse();
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
    std::optional<Pair> _inUse;
    // The pair whose device vanished under the workspace, until it is taken
    // back or the user picks another.
    std::optional<Pair> _lost;
    Connection _deviceListObservation;
};
