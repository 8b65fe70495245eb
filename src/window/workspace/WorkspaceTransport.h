#pragma once

#include "foundation/Scheduler.h"

#include <optional>

class WorkspaceController;

// The transport of one workspace window: pause, resume, stop, hard stop and
// panic of every cart, the duck, and the master volume with its slider, the
// pause and duck buttons and the level meter that show them. The meter and
// the slider, while a duck fades, follow on timers of the main run loop.
// GUI thread only.
class WorkspaceTransport {
public:
    static constexpr double kLevelInterval = 0.05;
    static constexpr double kDuckingFollowTime = 1.0;

    explicit WorkspaceTransport(WorkspaceController& controller);
    ~WorkspaceTransport();
    WorkspaceTransport(const WorkspaceTransport&) = delete;
    WorkspaceTransport& operator=(const WorkspaceTransport&) = delete;

    void togglePause();
    void pauseAll();
    void resumeAll();
    void stopAll();
    void hardStopAll();
    void panicAll();
    void toggleDucking();
    bool isFollowingDucking() const { return _duckingTimer.has_value(); }
    // The slider's 0..1000 as 0.0..1.0.
    void changeVolume(int sliderValue);
    // While the slider is dragged: the device only, no edit yet.
    void previewVolume(int sliderValue);
    void setVolumeMax();
    void setVolumeMin();
    void updatePauseButton();
    void updateDuckingButton();
    // The master slider shows the workspace's volume: after an undo or redo,
    // and while a duck fades.
    void updateVolumeSlider();
    // The level-meter timer's tick: the meter shows the device's pair.
    void updateAudioLevels();
    // The meter's timer runs from the window's first showing on.
    void startLevelMeter();
    // Both timers end; the window's controls are no longer told.
    void stopTimers();

private:
    void followDucking();
    void stopDuckingTimer();

    WorkspaceController& _controller;
    std::optional<Scheduler::TimerId> _duckingTimer;
    std::optional<Scheduler::TimerId> _levelTimer;
    double _duckingStart = 0;
};
