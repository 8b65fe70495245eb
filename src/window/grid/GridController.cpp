#include "window/grid/GridController.h"

#include "KivUI/services/KivPrompts.h"
#include "audio/source/KivAudioFile.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/MediaName.h"
#include "model/SyncedBatch.h"
#include "model/Workspace.h"
#include "platform/alias/KivAlias.h"
#include "platform/files/FileOperations.h"
#include "window/grid/CueCellView.h"
#include "window/grid/GridView.h"
#include "window/grid/MediaImport.h"
#include "window/sheets/ImportProgressSheet.h"
#include "window/warnings/BrokenCueController.h"

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

GridController::GridController(std::shared_ptr<Cart> cart, GridControllerDelegate& delegate)
    : _cart(std::move(cart))
    , _delegate(delegate)
    , _gridView(new GridView) {
    _gridView->setDelegate(this);
    _gridView->setPictureBudget(&_delegate.cellPictures());
    _sizeObservation = _cart->sizeChanged().connect([this](const CartSize& old, const CartSize&) {
        UndoManager& undo = undoManager();
        undo.registerUndo(this, [cart = _cart, old] { cart->setSize(old); });
        if (!undo.isUndoing()) {
            undo.setActionName("Change Size");
        }
        reloadData();
        // The selected slot now holds whatever cue the new size puts there:
        // nothing stays selected and the inspector empties.
        select(kNone);
    });
    _nameObservation =
        _cart->nameChanged().connect([this](const std::string& old, const std::string& name) {
            _delegate.cartRenamed(*this, name);
            UndoManager& undo = undoManager();
            undo.registerUndo(this, [cart = _cart, old] { cart->setName(old); });
            if (!undo.isUndoing()) {
                undo.setActionName("Rename Cart");
            }
        });
    reloadData();
    if (isLocked()) {
        lockCart();
    }
}

GridController::~GridController() {
    _import.reset();
    undoManager().removeAllActions(this);
    if (_gridView) {
        _gridView->setDelegate(nullptr);
    }
}

UndoManager& GridController::undoManager() const {
    return _delegate.undoManager();
}

KivPrompts& GridController::prompts() const {
    return _delegate.prompts();
}

void GridController::reloadData() {
    if (_gridView) {
        _gridView->reloadData();
    }
}

std::size_t GridController::slotCount() const {
    const CartSize size = _cart->size();
    return static_cast<std::size_t>(size.width * size.height);
}

std::shared_ptr<AudioCue> GridController::selectedCue() const {
    return _gridView ? _cart->cueAtIndex(_gridView->selectedIndex()) : nullptr;
}

void GridController::selectCue(const AudioCue& cue) {
    if (selectedCue().get() != &cue) {
        select(_cart->indexOfCue(cue));
    }
}

void GridController::select(std::size_t index) {
    if (_gridView) {
        _gridView->setSelectedIndex(index);
    }
}

void GridController::lockCart() {
    if (!_gridView) {
        return;
    }
    _gridView->setSelectedIndex(GridView::kNoSelection);
    for (CueCellView* cell : _gridView->cells()) {
        cell->setLocked(true);
    }
}

void GridController::unlockCart() {
    if (!_gridView) {
        return;
    }
    for (CueCellView* cell : _gridView->cells()) {
        cell->setLocked(false);
    }
}

void GridController::addCue(std::shared_ptr<AudioCue> cue, std::size_t index) {
    UndoManager& undo = undoManager();
    undo.registerUndo(this, [this, index] { removeCueAtIndex(index); });
    if (!undo.isUndoing()) {
        undo.setActionName("Add Cue");
    }
    _cart->setCue(std::move(cue), index);
    reloadData();
}

void GridController::removeCueAtIndex(std::size_t index) {
    std::shared_ptr<AudioCue> cue = _cart->cueAtIndex(index);
    if (!cue) {
        return;
    }
    cue->hardStop();
    if (CueCellView* cell = _gridView ? _gridView->cellAt(index) : nullptr) {
        cell->setCue(nullptr);
    }
    UndoManager& undo = undoManager();
    undo.registerUndo(this, [this, cue, index] { addCue(cue, index); });
    if (!undo.isUndoing()) {
        undo.setActionName("Delete Cue");
    }
    cue->closeEffectEditors();
    _cart->removeCueAtIndex(index);
    reloadData();
}

void GridController::handlePasteCue(std::shared_ptr<AudioCue> cue) {
    if (_import) {
        prompts().beep();
        return;
    }
    if (pasteTarget() == kNone) {
        alertNoEmptySlot();
        return;
    }
    importCue(std::move(cue), std::nullopt);
}

