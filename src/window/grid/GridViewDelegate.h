#pragma once

#include "model/CartGrid.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class AudioCue;
class KivPrompts;
class UndoManager;

// What a grid view asks of the controller behind it: the cart's size and
// cues, and what selections, drops, moves and copies do. Slot indexes count
// row by row from the top left. GUI thread.
class GridViewDelegate {
public:
    virtual ~GridViewDelegate() = default;
    virtual CartSize sizeOfGridView() const = 0;
    virtual std::shared_ptr<AudioCue> cueForIndex(std::size_t index) const = 0;
    // Show mode.
    virtual bool isLocked() const = 0;
    virtual void gridViewDidDropCue(std::shared_ptr<AudioCue> cue, std::size_t index) = 0;
    virtual void gridViewDidMoveCue(std::size_t from, std::size_t to) = 0;
    virtual void gridViewDidCopyCue(std::size_t from, std::size_t to) = 0;
    virtual bool gridViewShouldSelectItemAtIndex(std::size_t index) const = 0;
    virtual void gridViewDidSelectItemAtIndex(std::size_t index) = 0;
    // Files dropped on (defaults true) or imported into a slot; file system
    // paths, as bytes, for a name need not be UTF-8.
    virtual void gridViewDroppedFiles(const std::vector<std::string>& paths, std::size_t index,
                                      bool withDefaultTriggers) = 0;
    virtual std::string defaultHotkeyForIndex(std::size_t index) const = 0;
    // A cue of the grid became broken or was mended.
    virtual void gridViewCueBrokenChanged() = 0;
    // How many of the grid's cues sound (play or fade out) changed.
    virtual void gridViewPlayingCountChanged(int playing) = 0;
    // The document's, for the cells' edits.
    virtual UndoManager& undoManager() const = 0;
    virtual KivPrompts& prompts() const = 0;
};
