#include "model/WorkspaceOutput.h"

#include "audio/device/KivAudioDevice.h"
#include "foundation/ThreadRole.h"
#include "platform/undo/UndoManager.h"

#include <algorithm>
#include <cstdint>

WorkspaceOutput::WorkspaceOutput(std::shared_ptr<KivAudioDevice> device, UndoManager& undoManager)
    : _device(std::move(device))
    , _undoManager(undoManager) {
    if (_device) {
        _device->engage();
    }
}

WorkspaceOutput::~WorkspaceOutput() {
    _undoManager.removeAllActions(this);
    if (_device) {
        _device->disengage();
    }
}

void WorkspaceOutput::setAudioDevice(std::shared_ptr<KivAudioDevice> device) {
    assertMainThread();
    if (device == _device) {
        return;
    }
    if (device) {
        device->engage();
    }
    if (_device) {
        _device->disengage();
    }
    _device = std::move(device);
    setDeviceChannel(_deviceChannel);
    applyMasterVolume();
}

void WorkspaceOutput::setDeviceChannel(int channel) {
    assertMainThread();
    _deviceChannel = channel < 1 ? 1 : channel;
    if (!_device) {
        return;
    }
    _device->setSilentCrosspoints();
    const auto outputs = _device->outputChannels();
    const auto first = static_cast<std::uint32_t>(_deviceChannel);
    for (std::uint32_t k = 0; first + k <= outputs && k < kKivAudioChannelsPerBus; ++k) {
        _device->setVolume(1.0f, k + 1, first + k);
    }
}

float WorkspaceOutput::masterVolume() const {
    if (_device && _device->isOpen()) {
        return _device->masterVolume();
    }
    return _ducked ? _duckedVolume : _masterVolume;
}

void WorkspaceOutput::setMasterVolume(float volume) {
    assertMainThread();
    float& stored = _ducked ? _duckedVolume : _masterVolume;
    // The stored value, not the device's: a fade under way would otherwise
    // make the undo step restore a volume half-way through it.
    _previousVolume = stored;
    stored = volume;
    applyMasterVolume();
    // After the change: whoever the registration tells already reads the
    // new volume.
    _undoManager.registerUndo(this,
                              [this, previous = _previousVolume] { setMasterVolume(previous); });
    if (!_undoManager.isUndoing()) {
        _undoManager.setActionName(_ducked ? "Ducking Volume Change" : "Volume Change");
    }
}

void WorkspaceOutput::duck() {
    assertMainThread();
    if (_device) {
        _device->fadeToMasterVolume(_duckedVolume, kDuckTime);
    }
    _ducked = true;
}

void WorkspaceOutput::unduck() {
    assertMainThread();
    if (_device) {
        _device->fadeToMasterVolume(_masterVolume, kDuckTime);
    }
    _ducked = false;
}

void WorkspaceOutput::restore(float masterVolume, float duckedVolume, bool ducked) {
    _masterVolume = masterVolume;
    _duckedVolume = duckedVolume;
    _ducked = ducked;
}

void WorkspaceOutput::applyMasterVolume() {
    assertMainThread();
    if (_device) {
        _device->setMasterVolume(_ducked ? _duckedVolume : _masterVolume);
    }
}

void WorkspaceOutput::previewMasterVolume(float volume) {
    if (_device) {
        _device->setMasterVolume(volume);
    }
}

std::optional<WorkspaceOutput::Levels> WorkspaceOutput::levels() const {
    if (!_device || _device->died()) {
        return std::nullopt;
    }
    // The pair's first channel, counted from 0.
    const auto k = static_cast<std::uint32_t>(std::max(_deviceChannel - 1, 0));
    return Levels{_device->outPostAveragePowerAtChannel(k),
                  _device->outPostPeakHoldLevelAtChannel(k),
                  _device->outPostAveragePowerAtChannel(k + 1),
                  _device->outPostPeakHoldLevelAtChannel(k + 1)};
}
