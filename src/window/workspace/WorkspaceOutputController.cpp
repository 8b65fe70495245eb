#include "window/workspace/WorkspaceOutputController.h"

#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/services/KivPrompts.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioNotifications.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "model/Workspace.h"
#include "platform/undo/UndoManager.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <QPointer>

WorkspaceOutputController::WorkspaceOutputController(WorkspaceController& controller)
    : _controller(controller) {
    // The hardware tells on its own thread; the pop-ups are the GUI thread's.
    _deviceListObservation = NotificationCenter::defaultCenter().addObserver(
        KivAudioHardwareDeviceListDidChangeNotification, nullptr, [this](const Notification&) {
            QMetaObject::invokeMethod(
                this, [this] { devicesChanged(); }, Qt::QueuedConnection);
        });
}

WorkspaceOutputController::~WorkspaceOutputController() {
    _deviceListObservation.disconnect();
    _controller.undoManager().removeAllActions(this);
}

void WorkspaceOutputController::updateOutputDevices() {
    if (KivEnvironment::logLevel() >= 3) {
        logLine("Refreshing output devices");
    }
    _outputs = AudioOutput::available(_outputs);
    VornPopUpButton* popUp = _controller.window()->outputs();
    popUp->blockSignals(true);
    popUp->clear();
    QStringList titles;
    for (const AudioOutput& output : _outputs) {
        titles << QString::fromStdString(output.title());
    }
    popUp->addItems(titles);
    if (InspectorController* inspector = _controller.inspectorController()) {
        inspector->cueInspectorController().setOutputTitles(titles);
    }
    if (KivEnvironment::logLevel() >= 3) {
        logLine("Attempting to use previously selected device...");
    }
    Workspace& workspace = _controller.workspace();
    const bool present = AudioOutput::offers(_outputs, workspace.audioDevice());
    if (present) {
        if (KivEnvironment::logLevel() >= 3) {
            logLine("success");
        }
        const AudioOutput current{workspace.audioDevice(), workspace.deviceChannel()};
        popUp->setCurrentText(QString::fromStdString(current.title()));
        popUp->blockSignals(false);
        noteOutputInUse();
    } else {
        logLine("previously selected device is missing");
        popUp->insertSeparator(popUp->count());
        popUp->addItem(QStringLiteral("Device missing"));
        popUp->setCurrentIndex(popUp->count() - 1);
        popUp->blockSignals(false);
        if (!_lost) {
            _lost = _inUse;
        }
        alertDeviceDisappeared();
    }
    if (KivEnvironment::logLevel() >= 3) {
        logLine("Finished refreshing devices");
    }
}

void WorkspaceOutputController::devicesChanged() {
    updateOutputDevices();
    // The lost pair first: the show goes back to it the moment it can, and
    // elsewhere meanwhile, without waiting for anyone to answer the alert.
    // Only on a change of the list, so a device that will not open is not
    // asked again and again.
    if (const auto back = lostOutputBack()) {
        logLine("The lost output device is back");
        requestOutput(_outputs[*back], false);
    } else if (!AudioOutput::offers(_outputs, _controller.workspace().audioDevice()) &&
               !isOpeningOutput()) {
        fallBackToDefaultOutput();
    }
}

void WorkspaceOutputController::alertDeviceDisappeared() {
    if (_deviceAlertShown) {
        return;
    }
    _deviceAlertShown = true;
    // About this window's device, so modal to this window alone, and the
    // window's own loop goes on: the shows of the other windows take keys,
    // and the device is taken back as it returns.
    QPointer<WorkspaceOutputController> self(this);
    _controller.prompts().beginSheet(
        _controller.window(),
        {QStringLiteral("Device disappeared"),
         QStringLiteral("The output device for this document has disappeared. "
                        "Please reconnect it or choose a different device."),
         {QStringLiteral("OK")}},
        [self](int) {
            if (self) {
                self->_deviceAlertShown = false;
            }
        });
}

