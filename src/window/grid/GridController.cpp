#include "window/grid/GridController.h"

#include "KivUI/services/KivPrompts.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/SyncedBatch.h"
#include "model/Workspace.h"
#include "window/grid/CueCellView.h"
#include "window/grid/GridView.h"
#include "window/warnings/BrokenCueController.h"

namespace {

constexpr std::size_t kNone = CartGrid::kNotFound;

} // namespace

GridController::GridController(std::shared_ptr<Cart> cart, GridControllerDelegate& delegate)
    : _cart(std::move(cart))
    , _delegate(delegate)
    , _gridView(new GridView)
    , _imports(std::make_unique<GridImports>(*this, delegate)) {
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
    _imports.reset();
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
    _imports->dropCue(std::move(cue), index);
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
    _imports->dropFiles(paths, index, withDefaultTriggers);
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
