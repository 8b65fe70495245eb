#include "window/WorkspaceController.h"

#include "KivUI/KivHotKeyAdapter.h"
#include "KivUI/KivPrompts.h"
#include "KivUI/VornButton.h"
#include "KivUI/VornPopUpButton.h"
#include "KivUI/VornSlider.h"
#include "KivUI/VornSplitView.h"
#include "audio/KivAudioDevice.h"
#include "audio/KivAudioNotifications.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/MainRunLoop.h"
#include "foundation/NotificationCenter.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/SafetyConcern.h"
#include "model/Workspace.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "window/BrokenCueController.h"
#include "window/BrokenCueView.h"
#include "window/CartTabBar.h"
#include "window/CueInspectorController.h"
#include "window/DocumentActions.h"
#include "window/GridController.h"
#include "window/GridSelectorController.h"
#include "window/GridView.h"
#include "window/ImageButton.h"
#include "window/InspectorController.h"
#include "window/LogController.h"
#include "window/PondraAudioLevelView.h"
#include "window/PondraProgressSheet.h"
#include "window/PondraWindow.h"
#include "window/RenameCartWindowController.h"
#include "window/SettingsSheet.h"
#include "window/SyncedBatch.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMimeData>

#include <algorithm>
#include <cmath>

namespace {

// The text the key typed, folded as a cue's hot key is when it is stored,
// so that "!" or "é" typed in the inspector meets the same key pressed;
// empty for a key that types nothing, which so never matches a hot key.
std::string shortcutOf(const KivKeyEvent& event) {
    return AudioCue::parseHotkey(QString::fromStdU16String(event.characters).toStdString());
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return !item.empty() && std::find(list.begin(), list.end(), item) != list.end();
}

QString outputTitle(const std::string& name, int channel) {
    return QStringLiteral("%1 - channels %2/%3")
        .arg(QString::fromStdString(name))
        .arg(channel)
        .arg(channel + 1);
}

} // namespace

WorkspaceController::WorkspaceController(std::shared_ptr<Workspace> workspace, KivPrompts& prompts,
                                         DocumentActions* documents)
    : _workspace(std::move(workspace))
    , _prompts(prompts)
    , _documents(documents)
    , _window(std::make_unique<PondraWindow>(*this)) {
    _workspace->setSettings(&_settings);
    _settings.setUndoManager(&undoManager());
    // The hardware tells on its own thread; the pop-ups are the GUI thread's.
    _deviceListObservation = NotificationCenter::defaultCenter().addObserver(
        KivAudioHardwareDeviceListDidChangeNotification, nullptr, [this](const Notification&) {
            QMetaObject::invokeMethod(
                this, [this] { updateOutputDevices(); }, Qt::QueuedConnection);
        });
    _tabDragBeginObservation = NotificationCenter::defaultCenter().addObserver(
        TavTabDragAssistant::kDidBeginNotification, nullptr,
        [this](const Notification&) { tabDragDidBegin(); });
    _tabDragEndObservation = NotificationCenter::defaultCenter().addObserver(
        TavTabDragAssistant::kDidEndNotification, nullptr,
        [this](const Notification&) { tabDragDidEnd(); });
    _brokenCues = std::make_unique<BrokenCueController>(
        [this] { return brokenOrFlaggedCues(); },
        [this](const std::shared_ptr<AudioCue>& cue) { selectCue(*cue); },
        MainRunLoop::scheduler());
    // Undo and redo change cues behind the cells' backs.
    _checkpointObservation = undoManager().checkpoint.connect([this] {
        updateWindowTitle();
        validateMenus();
        updateVolumeSlider();
        updateInspectorCue();
        for (const auto& controller : _gridControllers) {
            controller->gridView()->update();
        }
        if (_settingsSheet) {
            _settingsSheet->refreshView();
        }
        // A show is not interrupted by a list of warnings.
        if (!inShowMode()) {
            _brokenCues->reloadData();
        }
    });
    // A save changes the name and the edited mark (and what Revert can do)
    // without an undo step.
    _saveObservation = _workspace->saveEnded.connect([this] {
        updateWindowTitle();
        validateMenus();
    });
    // A cue copied in another window, or another program, can be pasted here.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { validateMenus(); });
    wireWindow();
}

