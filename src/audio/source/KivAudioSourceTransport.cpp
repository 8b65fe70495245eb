#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivAudioSend.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivLog.h"

#include <cmath>
#include <limits>

void KivAudioSource::play() {
    std::lock_guard control(_controlMutex);
    if (!_device) {
        logFormat("Error: could not play %s; no audio device", description().c_str());
        return;
    }
    if (!_validStream.load(std::memory_order_acquire)) {
        // A device here never has its input enabled.
        if (!_alias) {
            logLine("Warning: you tried to play an KivAudioSource with no file and a device "
                    "without inputs enabled.");
        }
        logFormat("Error: could not play %s; no valid stream", description().c_str());
        return;
    }
    if (_isPlaying.load(std::memory_order_acquire)) {
        return;
    }
    _timeWeWereStopped.store(std::numeric_limits<double>::quiet_NaN());
    _detachDeferred = false;
    endCleanupTimerLocked();
    if (!attachLocked()) {
        return;
    }
    _attached = true;
    std::weak_ptr<KivAudioSource> weak = _weakSelf;
    _cleanupTimer = _scheduler.scheduleRepeating(kCleanupInterval, [weak] {
        if (auto self = weak.lock()) {
            self->_detachIfFinished();
        }
    });
    _hasCleanupTimer = true;
    _device->performAction(kPlayAction, this);
}

bool KivAudioSource::attachLocked() {
    if (!_send) {
        return _device->_attachAudio(*this);
    }
    if (_send->device() != _device.get()) {
        logFormat("Error: %s is not the assigned device for send %s",
                  _device->description().c_str(), _send->description().c_str());
        return false;
    }
    if (!_send->_attachAudio(*this)) {
        logFormat("Error: %s could not attach %s to send %s", _device->description().c_str(),
                  description().c_str(), _send->description().c_str());
        return false;
    }
    return true;
}

void KivAudioSource::stop() {
    // A fade of a stopped source ends here, so one that a quick replay
    // would let run on never takes the new play down with it.
    _fades->endFades();
    std::lock_guard control(_controlMutex);
    if (_device) {
        _device->performAction(kStopAction, this);
    }
}

void KivAudioSource::hardStop() {
    _fades->endFades();
    std::lock_guard control(_controlMutex);
    if (_device) {
        _device->performAction(kHardStopAction, this);
    }
}

void KivAudioSource::devamp() {
    std::lock_guard control(_controlMutex);
    if (_device) {
        _device->performAction(kDevampAction, this);
    }
}

void KivAudioSource::_play() {
    _jumpGainsPending.store(true, std::memory_order_release);
    _hardStopped.store(false, std::memory_order_release);
    _isPlaying.store(true, std::memory_order_release);
}

void KivAudioSource::_stop() {
    _timeWeWereStopped.store(_clock.now());
    _isPlaying.store(false, std::memory_order_release);
}

void KivAudioSource::_hardStop() {
    _timeWeWereStopped.store(_clock.now());
    _hardStopped.store(true, std::memory_order_release);
    _isPlaying.store(false, std::memory_order_release);
}

void KivAudioSource::_devamp() {
    // The meta buffer may be swapped by a rebuild meanwhile: the render path
    // passes this on under `_renderMutex`.
    _devampPending.store(true, std::memory_order_release);
}

bool KivAudioSource::isPlaying() const {
    return _isPlaying.load(std::memory_order_acquire);
}

bool KivAudioSource::wasStopped() const {
    return _hardStopped.load(std::memory_order_acquire) ||
           (!_isPlaying.load(std::memory_order_acquire) && !std::isnan(_timeWeWereStopped.load()));
}

bool KivAudioSource::isFinished() const {
    std::lock_guard control(_controlMutex);
    return finishedLocked();
}

bool KivAudioSource::stopStillToFade() const {
    if (_hardStopped.load(std::memory_order_acquire)) {
        return _outputOpen.load(std::memory_order_relaxed);
    }
    return !_isPlaying.load(std::memory_order_acquire) &&
           _inputOpen.load(std::memory_order_relaxed);
}

bool KivAudioSource::finishedLocked() const {
    if (_hardStopped.load(std::memory_order_acquire)) {
        return true;
    }
    const double now = _clock.now();
    const double tail = _effectBus->tailTime();
    if (wasStopped() && now > _timeWeWereStopped.load() + tail) {
        return true;
    }
    return _buffer && _buffer->isFinished() && now > _buffer->approximateTimeOfFinish() + tail;
}

void KivAudioSource::_detachIfFinished() {
    KivAudioSourceDelegate* delegate = nullptr;
    {
        std::lock_guard control(_controlMutex);
        _leftChains.freeAll();
        if (!finishedLocked()) {
            return;
        }
        // Detached now, a stop run outside a batch just before this check
        // would end without its fade. Once only: a device that no longer
        // renders never fades it.
        if (!_detachDeferred && stopStillToFade()) {
            _detachDeferred = true;
            return;
        }
        _detachDeferred = false;
        endCleanupTimerLocked();
        detachLocked();
        _isPlaying.store(false, std::memory_order_release);
        _hardStopped.store(false, std::memory_order_release);
        delegate = _delegate;
    }
    if (delegate) {
        delegate->audioSourceDidFinish(*this);
    }
}

void KivAudioSource::endCleanupTimerLocked() {
    if (_hasCleanupTimer) {
        _scheduler.cancel(_cleanupTimer);
        _hasCleanupTimer = false;
    }
}

void KivAudioSource::stopAndDetachLocked() {
    if (!_hasCleanupTimer) {
        return;
    }
    endCleanupTimerLocked();
    detachLocked();
    // Detached, nothing pulls it and no queued action runs any more: the stop
    // takes effect here, whatever was queued.
    if (_isPlaying.load(std::memory_order_acquire)) {
        _stop();
    }
}

void KivAudioSource::detachLocked() {
    if (_send) {
        _send->_detachAudio(*this);
    }
    if (_device) {
        _device->_detachAudio(*this);
    }
    _attached = false;
    settleChainLocked();
}
