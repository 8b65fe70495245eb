#include "window/grid/GridImports.h"

#include "KivUI/services/KivPrompts.h"
#include "audio/source/KivAudioFile.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/MediaName.h"
#include "model/Workspace.h"
#include "platform/alias/KivAlias.h"
#include "platform/files/FileOperations.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/GridController.h"
#include "window/grid/GridControllerDelegate.h"
#include "window/grid/GridView.h"
#include "window/sheets/ImportProgressSheet.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QStringList>

#include <algorithm>

namespace {

constexpr std::size_t kNone = CartGrid::kNotFound;

const char* const kUnreadable = "Only audio files that can be read can be added to the grid.";
const char* const kChanged =
    "A file changed while it was being copied into the show's media; add it again once it is "
    "complete.";
const char* const kGridFull = "The grid has no empty slot left.";

// Worker thread. What the import takes of the file, its length in seconds: a
// regular file (at the end of its links) that opens as audio and plays
// through to its end. Anything else, a private key named by a cue on the
// clipboard say, is never read further, let alone copied.
std::optional<double> importableLength(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    auto alias = KivAlias::aliasWithPath(path);
    if (!alias) {
        return std::nullopt;
    }
    KivAudioFile file(alias);
    if (!file.validFile() || !file.readsThrough()) {
        return std::nullopt;
    }
    return file.fileLengthInSeconds();
}

// Worker thread: the file checked, then copied into the workspace's media
// unless `copy` is false. The copy is the file checked: the same bytes, as
// long and as readable to its end, or the file is refused.
MediaImport::Taken take(const Workspace& workspace, const std::string& path, bool copy,
                        const std::atomic<bool>& cancelled) {
    const auto checked = FileOperations::fileState(path);
    const auto length = importableLength(path);
    if (!checked || !length) {
        return {{}, kUnreadable};
    }
    if (!copy) {
        return {path, {}};
    }
    std::string problem;
    const auto copied = workspace.copyFileIntoTmp(path, &cancelled, &problem, &*checked);
    if (!copied) {
        if (problem == FileOperations::errorText(FileOperations::kSourceChanged)) {
            return {{}, kChanged};
        }
        return {{}, "A file could not be copied into the show's media: " + problem + "."};
    }
    if (importableLength(*copied) != length) {
        logFormat("Failed to copy %s when importing: the copy does not play as the file did",
                  path.c_str());
        ::unlink(copied->c_str());
        return {{}, kChanged};
    }
    return {*copied, {}};
}

} // namespace

GridImports::GridImports(GridController& controller, GridControllerDelegate& delegate)
    : _controller(controller)
    , _delegate(delegate) {}

GridImports::~GridImports() {
    _import.reset();
}

void GridImports::handlePasteCue(std::shared_ptr<AudioCue> cue) {
    if (_import) {
        _controller.prompts().beep();
        return;
    }
    if (pasteTarget() == kNone) {
        alertNoEmptySlot();
        return;
    }
    importCue(std::move(cue), std::nullopt);
}

void GridImports::dropCue(std::shared_ptr<AudioCue> cue, std::size_t index) {
    if (_import || index >= _controller.slotCount()) {
        _controller.prompts().beep();
        return;
    }
    importCue(std::move(cue), index);
}

std::size_t GridImports::pasteTarget() const {
    const GridView* view = _controller.gridView();
    const std::size_t selected = view ? view->selectedIndex() : kNone;
    return _controller.findEmptyCellAtIndex(selected == kNone ? 0 : selected);
}

void GridImports::alertNoEmptySlot() {
    _controller.prompts().runAlert(
        {QStringLiteral("No empty slot to paste a cue into."),
         QStringLiteral("Please increase the size of your grid or remove a cue."),
         {QStringLiteral("OK")}});
}

void GridImports::importCue(std::shared_ptr<AudioCue> cue, std::optional<std::size_t> slot) {
    Workspace& workspace = _delegate.workspace();
    // A pasted cue keeps media the workspace already holds; a dropped one
    // always gets a copy of its own.
    const bool copy = slot || !workspace.containsMediaFile(cue->file());
    startImport(
        {cue->file()},
        MediaImport::Steps{
            [&workspace, copy](const std::string& path, const std::atomic<bool>& cancelled) {
                return take(workspace, path, copy, cancelled);
            },
            [this, cue, slot](const std::string&, const std::string& taken, std::string&) {
                placeImportedCue(cue, taken, slot);
                return true;
            },
            nullptr},
        MediaImport::OnRefusal::Stop);
}

void GridImports::placeImportedCue(const std::shared_ptr<AudioCue>& cue, const std::string& taken,
                                   std::optional<std::size_t> slot) {
    if (taken != cue->file()) {
        cue->updateFile(taken);
    }
    cue->setAudioDevice(_delegate.workspace().audioDevice());
    if (slot) {
        // The occupant goes first, with its own undo, so one undo brings it back.
        _controller.removeCueAtIndex(*slot);
        _controller.addCue(cue, *slot);
        return;
    }
    const std::size_t target = pasteTarget();
    if (target == kNone) {
        alertNoEmptySlot();
        return;
    }
    _controller.addCue(cue, target);
}