WorkspaceController::~WorkspaceController() {
    undoManager().removeAllActions(this);
    undoManager().removeAllActions(&_settings);
    stopDuckingTimer();
    if (_levelTimer) {
        MainRunLoop::scheduler().cancel(*_levelTimer);
    }
    _deviceListObservation.disconnect();
    _checkpointObservation.disconnect();
    _saveObservation.disconnect();
    _tabDragBeginObservation.disconnect();
    _tabDragEndObservation.disconnect();
    if (_workspace->saveProgress() == _window->saveProgress()) {
        _workspace->setSaveProgress(nullptr);
    }
    if (_inspector) {
        _inspector->setCue(nullptr);
    }
    _brokenCues->prepareToDie();
    _brokenCues->hidePopover();
    _window.reset();
    _gridControllers.clear();
    _closedControllers.clear();
    if (_workspace->settings() == &_settings) {
        _workspace->setSettings(nullptr);
    }
}

GridController& WorkspaceController::addControllerForCart(std::shared_ptr<Cart> cart) {
    // Named before its controller watches the name: no edit of the document.
    if (cart->name().empty()) {
        cart->setName("Cart " + std::to_string(_tabCount + 1));
    }
    if (_workspace->audioDevice()) {
        cart->updateCuesWithAudioDevice(_workspace->audioDevice());
    }
    _gridControllers.push_back(std::make_unique<GridController>(std::move(cart), *this));
    GridController& controller = *_gridControllers.back();
    addTab(controller);
    return controller;
}

void WorkspaceController::addTab(GridController& controller) {
    ++_tabCount;
    const std::string& name = controller.cart()->name();
    _window->tabs()->addTab(controller.gridView(), QString::fromStdString(name));
}

void WorkspaceController::showWindow() {
    updateVolumeSlider();
    updateDuckingButton();
    updatePauseButton();
    _window->tabs()->setCurrentIndex(0);
    updateOutputDevices();
    if (!_levelTimer) {
        _levelTimer = MainRunLoop::scheduler().scheduleRepeating(kLevelInterval,
                                                                 [this] { updateAudioLevels(); });
    }
    if (_workspace->isLocked()) {
        enterShowMode();
    } else {
        setEditMode();
    }
    _workspace->applyMasterVolume();
    _workspace->awakeFromNib();
    updateWindowTitle();
    _window->show();
    makeCartFirstResponder();
    _brokenCues->reloadData();
}

void WorkspaceController::wireWindow() {
    _workspace->setSaveProgress(_window->saveProgress());
    _brokenCues->setWarningButton(_window->warningButton());
    _window->tabs()->setSelectionChanged([this](int) { tabSelected(); });
    _window->tabs()->setCloseHandlers([this](int index) { return shouldCloseTab(index); },
                                      [this](QWidget* page) { tabDidClose(page); });
    _window->tabs()->setDragController(this);
    connect(_window->splitView(), &QSplitter::splitterMoved, this,
            [this] { inspectorPaneMoved(); });
    makeInspector();
}

void WorkspaceController::reloadCarts() {
    const int selected = _window->tabs()->currentIndex();
    // The new window takes the old one's place and size.
    const QByteArray frame = _window->saveGeometry();
    // A sheet on the old window goes with it.
    _deviceAlertShown = false;
    _brokenCues->hidePopover();
    _window.reset();
    _gridControllers.clear();
    _closedControllers.clear();
    _window = std::make_unique<PondraWindow>(*this);
    _window->restoreGeometry(frame);
    wireWindow();
    for (const auto& cart : _workspace->carts()) {
        addControllerForCart(cart);
    }
    showWindow();
    _window->tabs()->setCurrentIndex(selected);
}

void WorkspaceController::toggleBrokenCueView() {
    if (_inspector) {
        _inspector->toggleBrokenCueView();
    }
}

void WorkspaceController::makeInspector() {
    _inspector = new InspectorController(*this, _window->inspectorPane());
    auto* warnings = new BrokenCueView();
    _inspector->setBrokenCueView(warnings);
    _brokenCues->attachView(warnings);
    _window->inspectorPane()->layout()->addWidget(_inspector);
    _inspectorVisible = true;
    _heightOfInspector = PondraWindow::kInspectorHeight;
}

InspectorController* WorkspaceController::inspectorController() const {
    return _inspector;
}

void WorkspaceController::updateInspectorCue() {
    if (!_inspector) {
        return;
    }
    GridController* grid = selectedController();
    _inspector->setCue(grid && !isLocked() ? grid->selectedCue() : nullptr);
}

