#include "window/workspace/WorkspaceOutputController.h"

#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/services/KivPrompts.h"
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
                this, [this] { updateOutputDevices(); }, Qt::QueuedConnection);
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
    if (AudioOutput::offers(_outputs, workspace.audioDevice())) {
        if (KivEnvironment::logLevel() >= 3) {
            logLine("success");
        }
        const AudioOutput current{workspace.audioDevice(), workspace.deviceChannel()};
        popUp->setCurrentText(QString::fromStdString(current.title()));
        popUp->blockSignals(false);
    } else {
        logLine("previously selected device is missing");
        popUp->insertSeparator(popUp->count());
        popUp->addItem(QStringLiteral("Device missing"));
        popUp->setCurrentIndex(popUp->count() - 1);
        popUp->blockSignals(false);
        // About this window's device, so modal to this window alone: the
        // shows of the other windows go on taking keys.
        if (!_deviceAlertShown) {
            _deviceAlertShown = true;
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
                        self->fallBackToDefaultOutput();
                    }
                });
        }
    }
    if (KivEnvironment::logLevel() >= 3) {
        logLine("Finished refreshing devices");
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
