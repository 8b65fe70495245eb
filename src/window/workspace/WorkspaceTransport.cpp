#include "window/workspace/WorkspaceTransport.h"

#include "KivUI/controls/VornSlider.h"
#include "foundation/MainRunLoop.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "window/workspace/ImageButton.h"
#include "window/workspace/PondraAudioLevelView.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <cmath>

WorkspaceTransport::WorkspaceTransport(WorkspaceController& controller)
    : _controller(controller) {}

WorkspaceTransport::~WorkspaceTransport() {
    stopTimers();
}

void WorkspaceTransport::stopTimers() {
    stopDuckingTimer();
    if (_levelTimer) {
        MainRunLoop::scheduler().cancel(*_levelTimer);
        _levelTimer.reset();
    }
}

void WorkspaceTransport::startLevelMeter() {
    if (!_levelTimer) {
        _levelTimer = MainRunLoop::scheduler().scheduleRepeating(kLevelInterval,
                                                                 [this] { updateAudioLevels(); });
    }
}

void WorkspaceTransport::togglePause() {
    if (_controller.workspace().isPaused()) {
        resumeAll();
    } else {
        pauseAll();
    }
}

void WorkspaceTransport::pauseAll() {
    Workspace& workspace = _controller.workspace();
    workspace.setPaused(true);
    for (const auto& cart : workspace.carts()) {
        cart->pauseCues();
    }
    updatePauseButton();
}

void WorkspaceTransport::resumeAll() {
    Workspace& workspace = _controller.workspace();
    workspace.setPaused(false);
    for (const auto& cart : workspace.carts()) {
        cart->resumeCues();
    }
    updatePauseButton();
}

void WorkspaceTransport::stopAll() {
    Workspace& workspace = _controller.workspace();
    workspace.setPaused(false);
    for (const auto& cart : workspace.carts()) {
        cart->stopCues();
    }
    updatePauseButton();
}

void WorkspaceTransport::hardStopAll() {
    Workspace& workspace = _controller.workspace();
    workspace.setPaused(false);
    for (const auto& cart : workspace.carts()) {
        cart->hardStopCues();
    }
    updatePauseButton();
}

void WorkspaceTransport::panicAll() {
    _controller.workspace().panic();
    updatePauseButton();
}

void WorkspaceTransport::toggleDucking() {
    Workspace& workspace = _controller.workspace();
    if (workspace.isDucked()) {
        workspace.unduck();
    } else {
        workspace.duck();
    }
    updateDuckingButton();
    // The slider follows the fade for a second.
    stopDuckingTimer();
    _duckingStart = MainRunLoop::clock().now();
    _duckingTimer =
        MainRunLoop::scheduler().scheduleRepeating(kLevelInterval, [this] { followDucking(); });
}

void WorkspaceTransport::stopDuckingTimer() {
    if (_duckingTimer) {
        MainRunLoop::scheduler().cancel(*_duckingTimer);
        _duckingTimer.reset();
    }
}

void WorkspaceTransport::updateVolumeSlider() {
    VornSlider* slider = _controller.window()->volumeSlider();
    // A drag under way is the user's: the slider is where the hand is.
    if (slider->isSliderDown()) {
        return;
    }
    slider->blockSignals(true);
    slider->setValue(static_cast<int>(std::lround(_controller.workspace().masterVolume() * 1000)));
    slider->blockSignals(false);
}

void WorkspaceTransport::followDucking() {
    updateVolumeSlider();
    if (MainRunLoop::clock().now() > _duckingStart + kDuckingFollowTime) {
        stopDuckingTimer();
    }
}

void WorkspaceTransport::changeVolume(int sliderValue) {
    Workspace& workspace = _controller.workspace();
    workspace.setMasterVolume(static_cast<float>(sliderValue) / 1000.0f);
    workspace.applyMasterVolume();
}

void WorkspaceTransport::previewVolume(int sliderValue) {
    _controller.workspace().previewMasterVolume(static_cast<float>(sliderValue) / 1000.0f);
}

void WorkspaceTransport::setVolumeMax() {
    _controller.window()->volumeSlider()->setValue(1000);
    changeVolume(1000);
}

void WorkspaceTransport::setVolumeMin() {
    _controller.window()->volumeSlider()->setValue(0);
    changeVolume(0);
}

void WorkspaceTransport::updatePauseButton() {
    _controller.window()->pauseAllButton()->setHighlighted(_controller.workspace().isPaused());
}

void WorkspaceTransport::updateAudioLevels() {
    const auto levels = _controller.workspace().outputLevels();
    if (!levels) {
        return;
    }
    PondraAudioLevelView& meter = *_controller.window()->audioLevel();
    meter.setLeftChannelPower(PondraAudioLevelView::meterValue(levels->leftPower));
    meter.setLeftChannelPeak(PondraAudioLevelView::meterValue(levels->leftPeak));
    meter.setRightChannelPower(PondraAudioLevelView::meterValue(levels->rightPower));
    meter.setRightChannelPeak(PondraAudioLevelView::meterValue(levels->rightPeak));
}

void WorkspaceTransport::updateDuckingButton() {
    _controller.window()->duckingButton()->setHighlighted(_controller.workspace().isDucked());
}