void GridImports::dropFiles(const std::vector<std::string>& paths, std::size_t index,
                            bool withDefaultTriggers) {
    if (paths.empty() || _import || index >= _controller.slotCount()) {
        return;
    }
    Workspace& workspace = _delegate.workspace();
    auto slot = std::make_shared<std::size_t>(index);
    startImport(paths,
                MediaImport::Steps{
                    [&workspace](const std::string& path, const std::atomic<bool>& cancelled) {
                        return take(workspace, path, true, cancelled);
                    },
                    [this, slot, withDefaultTriggers](const std::string&, const std::string& copy,
                                                      std::string& reason) {
                        return placeImportedFile(copy, *slot, withDefaultTriggers, reason);
                    },
                    nullptr},
                MediaImport::OnRefusal::Stop);
}

void GridImports::importForeignMedia() {
    Workspace& workspace = _delegate.workspace();
    std::vector<std::string> paths;
    for (const auto& [index, cue] : _controller.cart()->cues()) {
        const std::string& file = cue->file();
        if (!file.empty() && !workspace.containsMediaFile(file) &&
            std::find(paths.begin(), paths.end(), file) == paths.end()) {
            paths.push_back(file);
        }
    }
    if (paths.empty() || _import) {
        return;
    }
    // Each cue whose media could not be copied keeps its own; the others go on.
    startImport(paths,
                MediaImport::Steps{
                    [&workspace](const std::string& path, const std::atomic<bool>& cancelled) {
                        return take(workspace, path, true, cancelled);
                    },
                    [this](const std::string& original, const std::string& copy, std::string&) {
                        for (const auto& [index, cue] : _controller.cart()->cues()) {
                            if (cue->file() == original) {
                                cue->updateFile(copy);
                            }
                        }
                        return true;
                    },
                    nullptr},
                MediaImport::OnRefusal::GoOn);
}

void GridImports::startImport(std::vector<std::string> paths, MediaImport::Steps steps,
                              MediaImport::OnRefusal onRefusal) {
    ImportProgressSheet& sheet = _delegate.importProgress();
    sheet.begin(QStringLiteral("Importing media"), static_cast<int>(paths.size()));
    auto place = std::move(steps.place);
    steps.place = [this, place = std::move(place)](const std::string& source,
                                                   const std::string& taken, std::string& reason) {
        const bool placed = place(source, taken, reason);
        _delegate.importProgress().setDone(_import->placed() + 1);
        return placed;
    };
    steps.finished = [this](const MediaImport::Outcome& outcome) { finishImport(outcome); };
    _import = std::make_unique<MediaImport>(std::move(paths), std::move(steps), onRefusal);
    sheet.onCancel = [this] {
        if (_import) {
            _import->cancel();
        }
    };
    _import->start();
}

bool GridImports::placeImportedFile(const std::string& copy, std::size_t& slot,
                                    bool withDefaultTriggers, std::string& reason) {
    if (slot == kNone) {
        reason = kGridFull;
        return false;
    }
    Workspace& workspace = _delegate.workspace();
    auto cue = AudioCue::initWithFile(copy, workspace.audioDevice());
    if (!cue) {
        reason = kUnreadable;
        return false;
    }
    UndoManager& undo = _controller.undoManager();
    // Each file is one undo step of its own.
    undo.beginUndoGrouping();
    const Cart& cart = *_controller.cart();
    const bool wasSelected =
        _controller.gridView() && _controller.gridView()->selectedIndex() == slot;
    if (auto old = cart.cueAtIndex(slot)) {
        cue->setHotkey(old->hotkey());
        cue->setMidiTrigger(old->midiTrigger());
        cue->setColor(old->color());
        _controller.removeCueAtIndex(slot);
    } else if (withDefaultTriggers) {
        cue->setHotkey(cart.defaultHotkeyForIndex(slot));
        cue->setMidiNote(static_cast<int>(slot));
    }
    _controller.addCue(std::move(cue), slot);
    undo.endUndoGrouping();
    if (wasSelected && _controller.gridView()) {
        _controller.gridView()->setSelectedIndex(slot);
    }
    slot = _controller.findEmptyCellAtIndex(slot);
    return true;
}

void GridImports::finishImport(const MediaImport::Outcome& outcome) {
    _delegate.importProgress().end();
    _delegate.importProgress().onCancel = nullptr;
    // The import object is the caller: it goes once it has returned.
    _import.release()->deleteLater();
    if (outcome.notAdded.empty()) {
        return;
    }
    QStringList names;
    for (const std::string& path : outcome.notAdded) {
        names << QString::fromStdString(MediaName::textName(MediaName::lastPathComponent(path)));
    }
    // On this window only: a show in another window keeps its keys.
    GridView* view = _controller.gridView();
    _controller.prompts().beginSheet(
        view ? view->window() : nullptr,
        {names.size() == 1 ? QStringLiteral("The file could not be imported.")
                           : QStringLiteral("%1 files could not be imported.").arg(names.size()),
         QStringLiteral("%1 Not added: %2")
             .arg(QString::fromStdString(outcome.reason), names.join(QStringLiteral(", "))),
         {QStringLiteral("OK")}},
        nullptr);
}
