#include "window/workspace/WorkspaceInspectorPane.h"

#include "KivUI/controls/VornSplitView.h"
#include "window/grid/GridController.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"
#include "window/warnings/BrokenCueController.h"
#include "window/warnings/BrokenCueView.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <QLayout>

#include <algorithm>

WorkspaceInspectorPane::WorkspaceInspectorPane(WorkspaceController& controller)
    : _controller(controller) {}

void WorkspaceInspectorPane::makeInspector() {
    QWidget* pane = _controller.window()->inspectorPane();
    _inspector = new InspectorController(_controller, pane);
    auto* warnings = new BrokenCueView();
    _inspector->setBrokenCueView(warnings);
    _controller.brokenCueController().attachView(warnings);
    pane->layout()->addWidget(_inspector);
    _inspectorVisible = true;
    _heightOfInspector = PondraWindow::kInspectorHeight;
}

InspectorController* WorkspaceInspectorPane::inspectorController() const {
    return _inspector;
}

void WorkspaceInspectorPane::toggleBrokenCueView() {
    if (_inspector) {
        _inspector->toggleBrokenCueView();
    }
}

void WorkspaceInspectorPane::updateInspectorCue() {
    if (!_inspector) {
        return;
    }
    GridController* grid = _controller.selectedController();
    _inspector->setCue(grid && !_controller.isLocked() ? grid->selectedCue() : nullptr);
}

void WorkspaceInspectorPane::showInspector() {
    if (_inspectorVisible) {
        return;
    }
    PondraWindow& window = *_controller.window();
    window.inspectorPane()->show();
    VornSplitView* split = window.splitView();
    const int total = split->height() - split->handleWidth();
    split->setSizes({std::max(total - _heightOfInspector, 0), _heightOfInspector});
    _inspectorVisible = true;
    updateInspectorCue();
}

void WorkspaceInspectorPane::toggleInspector() {
    if (_controller.isLocked()) {
        return;
    }
    // Over the warnings list the command brings the cue inspector back, even
    // once the list is empty and its button gone.
    if (_inspectorVisible && _inspector && _inspector->brokenCueViewIsVisible()) {
        _inspector->toggleBrokenCueView();
    } else if (_inspectorVisible) {
        hideInspector();
    } else {
        showInspector();
    }
    _controller.validateMenus();
}

void WorkspaceInspectorPane::inspectorPaneMoved() {
    // The divider dragged to the bottom collapses the pane: it is hidden, as
    // by the command, and the command shows it again.
    if (_inspectorVisible && _controller.window()->splitView()->sizes().value(1) == 0) {
        hideInspector();
    }
}

void WorkspaceInspectorPane::hideInspector() {
    if (!_inspectorVisible) {
        return;
    }
    if (_inspector) {
        _inspector->cueInspectorController().setCaptureMIDI(false);
    }
    QWidget* pane = _controller.window()->inspectorPane();
    if (pane->height() > 0) {
        _heightOfInspector = pane->height();
    }
    pane->hide();
    _inspectorVisible = false;
}
