#pragma once

#include <memory>

class AudioCue;
class CueCellView;
class QMenu;
class QPoint;

// A cell's editing actions: the loop, hold, solo and ducking toggles with
// undo, and the import into and export from the cell, offered in the cell's
// context menu in edit mode. GUI thread.
class CueCellController {
public:
    explicit CueCellController(CueCellView& view);

    // Each toggle is one undo step named "Looping", "Hold", "Solo" or
    // "Ducking"; its undo toggles back.
    void toggleLoop();
    void toggleHold();
    void toggleSolo();
    void toggleDucking();

    // A save panel for the cue's media; the copy is written beside the
    // chosen file and renamed over it, so a failure leaves any old file
    // there as it was and shows an alert.
    void exportFile();
    // An open panel; the chosen files go into this cell once it has closed,
    // without default triggers.
    void importFile();

    // The menu of the cell: the cue's, or the empty cell's.
    void showContextMenu(const QPoint& globalPosition);
    std::unique_ptr<QMenu> makeContextMenu();

private:
    template <typename Get, typename Set>
    void toggle(const char* actionName, Get get, Set set);

    CueCellView& _view;
};