std::optional<std::size_t> WorkspaceOutputController::lostOutputBack() const {
    if (!_lost) {
        return std::nullopt;
    }
    const auto& device = _controller.workspace().audioDevice();
    const auto inUse = device && !device->died() ? device->deviceUID() : std::nullopt;
    if (inUse == _lost->uid) {
        return std::nullopt;
    }
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < _outputs.size(); ++i) {
        if (_outputs[i].device->deviceUID() == _lost->uid &&
            (!found || _outputs[i].channel == _lost->channel)) {
            found = i;
        }
    }
    return found;
}

void WorkspaceOutputController::noteOutputInUse() {
    const Workspace& workspace = _controller.workspace();
    const auto& device = workspace.audioDevice();
    const auto uid = device && !device->died() ? device->deviceUID() : std::nullopt;
    if (!uid) {
        return;
    }
    _inUse = Pair{*uid, workspace.deviceChannel()};
    if (_lost && _lost->uid == *uid) {
        // Taken back: the alert has nothing left to say.
        _lost.reset();
        if (_deviceAlertShown) {
            _controller.prompts().endSheet(_controller.window(), 0);
        }
    }
}

void WorkspaceOutputController::fallBackToDefaultOutput() {
    const auto chosen =
        AudioOutput::defaultEntry(_outputs, _controller.workspace().deviceChannel());
    if (!chosen) {
        return;
    }
    logLine("Falling back to the default output device");
    // Not an edit of the document: the show simply goes on where it can.
    requestOutput(_outputs[*chosen], false);
}

void WorkspaceOutputController::changeOutputDevice(int index) {
    if (index < 0 || index >= static_cast<int>(_outputs.size())) {
        return;
    }
    // The user's pick wins over a lost pair that might come back.
    _lost.reset();
    requestOutput(_outputs[static_cast<std::size_t>(index)], true);
}

bool WorkspaceOutputController::isOpeningOutput() const {
    return _outputOpener.isOpening();
}

void WorkspaceOutputController::requestOutput(const AudioOutput& output, bool asEdit) {
    const Workspace& workspace = _controller.workspace();
    if (AudioOutput::sameDevice(workspace.audioDevice(), output.device)) {
        // Another pair of the open device: nothing to wait for.
        useOutput({workspace.audioDevice(), output.channel}, asEdit);
        return;
    }
    _outputOpener.open(output.device,
                       [this, channel = output.channel, asEdit](const auto& opened, bool open) {
                           if (open) {
                               useOutput({opened, channel}, asEdit);
                           }
                           // The pop-up shows the output in use, which is the old one when
                           // the new one would not open (its failure is logged).
                           updateOutputDevices();
                       });
}

void WorkspaceOutputController::useOutput(const AudioOutput& output, bool asEdit) {
    Workspace& workspace = _controller.workspace();
    const AudioOutput old{workspace.audioDevice(), workspace.deviceChannel()};
    const bool sameDevice = AudioOutput::sameDevice(old.device, output.device);
    if (sameDevice && output.channel == old.channel) {
        return;
    }
    if (sameDevice) {
        workspace.setDeviceChannel(output.channel);
    } else {
        // Once the workspace and its cues have left it the old device
        // closes, which waits on the device: that happens off this thread.
        auto held = workspace.replaceAudioDevice(output.device);
        workspace.setDeviceChannel(output.channel);
        if (held) {
            OutputOpener::releaseOffThread(std::move(held));
        }
    }
    if (asEdit && old.device) {
        registerOutputUndo(old);
    }
    workspace.applyMasterVolume();
    noteOutputInUse();
}

void WorkspaceOutputController::registerOutputUndo(const AudioOutput& backTo) {
    UndoManager& undo = _controller.undoManager();
    undo.registerUndo(this, [this, backTo] {
        // The redo, registered while undoing, whenever the device opens.
        const Workspace& workspace = _controller.workspace();
        if (workspace.audioDevice()) {
            registerOutputUndo({workspace.audioDevice(), workspace.deviceChannel()});
        }
        requestOutput(backTo, false);
        updateOutputDevices();
    });
    if (!undo.isUndoing()) {
        undo.setActionName("Change Output");
    }
}
