#pragma once

#include "foundation/Scheduler.h"
#include "foundation/Signal.h"
#include "window/grid/CellPictureBudget.h"
#include "window/sheets/SettingsController.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
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
// and MIDI, and the cart tabs each have a part of their own, which it makes
// and coordinates. GUI thread only.
class WorkspaceController final : public QObject {
public:
    static constexpr double kLevelInterval = 0.05;
    static constexpr double kDuckingFollowTime = 1.0;

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
    InspectorController* inspectorController() const;
    Workspace& workspace() const { return *_workspace; }
    const std::shared_ptr<Workspace>& sharedWorkspace() const { return _workspace; }
    SettingsController& settings() { return _settings; }
    KivPrompts& prompts() const { return _prompts; }
    KivPasteboard& pasteboard() const { return _pasteboard; }
    // Null for a window on its own.
    DocumentActions* documents() const { return _documents; }
    UndoManager& undoManager() const;
    ImportProgressSheet& importProgress() const;
    bool isLocked() const;
    bool inEditMode() const;
    bool inShowMode() const;
    bool isFollowingDucking() const { return _duckingTimer.has_value(); }
    GridController* selectedController() const;
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
    const std::vector<AudioOutput>& outputDevices() const;
    WorkspaceEditCommands& edits() const { return *_edits; }
    WorkspaceKeyRouter& keys() const { return *_keys; }
    WorkspaceTabCommands& tabCommands() const { return *_tabCommands; }
    // Every safety concern of every cart, cart by cart.
    std::vector<SafetyConcern> brokenOrFlaggedCues() const;
    // The warnings button, its popover and lists.
    BrokenCueController& brokenCueController() const { return *_brokenCues; }
    // Shows the cue's cart and selects the cue in it.
    void selectCue(const AudioCue& cue);

    // Mode. From the user, show mode runs the safety check first when the
    // settings ask for it, and enters show mode in any case.
    // toggleMode goes to edit mode from show mode, else to show mode.
    void toggleMode();
    void setShowMode();
    void setEditMode();
    void performSafetyChecksAndLock();

    // The inspector pane below the grid.
    bool inspectorVisible() const { return _inspectorVisible; }
    // The warnings list in the inspector, shown or hidden (the warning button).
    void toggleBrokenCueView();
    void showInspector();
    // Disarms MIDI learn and keeps the pane's height for the next showing.
    void hideInspector();
    // Hides a shown pane, shows a hidden one; over the warnings list it
    // brings the cue inspector back instead. Only in edit mode.
    void toggleInspector();
    void makeCartFirstResponder();

    // Transport.
    void togglePause();
    void pauseAll();
    void resumeAll();
    void stopAll();
    void hardStopAll();
    void panicAll();
    // The panic of every open workspace (Escape).
    void cancel();
    void toggleDucking();
    // The slider's 0..1000 as 0.0..1.0.
    void changeVolume(int sliderValue);
    // While the slider is dragged: the device only, no edit yet.
    void previewVolume(int sliderValue);
    void setVolumeMax();
    void setVolumeMin();
    void updatePauseButton();
    // The level-meter timer's tick: the meter shows the device's pair.
    void updateAudioLevels();
    void updateDuckingButton();

    // The tab at the index is shown.
    void selectTab(int index);

    // Sheets, each only in edit mode.
    void editWorkspaceSettings();
    void changeGrid();
    void renameCart();
    // Made on first use.
    SettingsSheet* settingsSheet() const;

    // Documents.
    void newDocument();
    void openDocument();
    void saveDocument();
    void saveDocumentAs();
    void revertDocument();
    void closeWindow();
    void quit();
    void showPreferences();
    // The play-log window, made on first use, on the workspace's current logger.
    void showLog();
    // The application's Help menu commands; null without an application.
    HelpActions* helpActions() const;
    LogController* logWindow() const { return _logWindow.get(); }
    // Asked by the window's close request.
    bool windowShouldClose();
    // Rebuilds the grids from the carts (after a revert).
    void reloadCarts();

    void validateMenus();
    void updateWindowTitle();
    // From the grid controllers.
    void selectionChanged();
    void cartRenamed(GridController& controller, const std::string& name);
    // The budget of the window's cells' pictures.
    CellPictureBudget& cellPictures() { return _cellPictures; }
    // The cart's tab shows how many of its cues sound.
    void cartPlayingChanged(GridController& controller, int playing);

private:
    // Ties a new window's tabs, warnings button, save sheet and inspector to
    // this controller.
    void wireWindow();
    void makeInspector();
    // The divider was dragged: a pane dragged shut counts as hidden.
    void inspectorPaneMoved();
    // The inspector shows the selected grid's selected cue; none in show mode.
    void updateInspectorCue();
    void enterShowMode();
    void tabSelected();
    void followDucking();
    // The master slider shows the workspace's volume: after an undo or redo,
    // and while a duck fades.
    void updateVolumeSlider();
    void stopDuckingTimer();

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
    // On the main run loop, so the slider follows the fade's own clock.
    std::optional<Scheduler::TimerId> _duckingTimer;
    std::optional<Scheduler::TimerId> _levelTimer;
    double _duckingStart = 0;
    bool _inspectorVisible = true;
    int _heightOfInspector = 0;
    Connection _checkpointObservation;
    Connection _saveObservation;
    Connection _pasteboardObservation;
    // Last: the window and the grid views in it go before the controllers.
    std::unique_ptr<PondraWindow> _window;
    // A child of the window, which deletes it.
    QPointer<SettingsSheet> _settingsSheet;
    // Owned by the window's inspector pane.
    QPointer<InspectorController> _inspector;
    std::unique_ptr<LogController> _logWindow;
    std::unique_ptr<BrokenCueController> _brokenCues;
};
