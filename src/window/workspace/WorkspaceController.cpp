#include "window/workspace/WorkspaceController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornSplitView.h"
#include "KivUI/services/KivPasteboard.h"
#include "KivUI/services/KivPrompts.h"
#include "foundation/MainRunLoop.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/SafetyConcern.h"
#include "model/Workspace.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/inspector/InspectorController.h"
#include "window/sheets/GridSelectorController.h"
#include "window/sheets/PondraProgressSheet.h"
#include "window/sheets/RenameCartWindowController.h"
#include "window/sheets/SettingsSheet.h"
#include "window/tabs/CartTabBar.h"
#include "window/warnings/BrokenCueController.h"
#include "window/workspace/DocumentActions.h"
#include "window/workspace/LogController.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceEditCommands.h"
#include "window/workspace/WorkspaceKeyRouter.h"
#include "window/workspace/WorkspaceOutputController.h"
#include "window/workspace/WorkspaceTabCommands.h"

#include <QAction>
#include <QButtonGroup>

#include <algorithm>

WorkspaceController::WorkspaceController(std::shared_ptr<Workspace> workspace, KivPrompts& prompts,
                                         KivPasteboard& pasteboard, DocumentActions* documents)
    : _workspace(std::move(workspace))
    , _prompts(prompts)
    , _pasteboard(pasteboard)
    , _documents(documents)
    , _output(std::make_unique<WorkspaceOutputController>(*this))
    , _edits(std::make_unique<WorkspaceEditCommands>(*this))
    , _keys(std::make_unique<WorkspaceKeyRouter>(*this))
    , _tabCommands(std::make_unique<WorkspaceTabCommands>(*this))
    , _transport(std::make_unique<WorkspaceTransport>(*this))
    , _inspectorPane(std::make_unique<WorkspaceInspectorPane>(*this))
    , _documentCommands(std::make_unique<WorkspaceDocumentCommands>(*this))
    , _window(std::make_unique<PondraWindow>(*this)) {
    _workspace->setSettings(&_settings);
    _settings.setUndoManager(&undoManager());
    _brokenCues = std::make_unique<BrokenCueController>(
        [this] { return brokenOrFlaggedCues(); },
        [this](const std::shared_ptr<AudioCue>& cue) { selectCue(*cue); },
        MainRunLoop::scheduler());
    // Undo and redo change cues behind the cells' backs.
    _checkpointObservation = undoManager().checkpoint.connect([this] {
        updateWindowTitle();
        validateMenus();
        _transport->updateVolumeSlider();
        _inspectorPane->updateInspectorCue();
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
    _pasteboardObservation = _pasteboard.changed.connect([this] { validateMenus(); });
    wireWindow();
}

WorkspaceController::~WorkspaceController() {
    undoManager().removeAllActions(&_settings);
    _transport->stopTimers();
    _checkpointObservation.disconnect();
    _saveObservation.disconnect();
    _pasteboardObservation.disconnect();
    if (_workspace->saveProgress() == _window->saveProgress()) {
        _workspace->setSaveProgress(nullptr);
    }
    if (InspectorController* inspector = inspectorController()) {
        inspector->setCue(nullptr);
    }
    _brokenCues->prepareToDie();
    _brokenCues->hidePopover();
    _window.reset();
    _gridControllers.clear();
    _tabCommands->forgetClosedTabs();
    if (_workspace->settings() == &_settings) {
        _workspace->setSettings(nullptr);
    }
}

GridController& WorkspaceController::addControllerForCart(std::shared_ptr<Cart> cart) {
    // Named before its controller watches the name: no edit of the document.
    if (cart->name().empty()) {
        cart->setName("Cart " + std::to_string(_tabCommands->tabCount() + 1));
    }
    if (_workspace->audioDevice()) {
        cart->updateCuesWithAudioDevice(_workspace->audioDevice());
    }
    _gridControllers.push_back(std::make_unique<GridController>(std::move(cart), *this));
    GridController& controller = *_gridControllers.back();
    _tabCommands->addTab(controller);
    return controller;
}

std::unique_ptr<GridController>
WorkspaceController::releaseGridController(GridController& controller) {
    const auto found = std::find_if(_gridControllers.begin(), _gridControllers.end(),
                                    [&](const auto& c) { return c.get() == &controller; });
    if (found == _gridControllers.end()) {
        return nullptr;
    }
    std::unique_ptr<GridController> released = std::move(*found);
    _gridControllers.erase(found);
    return released;
}

void WorkspaceController::restoreGridController(std::unique_ptr<GridController> controller) {
    _gridControllers.push_back(std::move(controller));
}

GridController* WorkspaceController::controllerAtTab(int index) const {
    return _tabCommands->controllerAtTab(index);
}

void WorkspaceController::showWindow() {
    _transport->updateVolumeSlider();
    updateDuckingButton();
    updatePauseButton();
    _window->tabs()->setCurrentIndex(0);
    _output->updateOutputDevices();
    _transport->startLevelMeter();
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
    _window->tabs()->setCloseHandlers(
        [this](int index) { return _tabCommands->shouldCloseTab(index); },
        [this](QWidget* page) { _tabCommands->tabDidClose(page); });
    _window->tabs()->setDragController(_tabCommands.get());
    connect(_window->splitView(), &QSplitter::splitterMoved, this,
            [this] { _inspectorPane->inspectorPaneMoved(); });
    _inspectorPane->makeInspector();
}

void WorkspaceController::reloadCarts() {
    const int selected = _window->tabs()->currentIndex();
    // The new window takes the old one's place and size.
    const QByteArray frame = _window->saveGeometry();
    // A sheet on the old window goes with it.
    _output->windowReplaced();
    _brokenCues->hidePopover();
    _window.reset();
    _gridControllers.clear();
    _tabCommands->forgetClosedTabs();
    _window = std::make_unique<PondraWindow>(*this);
    _window->restoreGeometry(frame);
    wireWindow();
    for (const auto& cart : _workspace->carts()) {
        addControllerForCart(cart);
    }
    showWindow();
    _window->tabs()->setCurrentIndex(selected);
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

const std::vector<AudioOutput>& WorkspaceController::outputDevices() const {
    return _output->outputs();
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
    if (InspectorController* inspector = inspectorController()) {
        inspector->setCue(nullptr);
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
    _inspectorPane->updateInspectorCue();
    validateMenus();
}

void WorkspaceController::cancel() {
    if (_documents) {
        _documents->panicAllDocuments();
    } else {
        panicAll();
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
        _settingsSheet =
            new SettingsSheet(_window.get(), _settings, *_workspace, [this] { cancel(); });
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

void WorkspaceController::showLog() {
    if (!_logWindow) {
        _logWindow = std::make_unique<LogController>();
    }
    _logWindow->setLogger(_workspace->logger());
    _logWindow->show();
    _logWindow->raise();
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
    enable("copy", _edits->canCopy());
    enable("cut", _edits->canCut());
    enable("paste", _edits->canPaste());
    enable("delete", _edits->canDelete());
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
    _inspectorPane->updateInspectorCue();
}

void WorkspaceController::cartRenamed(GridController& controller, const std::string& name) {
    // A closed tab's cart has no label to change.
    if (const int index = _tabCommands->tabIndexOf(controller); index >= 0) {
        _window->tabs()->setTabLabel(index, QString::fromStdString(name));
    }
}

void WorkspaceController::cartPlayingChanged(GridController& controller, int playing) {
    if (const int index = _tabCommands->tabIndexOf(controller); index >= 0) {
        _window->tabs()->setTabPlayingCount(index, playing);
    }
}

void WorkspaceController::tabSelected() {
    // The cart may have changed while its tab was hidden.
    if (GridController* grid = selectedController()) {
        grid->reloadData();
    }
    validateMenus();
    _inspectorPane->updateInspectorCue();
    makeCartFirstResponder();
    _brokenCues->reloadData();
}

void WorkspaceController::selectCue(const AudioCue& cue) {
    for (const auto& controller : _gridControllers) {
        // By the tab's place in the row, which a reorder changes.
        if (const int tab = _tabCommands->tabIndexOf(*controller);
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