void WorkspaceController::showInspector() {
    if (_inspectorVisible) {
        return;
    }
    _window->inspectorPane()->show();
    VornSplitView* split = _window->splitView();
    const int total = split->height() - split->handleWidth();
    split->setSizes({std::max(total - _heightOfInspector, 0), _heightOfInspector});
    _inspectorVisible = true;
    updateInspectorCue();
}

void WorkspaceController::toggleInspector() {
    if (isLocked()) {
        return;
    }
    // Over the warnings list the command brings the cue inspector back, even
    // once the list is empty and its button gone.
    if (_inspectorVisible && _inspector && _inspector->brokenCueViewIsVisible()) {
        _inspector->toggleBrokenCueView();
    } else if (_inspectorVisible) {
        hideInspector();
    } else {
        showInspector();
    }
    validateMenus();
}

void WorkspaceController::inspectorPaneMoved() {
    // The divider dragged to the bottom collapses the pane: it is hidden, as
    // by the command, and the command shows it again.
    if (_inspectorVisible && _window->splitView()->sizes().value(1) == 0) {
        hideInspector();
    }
}

void WorkspaceController::hideInspector() {
    if (!_inspectorVisible) {
        return;
    }
    if (_inspector) {
        _inspector->cueInspectorController().setCaptureMIDI(false);
    }
    if (_window->inspectorPane()->height() > 0) {
        _heightOfInspector = _window->inspectorPane()->height();
    }
    _window->inspectorPane()->hide();
    _inspectorVisible = false;
}

UndoManager& WorkspaceController::undoManager() const {
    return _workspace->undoManager();
}

ImportProgressSheet& WorkspaceController::importProgress() const {
    return *_window->importProgress();
}

bool WorkspaceController::isLocked() const {
    return _workspace->isLocked();
}

bool WorkspaceController::inEditMode() const {
    return _window->modeButton()->checkedId() == PondraWindow::kEditMode;
}

bool WorkspaceController::inShowMode() const {
    return _window->modeButton()->checkedId() == PondraWindow::kShowMode;
}

GridController* WorkspaceController::selectedController() const {
    return controllerAtTab(_window->tabs()->currentIndex());
}

std::vector<SafetyConcern> WorkspaceController::brokenOrFlaggedCues() const {
    std::vector<SafetyConcern> concerns;
    for (const auto& controller : _gridControllers) {
        for (auto& concern : controller->cart()->potentialCueProblems()) {
            concerns.push_back(std::move(concern));
        }
    }
    return concerns;
}

void WorkspaceController::toggleMode() {
    if (isLocked()) {
        setEditMode();
    } else {
        setShowMode();
    }
}

void WorkspaceController::setShowMode() {
    if (_settings.shouldPerformSafetyChecks()) {
        performSafetyChecksAndLock();
        return;
    }
    enterShowMode();
}

void WorkspaceController::performSafetyChecksAndLock() {
    // Taken afresh, so the warnings are about the cues as they are now.
    _brokenCues->reloadDataNow();
    _brokenCues->showPopoverIfNeeded();
    enterShowMode();
}

void WorkspaceController::enterShowMode() {
    _workspace->setLocked(true);
    _window->tabs()->setLocked(true);
    _window->modeButton()->button(PondraWindow::kShowMode)->setChecked(true);
    if (_inspector) {
        _inspector->setCue(nullptr);
    }
    hideInspector();
    for (const auto& controller : _gridControllers) {
        controller->lockCart();
    }
    makeCartFirstResponder();
    validateMenus();
}

void WorkspaceController::setEditMode() {
    _workspace->setLocked(false);
    _window->tabs()->setLocked(false);
    _window->modeButton()->button(PondraWindow::kEditMode)->setChecked(true);
    for (const auto& controller : _gridControllers) {
        controller->unlockCart();
    }
    showInspector();
    updateInspectorCue();
    validateMenus();
}

void WorkspaceController::togglePause() {
    if (_workspace->isPaused()) {
        resumeAll();
    } else {
        pauseAll();
    }
}

void WorkspaceController::pauseAll() {
    _workspace->setPaused(true);
    for (const auto& cart : _workspace->carts()) {
        cart->pauseCues();
    }
    updatePauseButton();
}

