#include "window/GridController.h"

#include "KivUI/KivPrompts.h"
#include "audio/KivAudioFile.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/alias/KivAlias.h"
#include "window/CueCellView.h"
#include "window/GridView.h"
#include "window/ImportProgressSheet.h"
#include "window/MediaImport.h"
#include "window/PondraWindow.h"
#include "window/SyncedBatch.h"
#include "window/WorkspaceController.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr std::size_t kNone = CartGrid::kNotFound;

// A file the import can take: an audio file that opens.
bool isImportable(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    auto alias = KivAlias::aliasWithPath(path.toStdString());
    return alias && KivAudioFile(alias).validFile();
}

} // namespace

GridController::GridController(std::shared_ptr<Cart> cart, WorkspaceController& workspaceController)
    : _cart(std::move(cart))
    , _workspaceController(workspaceController)
    , _gridView(new GridView) {
    _gridView->setDelegate(this);
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
            _workspaceController.cartRenamed(*this, name);
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
    return _workspaceController.undoManager();
}

KivPrompts& GridController::prompts() const {
    return _workspaceController.prompts();
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
    Workspace& workspace = _workspaceController.workspace();
    if (!workspace.containsMediaFile(cue->file())) {
        if (const auto copy = workspace.copyFileIntoTmp(cue->file())) {
            cue->updateFile(*copy);
        }
    }
    cue->setAudioDevice(workspace.audioDevice());
    const std::size_t selected = _gridView ? _gridView->selectedIndex() : kNone;
    const std::size_t target = findEmptyCellAtIndex(selected == kNone ? 0 : selected);
    if (target == kNone) {
        prompts().runAlert(
            {QStringLiteral("No empty slot to paste a cue into."),
             QStringLiteral("Please increase the size of your grid or remove a cue."),
             {QStringLiteral("OK")}});
        return;
    }
    addCue(std::move(cue), target);
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
    SyncedBatch batch(_workspaceController.workspace().audioDevice());
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
    SyncedBatch batch(_workspaceController.workspace().audioDevice());
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
    return _workspaceController.isLocked();
}

void GridController::gridViewDidDropCue(std::shared_ptr<AudioCue> cue, std::size_t index) {
    Workspace& workspace = _workspaceController.workspace();
    const auto copy = workspace.copyFileIntoTmp(cue->file());
    if (!copy) {
        return;
    }
    cue->updateFile(*copy);
    cue->setAudioDevice(workspace.audioDevice());
    // The occupant goes first, with its own undo, so one undo brings it back.
    removeCueAtIndex(index);
    addCue(std::move(cue), index);
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
    _workspaceController.selectionChanged();
}

void GridController::gridViewDroppedFiles(const QStringList& paths, std::size_t index,
                                          bool withDefaultTriggers) {
    if (paths.isEmpty() || _import || index >= slotCount()) {
        return;
    }
    // In the order given, up to the first file that cannot be read: that one
    // and every file after it are left out, and one alert names them.
    const auto unreadable = std::find_if(paths.begin(), paths.end(),
                                         [](const QString& path) { return !isImportable(path); });
    if (unreadable != paths.end()) {
        QStringList left;
        for (auto path = unreadable; path != paths.end(); ++path) {
            left << QFileInfo(*path).fileName();
        }
        prompts().runAlert(
            {QStringLiteral("\u201C%1\u201D could not be imported.").arg(left.front()),
             QStringLiteral("Only audio files that can be read can be added to the grid; the "
                            "import stopped at this file. Not added: %1")
                 .arg(left.join(QStringLiteral(", "))),
             {QStringLiteral("OK")}});
    }
    const QStringList importable(paths.begin(), unreadable);
    if (importable.isEmpty()) {
        return;
    }
    ImportProgressSheet& sheet = _workspaceController.importProgress();
    sheet.begin(QStringLiteral("Importing media"), static_cast<int>(importable.size()));
    Workspace& workspace = _workspaceController.workspace();
    auto slot = std::make_shared<std::size_t>(index);
    _import = std::make_unique<MediaImport>(
        importable,
        MediaImport::Steps{
            [&workspace](const std::string& path) { return workspace.copyFileIntoTmp(path); },
            [this, slot, withDefaultTriggers](const std::string& copy) {
                const bool more = placeImportedFile(copy, *slot, withDefaultTriggers);
                _workspaceController.importProgress().setDone(_import->placed());
                return more;
            },
            [this] { finishImport(); }});
    sheet.onCancel = [this] {
        if (_import) {
            _import->cancel();
        }
    };
    _import->start();
}

void GridController::importForeignMedia() {
    Workspace& workspace = _workspaceController.workspace();
    QStringList paths;
    for (const auto& [index, cue] : _cart->cues()) {
        const QString file = QString::fromStdString(cue->file());
        if (!file.isEmpty() && !workspace.containsMediaFile(cue->file()) && !paths.contains(file)) {
            paths << file;
        }
    }
    if (paths.isEmpty() || _import) {
        return;
    }
    ImportProgressSheet& sheet = _workspaceController.importProgress();
    sheet.begin(QStringLiteral("Importing media"), static_cast<int>(paths.size()));
    _import = std::make_unique<MediaImport>(
        paths,
        MediaImport::Steps{
            [&workspace](const std::string& path) { return workspace.copyFileIntoTmp(path); },
            [this, paths](const std::string& copy) {
                // Copies arrive in the order of the paths.
                const std::string original = paths.at(_import->placed() - 1).toStdString();
                for (const auto& [index, cue] : _cart->cues()) {
                    if (cue->file() == original) {
                        cue->updateFile(copy);
                    }
                }
                _workspaceController.importProgress().setDone(_import->placed());
                return true;
            },
            [this] { finishImport(); }});
    sheet.onCancel = [this] {
        if (_import) {
            _import->cancel();
        }
    };
    _import->start();
}

bool GridController::placeImportedFile(const std::string& copy, std::size_t& slot,
                                       bool withDefaultTriggers) {
    Workspace& workspace = _workspaceController.workspace();
    auto cue = AudioCue::initWithFile(copy, workspace.audioDevice());
    if (!cue) {
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
    return slot != kNone;
}

void GridController::finishImport() {
    _workspaceController.importProgress().end();
    _workspaceController.importProgress().onCancel = nullptr;
    // The import object is the caller: it goes once it has returned.
    _import.release()->deleteLater();
}

std::string GridController::defaultHotkeyForIndex(std::size_t index) const {
    return _cart->defaultHotkeyForIndex(index);
}
