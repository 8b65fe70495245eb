#pragma once

#include "foundation/Scheduler.h"
#include "foundation/Signal.h"
#include "platform/midi/MidiMessage.h"
#include "window/OutputOpener.h"
#include "window/SettingsController.h"

#include <QObject>
#include <QPointer>

#include <map>
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
class KivAudioDevice;
class KivPrompts;
class LogController;
class PondraWindow;
class SettingsSheet;
class QKeyEvent;
class QWidget;
class SafetyConcern;
class UndoManager;
class Workspace;
struct KivKeyEvent;

// The window controller of one workspace: owns its window and one grid
// controller per cart, switches edit and show mode, carries out the
// transport, drives the master volume and the output pop-up, routes keys
// and MIDI batches to the grids and validates the menus. GUI thread only:
// MIDI batches and device-list changes reach it there.
class WorkspaceController final : public QObject {
public:
    // One entry of the output pop-up: a device and the first channel of the
    // pair, counted from 1.
    struct Output {
        std::shared_ptr<KivAudioDevice> device;
        int channel = 1;
    };
    static constexpr double kLevelInterval = 0.05;
    static constexpr double kDuckingFollowTime = 1.0;

    // The documents may be null (a window on its own, in tests).
    WorkspaceController(std::shared_ptr<Workspace> workspace, KivPrompts& prompts,
                        DocumentActions* documents);
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
    UndoManager& undoManager() const;
    ImportProgressSheet& importProgress() const;
    bool isLocked() const;
    bool inEditMode() const;
    bool inShowMode() const;
    bool isFollowingDucking() const { return _duckingTimer.has_value(); }
    GridController* selectedController() const;
    // The grid controller of the tab at the index in tab order; null when none.
    GridController* controllerAtTab(int index) const;
    const std::vector<std::unique_ptr<GridController>>& gridControllers() const {
        return _gridControllers;
    }
    const std::vector<Output>& outputDevices() const { return _outputDevices; }
    // Every safety concern of every cart, cart by cart.
    std::vector<SafetyConcern> brokenOrFlaggedCues() const;
    // The warnings button, its popover and lists.
    BrokenCueController& brokenCueController() const { return *_brokenCues; }
    // Shows the cue's cart and selects the cue in it.
    void selectCue(const AudioCue& cue);

    // Mode. From the user, show mode runs the safety check first when the
    // settings ask for it, and enters show mode in any case.
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
    // The workspace moves to the pop-up's entry once its device has opened,
    // off the GUI thread: a device that hangs holds up nothing else. Another
    // pair of the device in use is taken at once.
    void changeOutputDevice(int index);
    bool isOpeningOutput() const;
    void updateOutputDevices();
    void updatePauseButton();
    // The level-meter timer's tick: the meter shows the device's pair.
    void updateAudioLevels();
    void updateDuckingButton();

    // Editing.
    bool canCopy() const;
    bool canCut() const;
    bool canPaste() const;
    bool canDelete() const;
    void copy();
    void cut();
    void paste();
    void deleteSelected();
    void undo();
    void redo();
    void moveUp();
    void moveDown();
    void moveLeft();
    void moveRight();
    void selectTab(int index);

    // Sheets, each only in edit mode.
    void editWorkspaceSettings();
    void changeGrid();
    void renameCart();
    // Made on first use.
    SettingsSheet* settingsSheet() const;

    // Cart tabs (WorkspaceControllerTabs.cpp). None is added, closed, dragged
    // or dropped while the workspace is locked.
    // A new empty cart in a tab of its own, with undo ("New Tab").
    void newTab();
    // The selected tab, after shouldCloseTab(), with undo ("Close Tab"); the
    // only tab closes the window instead.
    void closeTab();
    // Wrapping round at either end.
    void selectNextTab();
    void selectPreviousTab();
    // The tab bar's questions and reports, asked by the bar and the tab drag.
    // An empty cart closes at once; another only after the user agrees.
    bool shouldCloseTab(int index);
    // The bar has taken the tab showing `page` away: its cart leaves the
    // workspace, with undo. A page of another window is none of this one's.
    void tabDidClose(QWidget* page);
    bool shouldDragTab() const;
    // Into `destination`'s bar; a null destination is a drop outside every
    // window, which tears the tab off.
    bool shouldDropTab(const WorkspaceController* destination) const;
    // The tab showing `page`, a page of this window's, was dropped on the bar
    // of `destination`. On this window's own bar the tabs are already in
    // their new order and the carts follow it. On another window's bar that
    // window gets a copy of the cart in a new tab at `index` among its tabs
    // (-1: at the end), and the tab here closes with undo ("Close Tab")
    // unless the bar has closed it already.
    void didDropTab(QWidget* page, WorkspaceController& destination, int index = -1);
    // The window a torn-off tab goes to: a new workspace without carts.
    WorkspaceController* newWindowForDraggedTab();
    // At the end of a drag that left this window without tabs.
    void closeWindowForLastTab();
    // The tab at the index moves to a new workspace window of its own; a
    // window left without tabs closes.
    void tearOffTab(int index);

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

