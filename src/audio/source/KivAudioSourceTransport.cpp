#include "audio/device/KivAudioDevice.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivLog.h"

void KivAudioSource::play() {
    std::lock_guard control(_controlMutex);
    if (!_route.sharedDevice()) {
        logFormat("Error: could not play %s; no audio device", description().c_str());
        return;
    }
    if (!_graph.isValid()) {
        // A device here never has its input enabled.
        if (!_alias) {
            logLine("Warning: you tried to play an KivAudioSource with no file and a device "
                    "without inputs enabled.");
        }
        logFormat("Error: could not play %s; no valid stream", description().c_str());
        return;
    }
    if (_graph.isPlaying()) {
        return;
    }
    _graph.clearStopTime();
    _detachDeferred = false;
    endCleanupTimerLocked();
    if (!_route.attach(*this)) {
        return;
    }
    _graph.attached();
    std::weak_ptr<KivAudioSource> weak = _weakSelf;
    _cleanupTimer = _scheduler.scheduleRepeating(kCleanupInterval, [weak] {
        if (auto self = weak.lock()) {
            self->_detachIfFinished();
        }
    });
    _hasCleanupTimer = true;
    _route.sharedDevice()->performAction(kPlayAction, this);
}

void KivAudioSource::stop() {
    // A fade of a stopped source ends here, so one that a quick replay
    // would let run on never takes the new play down with it.
    _graph.gains().endFades();
    std::lock_guard control(_controlMutex);
    if (_route.sharedDevice()) {
        _route.sharedDevice()->performAction(kStopAction, this);
    }
}

void KivAudioSource::hardStop() {
    _graph.gains().endFades();
    std::lock_guard control(_controlMutex);
    if (_route.sharedDevice()) {
        _route.sharedDevice()->performAction(kHardStopAction, this);
    }
}

void KivAudioSource::devamp() {
    std::lock_guard control(_controlMutex);
    if (_route.sharedDevice()) {
        _route.sharedDevice()->performAction(kDevampAction, this);
    }
}

void KivAudioSource::_devamp() {
    _graph.devamp();
}

bool KivAudioSource::isFinished() const {
    std::lock_guard control(_controlMutex);
    return _graph.finished();
}

void KivAudioSource::_detachIfFinished() {
    KivAudioSourceDelegate* delegate = nullptr;
    {
        std::lock_guard control(_controlMutex);
        _graph.freeLeftChains();
        if (!_graph.finished()) {
            return;
        }
        // Detached now, a stop run outside a batch just before this check
        // would end without its fade. Once only: a device that no longer
        // renders never fades it.
        if (!_detachDeferred && _graph.stopStillToFade()) {
            _detachDeferred = true;
            return;
        }
        _detachDeferred = false;
        endCleanupTimerLocked();
        detachLocked();
        _graph.endPlay();
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
    if (_graph.isPlaying()) {
        _stop();
    }
}

void KivAudioSource::detachLocked() {
    _route.detach(*this);
    _graph.detached();
}
