#pragma once

#include "foundation/Signal.h"
#include "platform/midi/MidiMessage.h"
#include "window/grid/GridControllerDelegate.h"
#include "window/grid/GridImports.h"
#include "window/grid/GridView.h"
#include "window/grid/GridViewDelegate.h"

#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class Cart;
class UndoManager;

// Binds one cart to its grid view: selections, drops, moves, copies,
// pastes, deletions and file imports become changes of the cart with undo;
// hot keys and MIDI messages become cue triggers. The imports of media have
// a part of their own. GUI thread.
class GridController final : public GridViewDelegate {
public:
    GridController(std::shared_ptr<Cart> cart, GridControllerDelegate& delegate);
    ~GridController() override;
    GridController(const GridController&) = delete;
    GridController& operator=(const GridController&) = delete;

    const std::shared_ptr<Cart>& cart() const { return _cart; }
    // Made here; the window's tab holds it.
    GridView* gridView() const { return _gridView; }
    std::size_t slotCount() const;
    std::shared_ptr<AudioCue> selectedCue() const;
    void selectCue(const AudioCue& cue);

    void lockCart();
    void unlockCart();

    // With undo ("Add Cue", "Delete Cue").
    void addCue(std::shared_ptr<AudioCue> cue, std::size_t index);
    // An empty slot changes nothing and makes no undo step.
    void removeCueAtIndex(std::size_t index);
    // Into the first empty slot from the selection on, once its media are
    // checked and, unless the workspace holds them already, copied; an alert
    // when full, a beep while another import runs.
    void handlePasteCue(std::shared_ptr<AudioCue> cue) { _imports->handlePasteCue(std::move(cue)); }
    // The slot itself when empty, else the next empty one, wrapping;
    // CartGrid::kNotFound when every slot is taken.
    std::size_t findEmptyCellAtIndex(std::size_t index) const;

    void moveUp();
    void moveDown();
    void moveLeft();
    void moveRight();
    std::size_t indexAboveIndex(std::size_t index) const;
    std::size_t indexBelowIndex(std::size_t index) const;
    std::size_t indexLeftOfIndex(std::size_t index) const;
    std::size_t indexRightOfIndex(std::size_t index) const;

    // Inside the window's synchronised batch: show mode presses and releases
    // the cells, edit mode hands the batch to the cart.
    void processMIDIMessages(const MidiBatch& messages);
    std::vector<std::string> validShortcuts() const;
    // Each in a synchronised batch of its own.
    void triggerCueDownWithShortcut(const std::string& shortcut);
    void triggerCueUpWithShortcut(const std::string& shortcut);

    // The cues' media that lie outside this workspace are copied into its
    // temporary folder and the cues re-pointed to the copies, as for an
    // import: a cart from another window keeps its sounds once that window's
    // workspace has gone.
    void importForeignMedia() { _imports->importForeignMedia(); }
    // The file import under way, if any.
    MediaImport* currentImport() const { return _imports->currentImport(); }

    // GridViewDelegate.
    CartSize sizeOfGridView() const override;
    std::shared_ptr<AudioCue> cueForIndex(std::size_t index) const override;
    bool isLocked() const override;
    void gridViewDidDropCue(std::shared_ptr<AudioCue> cue, std::size_t index) override;
    void gridViewDidMoveCue(std::size_t from, std::size_t to) override;
    void gridViewDidCopyCue(std::size_t from, std::size_t to) override;
    bool gridViewShouldSelectItemAtIndex(std::size_t index) const override;
    void gridViewDidSelectItemAtIndex(std::size_t index) override;
    void gridViewDroppedFiles(const std::vector<std::string>& paths, std::size_t index,
                              bool withDefaultTriggers) override;
    std::string defaultHotkeyForIndex(std::size_t index) const override;
    void gridViewCueBrokenChanged() override;
    void gridViewPlayingCountChanged(int playing) override;
    UndoManager& undoManager() const override;
    KivPrompts& prompts() const override;

    // Rebuilds the cells from the cart.
    void reloadData();

private:
    void select(std::size_t index);

    std::shared_ptr<Cart> _cart;
    GridControllerDelegate& _delegate;
    QPointer<GridView> _gridView;
    std::unique_ptr<GridImports> _imports;
    Connection _sizeObservation;
    Connection _nameObservation;
};