void WorkspaceController::resumeAll() {
    _workspace->setPaused(false);
    for (const auto& cart : _workspace->carts()) {
        cart->resumeCues();
    }
    updatePauseButton();
}

void WorkspaceController::stopAll() {
    _workspace->setPaused(false);
    for (const auto& cart : _workspace->carts()) {
        cart->stopCues();
    }
    updatePauseButton();
}

void WorkspaceController::hardStopAll() {
    _workspace->setPaused(false);
    for (const auto& cart : _workspace->carts()) {
        cart->hardStopCues();
    }
    updatePauseButton();
}

void WorkspaceController::panicAll() {
    _workspace->panic();
    updatePauseButton();
}

void WorkspaceController::cancel() {
    if (_documents) {
        _documents->panicAllDocuments();
    } else {
        panicAll();
    }
}

void WorkspaceController::toggleDucking() {
    if (_workspace->isDucked()) {
        _workspace->unduck();
    } else {
        _workspace->duck();
    }
    updateDuckingButton();
    // The slider follows the fade for a second.
    stopDuckingTimer();
    _duckingStart = MainRunLoop::clock().now();
    _duckingTimer =
        MainRunLoop::scheduler().scheduleRepeating(kLevelInterval, [this] { followDucking(); });
}

void WorkspaceController::stopDuckingTimer() {
    if (_duckingTimer) {
        MainRunLoop::scheduler().cancel(*_duckingTimer);
        _duckingTimer.reset();
    }
}

void WorkspaceController::updateVolumeSlider() {
    VornSlider* slider = _window->volumeSlider();
    // A drag under way is the user's: the slider is where the hand is.
    if (slider->isSliderDown()) {
        return;
    }
    slider->blockSignals(true);
    slider->setValue(static_cast<int>(std::lround(_workspace->masterVolume() * 1000)));
    slider->blockSignals(false);
}

void WorkspaceController::followDucking() {
    updateVolumeSlider();
    if (MainRunLoop::clock().now() > _duckingStart + kDuckingFollowTime) {
        stopDuckingTimer();
    }
}

void WorkspaceController::changeVolume(int sliderValue) {
    _workspace->setMasterVolume(static_cast<float>(sliderValue) / 1000.0f);
    _workspace->applyMasterVolume();
}

void WorkspaceController::previewVolume(int sliderValue) {
    if (const auto& device = _workspace->audioDevice()) {
        device->setMasterVolume(static_cast<float>(sliderValue) / 1000.0f);
    }
}

void WorkspaceController::setVolumeMax() {
    _window->volumeSlider()->setValue(1000);
    changeVolume(1000);
}

void WorkspaceController::setVolumeMin() {
    _window->volumeSlider()->setValue(0);
    changeVolume(0);
}

void WorkspaceController::updatePauseButton() {
    _window->pauseAllButton()->setHighlighted(_workspace->isPaused());
}

void WorkspaceController::updateAudioLevels() {
    const auto& device = _workspace->audioDevice();
    if (!device || device->died()) {
        return;
    }
    // The pair's first channel, counted from 0.
    const auto k = static_cast<std::uint32_t>(std::max(_workspace->deviceChannel() - 1, 0));
    PondraAudioLevelView& meter = *_window->audioLevel();
    meter.setLeftChannelPower(
        PondraAudioLevelView::meterValue(device->outPostAveragePowerAtChannel(k)));
    meter.setLeftChannelPeak(
        PondraAudioLevelView::meterValue(device->outPostPeakHoldLevelAtChannel(k)));
    meter.setRightChannelPower(
        PondraAudioLevelView::meterValue(device->outPostAveragePowerAtChannel(k + 1)));
    meter.setRightChannelPeak(
        PondraAudioLevelView::meterValue(device->outPostPeakHoldLevelAtChannel(k + 1)));
}

void WorkspaceController::updateDuckingButton() {
    _window->duckingButton()->setHighlighted(_workspace->isDucked());
}

