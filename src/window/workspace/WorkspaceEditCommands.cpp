#include "window/workspace/WorkspaceEditCommands.h"

#include "KivUI/services/KivPrompts.h"
#include "model/AudioCue.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/workspace/WorkspaceController.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

WorkspaceEditCommands::WorkspaceEditCommands(WorkspaceController& controller)
    : _controller(controller) {}

bool WorkspaceEditCommands::canCopy() const {
    const GridController* grid = _controller.selectedController();
    return grid && grid->selectedCue();
}

bool WorkspaceEditCommands::canCut() const {
    return canCopy() && canDelete();
}

bool WorkspaceEditCommands::canPaste() const {
    if (_controller.isLocked()) {
        return false;
    }
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(AudioCue::kPasteboardType));
}

bool WorkspaceEditCommands::canDelete() const {
    return canCopy() && !_controller.isLocked();
}

void WorkspaceEditCommands::copy() {
    if (!canCopy()) {
        return;
    }
    const auto bytes = _controller.selectedController()->selectedCue()->pasteboardData();
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(AudioCue::kPasteboardType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(data);
    _controller.validateMenus();
}

void WorkspaceEditCommands::cut() {
    if (!canCut()) {
        _controller.prompts().beep();
        return;
    }
    copy();
    deleteSelected();
}

void WorkspaceEditCommands::paste() {
    GridController* grid = _controller.selectedController();
    if (!canPaste() || !grid) {
        _controller.prompts().beep();
        return;
    }
    const QByteArray bytes = QGuiApplication::clipboard()->mimeData()->data(
        QString::fromLatin1(AudioCue::kPasteboardType));
    auto cue =
        AudioCue::cueFromPasteboardData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    if (!cue) {
        _controller.prompts().beep();
        return;
    }
    grid->handlePasteCue(std::move(cue));
}

void WorkspaceEditCommands::deleteSelected() {
    if (!canDelete()) {
        _controller.prompts().beep();
        return;
    }
    GridController* grid = _controller.selectedController();
    grid->removeCueAtIndex(grid->gridView()->selectedIndex());
}

void WorkspaceEditCommands::undo() {
    if (!_controller.isLocked()) {
        _controller.undoManager().undo();
    }
}

void WorkspaceEditCommands::redo() {
    if (!_controller.isLocked()) {
        _controller.undoManager().redo();
    }
}

void WorkspaceEditCommands::moveUp() {
    if (GridController* grid = _controller.selectedController()) {
        grid->moveUp();
    }
}

void WorkspaceEditCommands::moveDown() {
    if (GridController* grid = _controller.selectedController()) {
        grid->moveDown();
    }
}

void WorkspaceEditCommands::moveLeft() {
    if (GridController* grid = _controller.selectedController()) {
        grid->moveLeft();
    }
}

void WorkspaceEditCommands::moveRight() {
    if (GridController* grid = _controller.selectedController()) {
        grid->moveRight();
    }
}
