#include "window/workspace/WorkspaceEditCommands.h"

#include "KivUI/services/KivPasteboard.h"
#include "KivUI/services/KivPrompts.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

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
    // Known from the clipboard's last change, never asked of its holder here.
    return _controller.pasteboard().offers(QString::fromLatin1(AudioCue::kPasteboardType));
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
    _controller.pasteboard().write(data);
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
    if (!canPaste() || !_controller.selectedController()) {
        _controller.prompts().beep();
        return;
    }
    // Another program's cue comes when it answers: the window goes on meanwhile.
    _controller.pasteboard().read(
        QString::fromLatin1(AudioCue::kPasteboardType), AudioCue::kMaximumPasteboardSize,
        &_controller, [this](const KivPasteboard::Contents& contents) { pasteContents(contents); });
}

void WorkspaceEditCommands::pasteContents(const KivPasteboard::Contents& contents) {
    using Status = KivPasteboard::Contents::Status;
    GridController* grid = _controller.selectedController();
    std::string problem;
    switch (contents.status) {
    case Status::Read:
        if (auto cue = AudioCue::cueFromPasteboardData(
                std::vector<std::uint8_t>(contents.bytes.begin(), contents.bytes.end()),
                &problem)) {
            if (grid && !_controller.isLocked()) {
                grid->handlePasteCue(std::move(cue));
            } else {
                _controller.prompts().beep();
            }
            return;
        }
        refusePaste(QStringLiteral("The clipboard holds no cue that can be pasted: %1.")
                        .arg(QString::fromStdString(problem)));
        return;
    case Status::NoAnswer:
        logLine("Warning: nothing was pasted: the program holding the clipboard did not answer");
        refusePaste(QStringLiteral("The program holding the clipboard did not answer within a "
                                   "second."));
        return;
    case Status::TooLarge:
        logFormat("Warning: nothing was pasted: the clipboard's cue is larger than %zu MB",
                  AudioCue::kMaximumPasteboardSize >> 20);
        refusePaste(QStringLiteral("The cue on the clipboard is larger than %1 MB, more than "
                                   "any cue holds.")
                        .arg(AudioCue::kMaximumPasteboardSize >> 20));
        return;
    case Status::Failed:
        refusePaste(QStringLiteral("The clipboard could not be read."));
        return;
    case Status::Empty:
        break;
    }
    // It was taken by a program that offers no cue meanwhile.
    _controller.prompts().beep();
}

void WorkspaceEditCommands::refusePaste(const QString& why) {
    // On this window only: a show running in another window keeps its keys.
    _controller.prompts().beginSheet(
        _controller.window(), {QStringLiteral("Nothing was pasted."), why, {QStringLiteral("OK")}},
        nullptr);
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
