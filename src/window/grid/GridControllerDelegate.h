#pragma once

#include <string>

class BrokenCueController;
class CellPictureBudget;
class GridController;
class ImportProgressSheet;
class KivPrompts;
class UndoManager;
class Workspace;

// What a cart's grid controller needs of the window its grid is in: the
// workspace and its undo, the window's prompts, import sheet, warnings and
// picture budget, and whom to tell of a new selection, name or count of
// playing cues. GUI thread.
class GridControllerDelegate {
public:
    virtual ~GridControllerDelegate() = default;

    virtual Workspace& workspace() const = 0;
    virtual UndoManager& undoManager() const = 0;
    virtual KivPrompts& prompts() const = 0;
    // Show mode.
    virtual bool isLocked() const = 0;
    virtual CellPictureBudget& cellPictures() = 0;
    virtual ImportProgressSheet& importProgress() const = 0;
    virtual BrokenCueController& brokenCueController() const = 0;
    virtual void selectionChanged() = 0;
    virtual void cartRenamed(GridController& controller, const std::string& name) = 0;
    virtual void cartPlayingChanged(GridController& controller, int playing) = 0;
};
