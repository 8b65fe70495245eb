#pragma once

#include <QPointer>

class InspectorController;
class WorkspaceController;

// The inspector pane below a workspace window's grid: makes the inspector
// in each new window, with the warnings list in it; shows and hides the
// pane, keeping its height for the next showing, and takes a pane dragged
// shut as hidden; tells the inspector the selected grid's selected cue.
// GUI thread only.
class WorkspaceInspectorPane {
public:
    explicit WorkspaceInspectorPane(WorkspaceController& controller);
    WorkspaceInspectorPane(const WorkspaceInspectorPane&) = delete;
    WorkspaceInspectorPane& operator=(const WorkspaceInspectorPane&) = delete;

    // Into the window's pane, shown.
    void makeInspector();
    // Null before the first window.
    InspectorController* inspectorController() const;
    bool inspectorVisible() const { return _inspectorVisible; }
    void toggleBrokenCueView();
    void showInspector();
    // Disarms MIDI learn and keeps the pane's height for the next showing.
    void hideInspector();
    // Hides a shown pane, shows a hidden one; over the warnings list it
    // brings the cue inspector back instead. Only in edit mode.
    void toggleInspector();
    // The divider was dragged: a pane dragged shut counts as hidden.
    void inspectorPaneMoved();
    // The inspector shows the selected grid's selected cue; none in show mode.
    void updateInspectorCue();

private:
    WorkspaceController& _controller;
    // Owned by the window's inspector pane.
    QPointer<InspectorController> _inspector;
    bool _inspectorVisible = true;
    int _heightOfInspector = 0;
};
