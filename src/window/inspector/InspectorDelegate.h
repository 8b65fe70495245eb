#pragma once

#include <vector>

class BrokenCueController;
class GridController;
class UndoManager;
struct AudioOutput;

// What the inspector pane needs of the window it sits in: the undo, the
// output pop-up's entries, the warnings, the selected grid, the mode and
// the pane's showing. GUI thread.
class InspectorDelegate {
public:
    virtual ~InspectorDelegate() = default;

    virtual UndoManager& undoManager() const = 0;
    // In the output pop-up's order.
    virtual const std::vector<AudioOutput>& outputDevices() const = 0;
    virtual BrokenCueController& brokenCueController() const = 0;
    // Null when no tab is selected.
    virtual GridController* selectedController() const = 0;
    // The panic of every open workspace (Escape).
    virtual void cancel() = 0;
    virtual bool inShowMode() const = 0;
    virtual void setEditMode() = 0;
    virtual bool inspectorVisible() const = 0;
    virtual void showInspector() = 0;
    virtual void makeCartFirstResponder() = 0;
};