std::size_t GridController::pasteTarget() const {
    const std::size_t selected = _gridView ? _gridView->selectedIndex() : kNone;
    return findEmptyCellAtIndex(selected == kNone ? 0 : selected);
}

void GridController::alertNoEmptySlot() {
    prompts().runAlert({QStringLiteral("No empty slot to paste a cue into."),
                        QStringLiteral("Please increase the size of your grid or remove a cue."),
                        {QStringLiteral("OK")}});
}

void GridController::importCue(std::shared_ptr<AudioCue> cue, std::optional<std::size_t> slot) {
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

void GridController::placeImportedCue(const std::shared_ptr<AudioCue>& cue,
                                      const std::string& taken, std::optional<std::size_t> slot) {
    if (taken != cue->file()) {
        cue->updateFile(taken);
    }
    cue->setAudioDevice(_delegate.workspace().audioDevice());
    if (slot) {
        // The occupant goes first, with its own undo, so one undo brings it back.
        removeCueAtIndex(*slot);
        addCue(cue, *slot);
        return;
    }
    const std::size_t target = pasteTarget();
    if (target == kNone) {
        alertNoEmptySlot();
        return;
    }
    addCue(cue, target);
}

std::size_t GridController::findEmptyCellAtIndex(std::size_t index) const {
    const std::size_t slots = slotCount();
    if (slots == 0 || index >= slots) {
        return kNone;
    }
    for (std::size_t step = 0; step < slots; ++step) {
        const std::size_t slot = (index + step) % slots;
        if (!_cart->cueAtIndex(slot)) {
            return slot;
        }
    }
    return kNone;
}

std::size_t GridController::indexAboveIndex(std::size_t index) const {
    const auto columns = static_cast<std::size_t>(_cart->size().width);
    return index >= columns ? index - columns : index + slotCount() - columns;
}

std::size_t GridController::indexBelowIndex(std::size_t index) const {
    const auto columns = static_cast<std::size_t>(_cart->size().width);
    return (index + columns) % slotCount();
}

std::size_t GridController::indexLeftOfIndex(std::size_t index) const {
    return index == 0 ? kNone : index - 1;
}

std::size_t GridController::indexRightOfIndex(std::size_t index) const {
    return index + 1 < slotCount() ? index + 1 : kNone;
}

void GridController::moveUp() {
    if (!isLocked() && _gridView) {
        const std::size_t index = _gridView->selectedIndex();
        select(index == kNone ? 0 : indexAboveIndex(index));
    }
}

void GridController::moveDown() {
    if (!isLocked() && _gridView) {
        const std::size_t index = _gridView->selectedIndex();
        select(index == kNone ? 0 : indexBelowIndex(index));
    }
}

void GridController::moveLeft() {
    if (!isLocked() && _gridView) {
        const std::size_t index = _gridView->selectedIndex();
        select(index == kNone ? slotCount() - 1 : indexLeftOfIndex(index));
    }
}

void GridController::moveRight() {
    if (!isLocked() && _gridView) {
        const std::size_t index = _gridView->selectedIndex();
        select(index == kNone ? 0 : indexRightOfIndex(index));
    }
}

void GridController::processMIDIMessages(const MidiBatch& messages) {
    if (!isLocked() || !_gridView) {
        _cart->processMIDIMessages(messages);
        return;
    }
    for (const MidiMessage& message : messages) {
        for (const auto& cue : _cart->cuesWithDownMIDI(message)) {
            if (CueCellView* cell = _gridView->cellForCue(cue.get())) {
                cell->pressCue();
            }
        }
        for (const auto& cue : _cart->cuesWithUpMIDI(message)) {
            if (CueCellView* cell = _gridView->cellForCue(cue.get())) {
                cell->releaseCue();
            }
        }
    }
}

std::vector<std::string> GridController::validShortcuts() const {
    return _cart->shortcuts();
}

void GridController::triggerCueDownWithShortcut(const std::string& shortcut) {
    SyncedBatch batch(_delegate.workspace().audioDevice());
    if (!isLocked() || !_gridView) {
        _cart->triggerDownWithShortcut(shortcut);
        return;
    }
    for (const auto& cue : _cart->cuesWithShortcut(shortcut)) {
        if (CueCellView* cell = _gridView->cellForCue(cue.get())) {
            cell->pressCue();
        }
    }
}

void GridController::triggerCueUpWithShortcut(const std::string& shortcut) {
    SyncedBatch batch(_delegate.workspace().audioDevice());
    if (!isLocked() || !_gridView) {
        _cart->triggerUpWithShortcut(shortcut);
        return;
    }
    for (const auto& cue : _cart->cuesWithShortcut(shortcut)) {
        if (CueCellView* cell = _gridView->cellForCue(cue.get())) {
            cell->releaseCue();
        }
    }
}

CartSize GridController::sizeOfGridView() const {
    return _cart->size();
}

std::shared_ptr<AudioCue> GridController::cueForIndex(std::size_t index) const {
    return _cart->cueAtIndex(index);
}

bool GridController::isLocked() const {
    return _delegate.isLocked();
}

void GridController::gridViewDidDropCue(std::shared_ptr<AudioCue> cue, std::size_t index) {
    if (_import || index >= slotCount()) {
        prompts().beep();
        return;
    }
    importCue(std::move(cue), index);
}

void GridController::gridViewDidMoveCue(std::size_t from, std::size_t to) {
    if (from == to || from >= slotCount() || to >= slotCount()) {
        return;
    }
    // Both cues play on: a swap never goes through the cart's remove.
    if (!_cart->swapCuesAtIndexes(from, to)) {
        return;
    }
    UndoManager& undo = undoManager();
    undo.registerUndo(this, [this, from, to] { gridViewDidMoveCue(to, from); });
    undo.setActionName("Move Cue");
    reloadData();
}

void GridController::gridViewDidCopyCue(std::size_t from, std::size_t to) {
    std::shared_ptr<AudioCue> original = _cart->cueAtIndex(from);
    if (from == to || !original || to >= slotCount() || _cart->cueAtIndex(to)) {
        return;
    }
    UndoManager& undo = undoManager();
    undo.registerUndo(this, [this, to] { removeCueAtIndex(to); });
    undo.setActionName("Duplicate Cue");
    _cart->setCue(original->copy(), to);
    reloadData();
}

bool GridController::gridViewShouldSelectItemAtIndex(std::size_t) const {
    return !isLocked();
}

void GridController::gridViewDidSelectItemAtIndex(std::size_t) {
    // A selection only selects: a click during a show must never play the
    // cue it lands on a second time.
    _delegate.selectionChanged();
}

void GridController::gridViewDroppedFiles(const std::vector<std::string>& paths, std::size_t index,
                                          bool withDefaultTriggers) {
    if (paths.empty() || _import || index >= slotCount()) {
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

void GridController::importForeignMedia() {
    Workspace& workspace = _delegate.workspace();
    std::vector<std::string> paths;
    for (const auto& [index, cue] : _cart->cues()) {
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
                        for (const auto& [index, cue] : _cart->cues()) {
                            if (cue->file() == original) {
                                cue->updateFile(copy);
                            }
                        }
                        return true;
                    },
                    nullptr},
                MediaImport::OnRefusal::GoOn);
}

void GridController::startImport(std::vector<std::string> paths, MediaImport::Steps steps,
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

bool GridController::placeImportedFile(const std::string& copy, std::size_t& slot,
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
    UndoManager& undo = undoManager();
    // Each file is one undo step of its own.
    undo.beginUndoGrouping();
    const bool wasSelected = _gridView && _gridView->selectedIndex() == slot;
    if (auto old = _cart->cueAtIndex(slot)) {
        cue->setHotkey(old->hotkey());
        cue->setMidiTrigger(old->midiTrigger());
        cue->setColor(old->color());
        removeCueAtIndex(slot);
    } else if (withDefaultTriggers) {
        cue->setHotkey(_cart->defaultHotkeyForIndex(slot));
        cue->setMidiNote(static_cast<int>(slot));
    }
    addCue(std::move(cue), slot);
    undo.endUndoGrouping();
    if (wasSelected) {
        select(slot);
    }
    slot = findEmptyCellAtIndex(slot);
    return true;
}

void GridController::finishImport(const MediaImport::Outcome& outcome) {
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
    prompts().beginSheet(
        _gridView ? _gridView->window() : nullptr,
        {names.size() == 1 ? QStringLiteral("The file could not be imported.")
                           : QStringLiteral("%1 files could not be imported.").arg(names.size()),
         QStringLiteral("%1 Not added: %2")
             .arg(QString::fromStdString(outcome.reason), names.join(QStringLiteral(", "))),
         {QStringLiteral("OK")}},
        nullptr);
}

std::string GridController::defaultHotkeyForIndex(std::size_t index) const {
    return _cart->defaultHotkeyForIndex(index);
}

void GridController::gridViewPlayingCountChanged(int playing) {
    _delegate.cartPlayingChanged(*this, playing);
}

void GridController::gridViewCueBrokenChanged() {
    // Even during a show: the count must tell what the grid shows.
    _delegate.brokenCueController().reloadData();
}
