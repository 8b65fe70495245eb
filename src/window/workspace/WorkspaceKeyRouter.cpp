#include "window/workspace/WorkspaceKeyRouter.h"

#include "KivUI/controls/KivHotKeyAdapter.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/MainRunLoop.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/SyncedBatch.h"
#include "model/Workspace.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/inspector/InspectorController.h"
#include "window/tabs/CartTabBar.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"
#include "window/workspace/WorkspaceEditCommands.h"

#include <QKeyEvent>

#include <algorithm>

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

} // namespace

WorkspaceKeyRouter::WorkspaceKeyRouter(WorkspaceController& controller)
    : _controller(controller) {}

WorkspaceKeyRouter::~WorkspaceKeyRouter() {
    if (_pendingRelease) {
        MainRunLoop::scheduler().cancel(_pendingRelease->timer);
    }
}

bool WorkspaceKeyRouter::isRepeatedPress(std::uint16_t keyCode, std::uint64_t time) {
    if (keyCode == 0 || time == 0 || _lastRelease != std::pair(keyCode, time)) {
        return false;
    }
    if (_pendingRelease && _pendingRelease->keyCode == keyCode) {
        MainRunLoop::scheduler().cancel(_pendingRelease->timer);
        _pendingRelease.reset();
    }
    return true;
}

void WorkspaceKeyRouter::releasePending() {
    if (!_pendingRelease) {
        return;
    }
    const std::uint16_t keyCode = _pendingRelease->keyCode;
    MainRunLoop::scheduler().cancel(_pendingRelease->timer);
    _pendingRelease.reset();
    triggerUp(keyCode);
}

void WorkspaceKeyRouter::answerPending() {
    if (!_pendingRelease || !_pendingRelease->query) {
        return;
    }
    const std::optional<bool> down = _pendingRelease->query->answer();
    if (down && *down) {
        // Still held: the release was X's repeat, whose press does nothing.
        MainRunLoop::scheduler().cancel(_pendingRelease->timer);
        _pendingRelease.reset();
        return;
    }
    if (down || MainRunLoop::clock().now() >= _pendingRelease->deadline) {
        releasePending();
    }
}

void WorkspaceKeyRouter::triggerUp(std::uint16_t keyCode) {
    const auto pressed = _pressedShortcuts.find(keyCode);
    if (pressed == _pressedShortcuts.end()) {
        return;
    }
    const std::string shortcut = pressed->second;
    _pressedShortcuts.erase(pressed);
    if (GridController* grid = _controller.selectedController()) {
        grid->triggerCueUpWithShortcut(shortcut);
    }
}

bool WorkspaceKeyRouter::keyDown(const QKeyEvent& qtEvent) {
    const std::optional<KivKeyEvent> event = KivHotKeyAdapter::keyEvent(qtEvent);
    if (!event) {
        // Auto-repeat: the key is held, nothing new happens.
        return qtEvent.isAutoRepeat();
    }
    if (isRepeatedPress(event->keyCode, qtEvent.timestamp())) {
        return true;
    }
    // A release still waiting is older than this press.
    releasePending();
    // The workspace's own keys come first, even one set to Escape.
    if (keyDownHotkey(*event)) {
        return true;
    }
    if (qtEvent.key() == Qt::Key_Escape) {
        _controller.cancel();
        return true;
    }
    const bool command = (event->modifierFlags & KivKeyModifier::Ctrl) != 0;
    const std::string shortcut = shortcutOf(*event);
    GridController* grid = _controller.selectedController();
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
        if (index < _controller.window()->tabs()->count()) {
            _controller.selectTab(index);
        }
        return true;
    }
    if (qtEvent.key() == Qt::Key_Delete || qtEvent.key() == Qt::Key_Backspace) {
        if (grid && !_controller.isLocked() &&
            grid->gridView()->selectedIndex() != GridView::kNoSelection) {
            grid->removeCueAtIndex(grid->gridView()->selectedIndex());
        }
        return true;
    }
    WorkspaceEditCommands& edits = _controller.edits();
    switch (qtEvent.key()) {
    case Qt::Key_Up:
        edits.moveUp();
        return true;
    case Qt::Key_Down:
        edits.moveDown();
        return true;
    case Qt::Key_Left:
        edits.moveLeft();
        return true;
    case Qt::Key_Right:
        edits.moveRight();
        return true;
    default:
        return false;
    }
}

bool WorkspaceKeyRouter::keyUp(const QKeyEvent& qtEvent) {
    const std::optional<KivKeyEvent> event = KivHotKeyAdapter::keyEvent(qtEvent);
    if (!event) {
        return qtEvent.isAutoRepeat();
    }
    releasePending();
    const std::uint64_t time = qtEvent.timestamp();
    _lastRelease = std::pair(event->keyCode, time);
    if (_pressedShortcuts.count(event->keyCode) != 0) {
        // Without a time (an event made by a program) no repeat can be told.
        if (time == 0) {
            triggerUp(event->keyCode);
        } else {
            Scheduler& scheduler = MainRunLoop::scheduler();
            PendingRelease pending;
            pending.keyCode = event->keyCode;
            pending.query = KivKeyDownQuery::ask(event->keyCode);
            if (pending.query) {
                pending.deadline = MainRunLoop::clock().now() + kAnswerWait;
                pending.timer =
                    scheduler.scheduleRepeating(kAnswerInterval, [this] { answerPending(); });
            } else {
                pending.timer =
                    scheduler.scheduleOnce(kRepeatPairWindow, [this] { releasePending(); });
            }
            _pendingRelease = std::move(pending);
        }
        return true;
    }
    GridController* grid = _controller.selectedController();
    const bool command = (event->modifierFlags & KivKeyModifier::Ctrl) != 0;
    const std::string shortcut = shortcutOf(*event);
    if (!command && grid && contains(grid->validShortcuts(), shortcut)) {
        grid->triggerCueUpWithShortcut(shortcut);
        return true;
    }
    return false;
}

bool WorkspaceKeyRouter::keyDownHotkey(const KivKeyEvent& event) {
    const SettingsController& settings = _controller.settings();
    if (settings.pauseAllKey().matchesKeyEvent(event)) {
        _controller.pauseAll();
        return true;
    }
    if (settings.resumeAllKey().matchesKeyEvent(event)) {
        _controller.resumeAll();
        return true;
    }
    if (settings.duckMasterKey().matchesKeyEvent(event)) {
        _controller.toggleDucking();
        return true;
    }
    return false;
}

void WorkspaceKeyRouter::processMIDIMessages(const MidiBatch& messages) {
    SyncedBatch batch(_controller.workspace().audioDevice());
    const int channel = _controller.settings().midiChannel();
    MidiBatch kept;
    for (const MidiMessage& message : messages) {
        if (KivEnvironment::logLevel() >= 3) {
            logFormat("MIDI voice message received on channel %u", message.channel());
        }
        if (channel == 0 || static_cast<unsigned>(channel) == message.channel()) {
            kept.push_back(message);
        }
    }
    // MIDI learn takes the whole batch: the learned message fires nothing.
    InspectorController* inspector = _controller.inspectorController();
    if (kept.empty() || (inspector && inspector->processMIDIMessages(kept))) {
        return;
    }
    GridController* selected = _controller.selectedController();
    for (const auto& controller : _controller.gridControllers()) {
        if (controller.get() == selected) {
            controller->processMIDIMessages(kept);
        } else {
            controller->cart()->processMIDIMessages(kept);
        }
    }
}
