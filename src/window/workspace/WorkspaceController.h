#pragma once

#include "foundation/Signal.h"
#include "window/grid/CellPictureBudget.h"
#include "window/grid/GridControllerDelegate.h"
#include "window/inspector/InspectorDelegate.h"
#include "window/sheets/SettingsController.h"
#include "window/workspace/WorkspaceDocumentCommands.h"
#include "window/workspace/WorkspaceInspectorPane.h"
#include "window/workspace/WorkspaceTransport.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class AudioCue;
class BrokenCueController;
class Cart;
class CartTabs;
class DocumentActions;
class HelpActions;
class GridController;
class ImportProgressSheet;
class InspectorController;
class KivPasteboard;
class KivPrompts;
class LogController;
class PondraWindow;
class SettingsSheet;
class SafetyConcern;
class UndoManager;
class Workspace;
class WorkspaceEditCommands;
class WorkspaceKeyRouter;
class WorkspaceOutputController;
struct AudioOutput;
class WorkspaceTabCommands;

// The window controller of one workspace: owns its window and one grid
// controller per cart, switches edit and show mode, carries out the
// transport, drives the master volume and the meters, shows the inspector
// and validates the menus. The output pop-up, the edit commands, the keys
// and MIDI, the cart tabs and the document commands each have a part of
// their own, which it makes and coordinates. GUI thread only.
class WorkspaceController final : public QObject,
                                  public GridControllerDelegate,
                                  public InspectorDelegate {
public:
    // The documents may be null (a window on its own, in tests).
    WorkspaceController(std::shared_ptr<Workspace> workspace, KivPrompts& prompts,
                        KivPasteboard& pasteboard, DocumentActions* documents);
    ~WorkspaceController() override;

    // The cart's grid controller and its tab at the end of the row; a cart
    // without a name is named "Cart <n>" after the tabs made so far.
    GridController& addControllerForCart(std::shared_ptr<Cart> cart);
    // The window's set-up once every cart has its controller; shows it.
    void showWindow();

    PondraWindow* window() const { return _window.get(); }
    // The pane below the grid; made anew with the window.
    InspectorController* inspectorController() const {
        return _inspectorPane->inspectorController();
    }
    Workspace& workspace() const override { return *_workspace; }
    const std::shared_ptr<Workspace>& sharedWorkspace() const { return _workspace; }
    SettingsController& settings() { return _settings; }
    KivPrompts& prompts() const override { return _prompts; }
    KivPasteboard& pasteboard() const { return _pasteboard; }
    // Null for a window on its own.
    DocumentActions* documents() const { return _documents; }
    UndoManager& undoManager() const override;
    ImportProgressSheet& importProgress() const override;
    bool isLocked() const override;
    bool inEditMode() const;
    bool inShowMode() const override;
    bool isFollowingDucking() const { return _transport->isFollowingDucking(); }
    GridController* selectedController() const override;
    // The grid controller of the tab at the index in tab order; null when none.
    GridController* controllerAtTab(int index) const;
    // The open tabs' controllers, in the order they were made.
    const std::vector<std::unique_ptr<GridController>>& gridControllers() const {
        return _gridControllers;
    }
    // For the tab commands: a closed tab's controller leaves the open ones,
    // to come back with its tab's undo. Null for one not open.
    std::unique_ptr<GridController> releaseGridController(GridController& controller);
    void restoreGridController(std::unique_ptr<GridController> controller);

    // The parts.
    WorkspaceOutputController& output() const { return *_output; }
    // The output pop-up's entries, in its order (the output part's).
    const std::vector<AudioOutput>& outputDevices() const override;
    WorkspaceEditCommands& edits() const { return *_edits; }
    WorkspaceKeyRouter& keys() const { return *_keys; }
    WorkspaceTabCommands& tabCommands() const { return *_tabCommands; }
    WorkspaceTransport& transport() const { return *_transport; }
    WorkspaceInspectorPane& inspectorPane() const { return *_inspectorPane; }
    // Every safety concern of every cart, cart by cart.
    std::vector<SafetyConcern> brokenOrFlaggedCues() const;
    // The warnings button, its popover and lists.
    BrokenCueController& brokenCueController() const override { return *_brokenCues; }
    // Shows the cue's cart and selects the cue in it.
    void selectCue(const AudioCue& cue);

    // Mode. From the user, show mode runs the safety check first when the
    // settings ask for it, and enters show mode in any case.
    // toggleMode goes to edit mode from show mode, else to show mode.
    void toggleMode();
    void setShowMode();
    void setEditMode() override;
    void performSafetyChecksAndLock();

    // The inspector pane below the grid (the pane's part).
    bool inspectorVisible() const override { return _inspectorPane->inspectorVisible(); }
    // The warnings list in the inspector, shown or hidden (the warning button).
    void toggleBrokenCueView() { _inspectorPane->toggleBrokenCueView(); }
    void showInspector() override { _inspectorPane->showInspector(); }
    void hideInspector() { _inspectorPane->hideInspector(); }
    void toggleInspector() { _inspectorPane->toggleInspector(); }
    void makeCartFirstResponder() override;

    // Transport and the master volume (the transport's part).
    void togglePause() { _transport->togglePause(); }
    void pauseAll() { _transport->pauseAll(); }
    void resumeAll() { _transport->resumeAll(); }
    void stopAll() { _transport->stopAll(); }
    void hardStopAll() { _transport->hardStopAll(); }
    void panicAll() { _transport->panicAll(); }
    // The panic of every open workspace (Escape).
    void cancel() override;
    void toggleDucking() { _transport->toggleDucking(); }
    void changeVolume(int sliderValue) { _transport->changeVolume(sliderValue); }
    void previewVolume(int sliderValue) { _transport->previewVolume(sliderValue); }
    void setVolumeMax() { _transport->setVolumeMax(); }
    void setVolumeMin() { _transport->setVolumeMin(); }
    void updatePauseButton() { _transport->updatePauseButton(); }
    void updateAudioLevels() { _transport->updateAudioLevels(); }
    void updateDuckingButton() { _transport->updateDuckingButton(); }

    // The tab at the index is shown.
    void selectTab(int index);

    // Sheets, each only in edit mode.
    void editWorkspaceSettings();
    void changeGrid();
    void renameCart();
    // Made on first use.
    SettingsSheet* settingsSheet() const;

    // Documents (the document commands' part).
    void newDocument() { _documentCommands->newDocument(); }
    void openDocument() { _documentCommands->openDocument(); }
    void saveDocument() { _documentCommands->saveDocument(); }
    void saveDocumentAs() { _documentCommands->saveDocumentAs(); }
    void revertDocument() { _documentCommands->revertDocument(); }
    void closeWindow() { _documentCommands->closeWindow(); }
    void quit() { _documentCommands->quit(); }
    void showPreferences() { _documentCommands->showPreferences(); }
    // The play-log window, made on first use, on the workspace's current logger.
    void showLog();
    // The application's Help menu commands; null without an application.
    HelpActions* helpActions() const { return _documentCommands->helpActions(); }
    LogController* logWindow() const { return _logWindow.get(); }
    // Asked by the window's close request.
    bool windowShouldClose() { return _documentCommands->windowShouldClose(); }
    // Rebuilds the grids from the carts (after a revert).
    void reloadCarts();

    void validateMenus();
    void updateWindowTitle();
    // From the grid controllers.
    void selectionChanged() override;
    void cartRenamed(GridController& controller, const std::string& name) override;
    // The budget of the window's cells' pictures.
    CellPictureBudget& cellPictures() override { return _cellPictures; }
    // The cart's tab shows how many of its cues sound.
    void cartPlayingChanged(GridController& controller, int playing) override;

private:
    // Ties a new window's tabs, warnings button, save sheet and inspector to
    // this controller.
    void wireWindow();
    void enterShowMode();
    void tabSelected();

    std::shared_ptr<Workspace> _workspace;
    KivPrompts& _prompts;
    KivPasteboard& _pasteboard;
    DocumentActions* _documents;
    SettingsController _settings;
    // Before the window: its grids tell it when they go.
    CellPictureBudget _cellPictures;
    // In the order they were made; the tabs keep their own order.
    std::vector<std::unique_ptr<GridController>> _gridControllers;
    std::unique_ptr<WorkspaceOutputController> _output;
    std::unique_ptr<WorkspaceEditCommands> _edits;
    std::unique_ptr<WorkspaceKeyRouter> _keys;
    std::unique_ptr<WorkspaceTabCommands> _tabCommands;
    std::unique_ptr<WorkspaceTransport> _transport;
    std::unique_ptr<WorkspaceInspectorPane> _inspectorPane;
    std::unique_ptr<WorkspaceDocumentCommands> _documentCommands;
    Connection _checkpointObservation;
    Connection _saveObservation;
    Connection _pasteboardObservation;
    // Last: the window and the grid views in it go before the controllers.
    std::unique_ptr<PondraWindow> _window;
    // A child of the window, which deletes it.
    QPointer<SettingsSheet> _settingsSheet;
    std::unique_ptr<LogController> _logWindow;
    std::unique_ptr<BrokenCueController> _brokenCues;
};
