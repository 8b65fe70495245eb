#pragma once

#include "foundation/Scheduler.h"
#include "foundation/Signal.h"
#include "platform/midi/MidiMessage.h"
#include "window/SettingsController.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class AudioCue;
class BrokenCueController;
class Cart;
class DocumentActions;
class GridController;
class ImportProgressSheet;
class KivAudioDevice;
class KivPrompts;
class LogController;
class PondraWindow;
class QKeyEvent;
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

    GridController& addControllerForCart(std::shared_ptr<Cart> cart);
    // The window's set-up once every cart has its controller; shows it.
    void showWindow();

    PondraWindow* window() const { return _window.get(); }
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

    // Transport.
    void togglePause();
    void pauseAll();
    void resumeAll();
    void stopAll();
    void hardStopAll();
    void panicAll();
    void toggleDucking();
    // The slider's 0..1000 as 0.0..1.0.
    void changeVolume(int sliderValue);
    // While the slider is dragged: the device only, no edit yet.
    void previewVolume(int sliderValue);
    void setVolumeMax();
    void setVolumeMin();
    void changeOutputDevice(int index);
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
    void enterShowMode();
    void addTab(GridController& controller);
    void tabSelected();
    void makeCartFirstResponder();
    void updateWindowTitle();
    void followDucking();
    // The device and first channel the workspace plays through, with undo.
    void useOutput(const std::shared_ptr<KivAudioDevice>& device, int channel);
    void stopDuckingTimer();
    // After the alert of a vanished device: the workspace plays on through
    // the default output device, when there is one to offer.
    void fallBackToDefaultOutput();

    std::shared_ptr<Workspace> _workspace;
    KivPrompts& _prompts;
    DocumentActions* _documents;
    SettingsController _settings;
    std::vector<std::unique_ptr<GridController>> _gridControllers;
    std::vector<Output> _outputDevices;
    // On the main run loop, so the slider follows the fade's own clock.
    std::optional<Scheduler::TimerId> _duckingTimer;
    std::optional<Scheduler::TimerId> _levelTimer;
    double _duckingStart = 0;
    // Tabs made so far, never fewer: it numbers the default cart names.
    int _tabCount = 0;
    Connection _deviceListObservation;
    Connection _checkpointObservation;
    // Last: the window and the grid views in it go before the controllers.
    std::unique_ptr<PondraWindow> _window;
    std::unique_ptr<LogController> _logWindow;
    std::unique_ptr<BrokenCueController> _brokenCues;
};