    // Keys, in this order: the workspace's own keys, cue hot keys, Ctrl+digit
    // for a tab, Delete, arrows. True when consumed.
    bool keyDown(const QKeyEvent& event);
    bool keyUp(const QKeyEvent& event);
    bool keyDownHotkey(const KivKeyEvent& event);
    // One batch from the application's MIDI input, in one synchronised batch
    // of the device.
    void processMIDIMessages(const MidiBatch& messages);

    void validateMenus();
    // From the grid controllers.
    void selectionChanged();
    void cartRenamed(GridController& controller, const std::string& name);

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
    void addTab(GridController& controller);
    CartTabs& tabs() const;
    int tabIndexOf(const GridController& controller) const;
    GridController* controllerForPage(const QWidget* page) const;
    // Takes the controller's tab away and its cart out of the workspace,
    // without asking: the undo of a new tab, a redo of a close, a drop. A
    // controller whose tab is closed already is left alone.
    void closeTabOf(GridController* controller);
    // The cart of a tab already gone stops and leaves the workspace; the
    // controller is kept for the undo, which brings the tab back.
    void removeTabFor(GridController& controller);
    void recreateTabFor(GridController* controller);
    // The tab shown is the controller's; undo closes that very tab.
    void selectNewTab(GridController& controller);
    // A copy of a cart dropped from another window, in a tab at `index`
    // (-1: at the end).
    void addDroppedCart(const Cart& cart, int index);
    // The tabs were put in a new order by the user: the carts follow.
    void tabsDidReorder();
    // The workspace's carts in the tabs' order.
    void orderCartsAsTabs();
    // While any tab drag is on, a row folded for its single tab shows, so
    // that it can take the tab.
    void tabDragDidBegin();
    void tabDragDidEnd();
    void tabSelected();
    void updateWindowTitle();
    void followDucking();
    // The workspace moves to the output once its device is open; `asEdit`
    // makes it an edit with undo ("Change Output").
    void requestOutput(const std::shared_ptr<KivAudioDevice>& device, int channel, bool asEdit);
    // The device (open) and first channel the workspace plays through.
    void useOutput(const std::shared_ptr<KivAudioDevice>& device, int channel, bool asEdit);
    // An undo step back to that output, whose own undo (the redo) comes back here.
    void registerOutputUndo(const std::shared_ptr<KivAudioDevice>& backTo, int channel);
    // The master slider shows the workspace's volume: after an undo or redo,
    // and while a duck fades.
    void updateVolumeSlider();
    void stopDuckingTimer();
    // After the alert of a vanished device: the workspace plays on through
    // the default output device, when there is one to offer.
    void fallBackToDefaultOutput();

    std::shared_ptr<Workspace> _workspace;
    KivPrompts& _prompts;
    DocumentActions* _documents;
    SettingsController _settings;
    // In the order they were made; the tabs keep their own order.
    std::vector<std::unique_ptr<GridController>> _gridControllers;
    // Of closed tabs, for their undo; their views stay hidden in the window.
    std::vector<std::unique_ptr<GridController>> _closedControllers;
    std::vector<Output> _outputDevices;
    OutputOpener _outputOpener;
    // The "Device disappeared" sheet is up.
    bool _deviceAlertShown = false;
    // On the main run loop, so the slider follows the fade's own clock.
    std::optional<Scheduler::TimerId> _duckingTimer;
    std::optional<Scheduler::TimerId> _levelTimer;
    double _duckingStart = 0;
    // Tabs made so far, never fewer: it numbers the default cart names.
    int _tabCount = 0;
    bool _inspectorVisible = true;
    int _heightOfInspector = 0;
    // The hot key each physical key (evdev code) fired on its press, for its release.
    std::map<std::uint16_t, std::string> _pressedShortcuts;
    Connection _deviceListObservation;
    Connection _checkpointObservation;
    Connection _saveObservation;
    Connection _tabDragBeginObservation;
    Connection _tabDragEndObservation;
    // Last: the window and the grid views in it go before the controllers.
    std::unique_ptr<PondraWindow> _window;
    // A child of the window, which deletes it.
    QPointer<SettingsSheet> _settingsSheet;
    // Owned by the window's inspector pane.
    QPointer<InspectorController> _inspector;
    std::unique_ptr<LogController> _logWindow;
    std::unique_ptr<BrokenCueController> _brokenCues;
};