void WorkspaceController::updateOutputDevices() {
    if (KivEnvironment::logLevel() >= 3) {
        logLine("Refreshing output devices");
    }
    std::vector<Output> kept;
    for (const Output& output : _outputDevices) {
        if (output.device && !output.device->died()) {
            kept.push_back(output);
        }
    }
    _outputDevices.clear();
    VornPopUpButton* popUp = _window->outputs();
    popUp->blockSignals(true);
    popUp->clear();
    for (const auto& device : KivAudioDevice::allDevices()) {
        const std::string name = device->name().value_or("");
        const auto uid = device->deviceUID();
        const int channels = static_cast<int>(device->outputChannels());
        if (name.find("AirPlay") != std::string::npos || channels < 2) {
            continue;
        }
        for (int channel = 1; channel + 1 <= channels; ++channel) {
            std::shared_ptr<KivAudioDevice> entry;
            for (const Output& old : kept) {
                if (old.channel == channel && old.device->deviceUID() == uid) {
                    entry = old.device;
                }
            }
            _outputDevices.push_back({entry ? entry : device, channel});
            popUp->addItem(outputTitle(name, channel));
        }
    }
    if (_inspector) {
        QStringList titles;
        for (int i = 0; i < static_cast<int>(_outputDevices.size()); ++i) {
            titles << popUp->itemText(i);
        }
        _inspector->cueInspectorController().setOutputTitles(titles);
    }
    if (KivEnvironment::logLevel() >= 3) {
        logLine("Attempting to use previously selected device...");
    }
    const auto& current = _workspace->audioDevice();
    const auto currentUID = current && !current->died() ? current->deviceUID() : std::nullopt;
    const bool present = currentUID && std::any_of(_outputDevices.begin(), _outputDevices.end(),
                                                   [&](const Output& o) {
                                                       return o.device->deviceUID() == currentUID;
                                                   });
    if (present) {
        if (KivEnvironment::logLevel() >= 3) {
            logLine("success");
        }
        popUp->setCurrentText(
            outputTitle(current->name().value_or(""), _workspace->deviceChannel()));
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
            QPointer<WorkspaceController> self(this);
            _prompts.beginSheet(
                _window.get(),
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

void WorkspaceController::fallBackToDefaultOutput() {
    const auto fallback = Workspace::defaultDevice();
    if (!fallback || fallback->died()) {
        return;
    }
    const auto uid = fallback->deviceUID();
    // The same pair when the default device has it, else its first.
    int chosen = -1;
    for (std::size_t i = 0; i < _outputDevices.size(); ++i) {
        const Output& output = _outputDevices[i];
        if (output.device->deviceUID() != uid) {
            continue;
        }
        if (chosen < 0 || output.channel == _workspace->deviceChannel()) {
            chosen = static_cast<int>(i);
        }
    }
    if (chosen < 0) {
        return;
    }
    const Output& output = _outputDevices[static_cast<std::size_t>(chosen)];
    logLine("Falling back to the default output device");
    // Not an edit of the document: the show simply goes on where it can.
    requestOutput(output.device, output.channel, false);
}

void WorkspaceController::changeOutputDevice(int index) {
    if (index < 0 || index >= static_cast<int>(_outputDevices.size())) {
        return;
    }
    const Output& output = _outputDevices[static_cast<std::size_t>(index)];
    requestOutput(output.device, output.channel, true);
}

bool WorkspaceController::isOpeningOutput() const {
    return _outputOpener.isOpening();
}

void WorkspaceController::requestOutput(const std::shared_ptr<KivAudioDevice>& device, int channel,
                                        bool asEdit) {
    const std::shared_ptr<KivAudioDevice>& current = _workspace->audioDevice();
    if (current && current->deviceID() == device->deviceID()) {
        // Another pair of the open device: nothing to wait for.
        useOutput(current, channel, asEdit);
        return;
    }
    _outputOpener.open(device, [this, channel, asEdit](const auto& opened, bool open) {
        if (open) {
            useOutput(opened, channel, asEdit);
        }
        // The pop-up shows the output in use, which is the old one when the
        // new one would not open (its failure is logged).
        updateOutputDevices();
    });
}

void WorkspaceController::useOutput(const std::shared_ptr<KivAudioDevice>& device, int channel,
                                    bool asEdit) {
    const std::shared_ptr<KivAudioDevice> oldDevice = _workspace->audioDevice();
    const int oldChannel = _workspace->deviceChannel();
    const bool sameDevice = oldDevice && oldDevice->deviceID() == device->deviceID();
    if (sameDevice && channel == oldChannel) {
        return;
    }
    if (sameDevice) {
        _workspace->setDeviceChannel(channel);
    } else {
        // Once the workspace and its cues have left it the old device
        // closes, which waits on the device: that happens off this thread.
        const bool holdOld = oldDevice && oldDevice->isOpen();
        if (holdOld) {
            oldDevice->engage();
        }
        _workspace->setAudioDevice(device);
        _workspace->setDeviceChannel(channel);
        for (const auto& cart : _workspace->carts()) {
            cart->updateCuesWithAudioDevice(device);
        }
        if (holdOld) {
            OutputOpener::releaseOffThread(oldDevice);
        }
    }
    if (asEdit && oldDevice) {
        registerOutputUndo(oldDevice, oldChannel);
    }
    _workspace->applyMasterVolume();
}

void WorkspaceController::registerOutputUndo(const std::shared_ptr<KivAudioDevice>& backTo,
                                             int channel) {
    UndoManager& undo = undoManager();
    undo.registerUndo(this, [this, backTo, channel] {
        // The redo, registered while undoing, whenever the device opens.
        if (const std::shared_ptr<KivAudioDevice> now = _workspace->audioDevice()) {
            registerOutputUndo(now, _workspace->deviceChannel());
        }
        requestOutput(backTo, channel, false);
        updateOutputDevices();
    });
    if (!undo.isUndoing()) {
        undo.setActionName("Change Output");
    }
}

bool WorkspaceController::canCopy() const {
    const GridController* grid = selectedController();
    return grid && grid->selectedCue();
}

bool WorkspaceController::canCut() const {
    return canCopy() && canDelete();
}

bool WorkspaceController::canPaste() const {
    if (isLocked()) {
        return false;
    }
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(AudioCue::kPasteboardType));
}

bool WorkspaceController::canDelete() const {
    return canCopy() && !isLocked();
}

void WorkspaceController::copy() {
    if (!canCopy()) {
        return;
    }
    const auto bytes = selectedController()->selectedCue()->pasteboardData();
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(AudioCue::kPasteboardType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    validateMenus();
}

void WorkspaceController::cut() {
    if (!canCut()) {
        _prompts.beep();
        return;
    }
    copy();
    deleteSelected();
}

void WorkspaceController::paste() {
    if (!canPaste() || !selectedController()) {
        _prompts.beep();
        return;
    }
    const QByteArray bytes = QGuiApplication::clipboard()->mimeData()->data(
        QString::fromLatin1(AudioCue::kPasteboardType));
    auto cue =
        AudioCue::cueFromPasteboardData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    if (!cue) {
        _prompts.beep();
        return;
    }
    selectedController()->handlePasteCue(std::move(cue));
}

void WorkspaceController::deleteSelected() {
    if (!canDelete()) {
        _prompts.beep();
        return;
    }
    GridController* grid = selectedController();
    grid->removeCueAtIndex(grid->gridView()->selectedIndex());
}

void WorkspaceController::undo() {
    if (!isLocked()) {
        undoManager().undo();
    }
}

void WorkspaceController::redo() {
    if (!isLocked()) {
        undoManager().redo();
    }
}

void WorkspaceController::moveUp() {
    if (GridController* grid = selectedController()) {
        grid->moveUp();
    }
}

void WorkspaceController::moveDown() {
    if (GridController* grid = selectedController()) {
        grid->moveDown();
    }
}

void WorkspaceController::moveLeft() {
    if (GridController* grid = selectedController()) {
        grid->moveLeft();
    }
}

void WorkspaceController::moveRight() {
    if (GridController* grid = selectedController()) {
        grid->moveRight();
    }
}

void WorkspaceController::selectTab(int index) {
    _window->tabs()->setCurrentIndex(index);
}

void WorkspaceController::editWorkspaceSettings() {
    if (isLocked()) {
        return;
    }
    if (!_settingsSheet) {
        _settingsSheet = new SettingsSheet(*this);
    }
    _settingsSheet->refreshView();
    _settingsSheet->begin();
}

SettingsSheet* WorkspaceController::settingsSheet() const {
    return _settingsSheet;
}

void WorkspaceController::changeGrid() {
    GridController* grid = selectedController();
    if (isLocked() || !grid) {
        return;
    }
    (new GridSelectorController(grid->cart(), _window.get()))->begin();
}

void WorkspaceController::renameCart() {
    GridController* grid = selectedController();
    if (isLocked() || !grid) {
        return;
    }
    (new RenameCartWindowController(grid->cart(), _window.get()))->begin();
}

void WorkspaceController::newDocument() {
    if (_documents) {
        _documents->newDocument();
    }
}

void WorkspaceController::openDocument() {
    if (_documents) {
        _documents->openDocument();
    }
}

void WorkspaceController::saveDocument() {
    if (_documents) {
        _documents->saveDocument(*_workspace);
    }
}

void WorkspaceController::saveDocumentAs() {
    if (_documents) {
        _documents->saveDocumentAs(*_workspace);
    }
}

void WorkspaceController::revertDocument() {
    if (_documents && !_workspace->filePath().empty()) {
        _documents->revertDocument(*_workspace);
    }
}

void WorkspaceController::closeWindow() {
    _window->close();
}

void WorkspaceController::quit() {
    if (_documents) {
        _documents->quit();
    }
}

void WorkspaceController::showLog() {
    if (!_logWindow) {
        _logWindow = std::make_unique<LogController>();
    }
    _logWindow->setLogger(_workspace->logger());
    _logWindow->show();
    _logWindow->raise();
}

HelpActions* WorkspaceController::helpActions() const {
    return _documents ? _documents->helpActions() : nullptr;
}

void WorkspaceController::showPreferences() {
    if (_documents) {
        _documents->showPreferences();
    }
}

bool WorkspaceController::windowShouldClose() {
    return !_documents || _documents->closeDocument(*_workspace);
}

bool WorkspaceController::keyDown(const QKeyEvent& qtEvent) {
    const std::optional<KivKeyEvent> event = KivHotKeyAdapter::keyEvent(qtEvent);
    if (!event) {
        // Auto-repeat: the key is held, nothing new happens.
        return qtEvent.isAutoRepeat();
    }
    // The workspace's own keys come first, even one set to Escape.
    if (keyDownHotkey(*event)) {
        return true;
    }
    if (qtEvent.key() == Qt::Key_Escape) {
        cancel();
        return true;
    }
    const bool command = (event->modifierFlags & KivKeyModifier::Ctrl) != 0;
    const std::string shortcut = shortcutOf(*event);
    GridController* grid = selectedController();
    if (!command && grid && contains(grid->validShortcuts(), shortcut)) {
        // The release may type another text (Shift let go first): the key
        // itself says what it pressed.
        if (event->keyCode != 0) {
            _pressedShortcuts[event->keyCode] = shortcut;
        }
        grid->triggerCueDownWithShortcut(shortcut);
        return true;
    }
    if (command && qtEvent.key() >= Qt::Key_1 && qtEvent.key() <= Qt::Key_9) {
        const int index = qtEvent.key() - Qt::Key_1;
        if (index < _window->tabs()->count()) {
            selectTab(index);
        }
        return true;
    }
    if (qtEvent.key() == Qt::Key_Delete || qtEvent.key() == Qt::Key_Backspace) {
        if (grid && !isLocked() && grid->gridView()->selectedIndex() != GridView::kNoSelection) {
            grid->removeCueAtIndex(grid->gridView()->selectedIndex());
        }
        return true;
    }
    switch (qtEvent.key()) {
    case Qt::Key_Up:
        moveUp();
        return true;
    case Qt::Key_Down:
        moveDown();
        return true;
    case Qt::Key_Left:
        moveLeft();
        return true;
    case Qt::Key_Right:
        moveRight();
        return true;
    default:
        return false;
    }
}

bool WorkspaceController::keyUp(const QKeyEvent& qtEvent) {
    const std::optional<KivKeyEvent> event = KivHotKeyAdapter::keyEvent(qtEvent);
    if (!event) {
        return qtEvent.isAutoRepeat();
    }
    GridController* grid = selectedController();
    if (const auto pressed = _pressedShortcuts.find(event->keyCode);
        pressed != _pressedShortcuts.end()) {
        const std::string shortcut = pressed->second;
        _pressedShortcuts.erase(pressed);
        if (grid) {
            grid->triggerCueUpWithShortcut(shortcut);
        }
        return true;
    }
    const bool command = (event->modifierFlags & KivKeyModifier::Ctrl) != 0;
    const std::string shortcut = shortcutOf(*event);
    if (!command && grid && contains(grid->validShortcuts(), shortcut)) {
        grid->triggerCueUpWithShortcut(shortcut);
        return true;
    }
    return false;
}

bool WorkspaceController::keyDownHotkey(const KivKeyEvent& event) {
    if (_settings.pauseAllKey().matchesKeyEvent(event)) {
        pauseAll();
        return true;
    }
    if (_settings.resumeAllKey().matchesKeyEvent(event)) {
        resumeAll();
        return true;
    }
    if (_settings.duckMasterKey().matchesKeyEvent(event)) {
        toggleDucking();
        return true;
    }
    return false;
}

void WorkspaceController::processMIDIMessages(const MidiBatch& messages) {
    SyncedBatch batch(_workspace->audioDevice());
    MidiBatch kept;
    for (const MidiMessage& message : messages) {
        if (KivEnvironment::logLevel() >= 3) {
            logFormat("MIDI voice message received on channel %u", message.channel());
        }
        if (_settings.midiChannel() == 0 ||
            static_cast<unsigned>(_settings.midiChannel()) == message.channel()) {
            kept.push_back(message);
        }
    }
    // MIDI learn takes the whole batch: the learned message fires nothing.
    if (kept.empty() || (_inspector && _inspector->processMIDIMessages(kept))) {
        return;
    }
    GridController* selected = selectedController();
    for (const auto& controller : _gridControllers) {
        if (controller.get() == selected) {
            controller->processMIDIMessages(kept);
        } else {
            controller->cart()->processMIDIMessages(kept);
        }
    }
}

void WorkspaceController::validateMenus() {
    if (!_window) {
        return;
    }
    const bool locked = isLocked();
    const auto enable = [this](const char* name, bool enabled) {
        if (QAction* action = _window->action(QString::fromLatin1(name))) {
            action->setEnabled(enabled);
        }
    };
    enable("copy", canCopy());
    enable("cut", canCut());
    enable("paste", canPaste());
    enable("delete", canDelete());
    enable("newTab", !locked);
    enable("closeTab", !locked);
    enable("setEditMode", locked);
    enable("setShowMode", !locked);
    enable("editWorkspaceSettings", !locked);
    enable("changeGrid", !locked);
    enable("renameCart", !locked);
    enable("toggleInspector", !locked);
    UndoManager& undo = undoManager();
    const auto named = [](const char* verb, const std::string& name) {
        return name.empty() ? QString::fromLatin1(verb)
                            : QStringLiteral("%1 %2").arg(QString::fromLatin1(verb),
                                                          QString::fromStdString(name));
    };
    if (QAction* action = _window->action(QStringLiteral("undo"))) {
        action->setEnabled(!locked && undo.canUndo());
        action->setText(named("&Undo", undo.undoActionName()));
    }
    if (QAction* action = _window->action(QStringLiteral("redo"))) {
        action->setEnabled(!locked && undo.canRedo());
        action->setText(named("&Redo", undo.redoActionName()));
    }
    enable("revertDocumentToSaved", !_workspace->filePath().empty());
}

void WorkspaceController::selectionChanged() {
    validateMenus();
    updateInspectorCue();
}

void WorkspaceController::cartRenamed(GridController& controller, const std::string& name) {
    // A closed tab's cart has no label to change.
    if (const int index = tabIndexOf(controller); index >= 0) {
        _window->tabs()->setTabLabel(index, QString::fromStdString(name));
    }
}

void WorkspaceController::tabSelected() {
    // The cart may have changed while its tab was hidden.
    if (GridController* grid = selectedController()) {
        grid->reloadData();
    }
    validateMenus();
    updateInspectorCue();
    makeCartFirstResponder();
    _brokenCues->reloadData();
}

void WorkspaceController::selectCue(const AudioCue& cue) {
    for (const auto& controller : _gridControllers) {
        // By the tab's place in the row, which a reorder changes.
        if (const int tab = tabIndexOf(*controller);
            tab >= 0 && controller->cart().get() == cue.cart()) {
            _window->tabs()->setCurrentIndex(tab);
            controller->selectCue(cue);
        }
    }
}

void WorkspaceController::makeCartFirstResponder() {
    if (GridController* grid = selectedController()) {
        grid->gridView()->setFocus(Qt::OtherFocusReason);
    }
}

void WorkspaceController::updateWindowTitle() {
    _window->setWindowTitle(QString::fromStdString(_workspace->displayName()) +
                            QStringLiteral("[*] \u2014 Pondra"));
    _window->setWindowModified(_workspace->isDocumentEdited());
}
