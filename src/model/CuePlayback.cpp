#include "model/CuePlayback.h"

#include "audio/source/KivAudioSource.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "model/WorkspaceSettings.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Two times closer than this are the same edit point.
constexpr double kTimeTolerance = 0.00001;

void trace(const char* format, const std::string& cue) {
    if (KivEnvironment::logLevel() >= 3) {
        logFormat(format, cue.c_str());
    }
}

void trace(const char* format, const std::string& cue, double seconds) {
    if (KivEnvironment::logLevel() >= 3) {
        logFormat(format, cue.c_str(), seconds);
    }
}

} // namespace

template <typename Change>
void CuePlayback::keepingPosition(Change change) {
    const bool wasPlaying = _source.isPlaying();
    const double time = _source.elapsedLogicalTime();
    change();
    if (wasPlaying) {
        _source.goToTime(time);
    }
}

namespace {

// The workspace the cue plays in, if any.
Workspace* workspaceOf(const AudioCue& cue) {
    const Cart* owner = cue.cart();
    return owner != nullptr ? owner->workspace() : nullptr;
}

} // namespace

CuePlayback::CuePlayback(AudioCue& cue, KivAudioSource& source)
    : _cue(cue)
    , _source(source)
    , _scheduler(MainRunLoop::scheduler())
    , _clock(MainRunLoop::clock()) {}

CuePlayback::~CuePlayback() {
    cancelProgressTimer();
    if (_panicTimer) {
        _scheduler.cancel(*_panicTimer);
    }
}

void CuePlayback::restore(const Settings& settings) {
    _volume = settings.volume;
    _hold = settings.hold;
    _loops = settings.loops;
    _solo = settings.solo;
    _ducking = settings.ducking;
    _dead = settings.dead;
    _startTime = settings.startTime;
    _endTime = settings.endTime;
}

void CuePlayback::setVolume(float volume) {
    assertMainThread();
    setDuckVolume(volume);
    // A duck's fade under way would carry on to the level of the old volume:
    // it goes on to the new one in the time it has left.
    const double left = _duckFadeStart && !_doPanic && _source.isPlaying()
                            ? kDuckTime - (_clock.now() - *_duckFadeStart)
                            : 0.0;
    if (left > 0.0) {
        _source.fadeToMasterVolume(playedVolume(), left);
    } else {
        _source.setMasterVolume(playedVolume());
    }
}

void CuePlayback::setDuckVolume(float volume) {
    const float old = std::exchange(_volume, volume);
    if (old != volume) {
        _volumeChanged.emit(old, volume);
    }
}

void CuePlayback::setPlaying(bool playing) {
    if (playing != _playing) {
        _playing = playing;
        // Before the observers hear of it: they find the others already
        // ducked, or on their way back.
        if (_ducking) {
            if (Workspace* workspace = workspaceOf(_cue)) {
                workspace->updateCueDucking();
            }
        }
        _playingChanged.emit(!playing, playing);
    }
    updateState();
}

void CuePlayback::setPaused(bool paused) {
    _paused = paused;
    updateState();
}

void CuePlayback::updateState() {
    CueState state = CueState::Stopped;
    // Broken first: a cue whose file is found gone while it plays has no
    // sound to rely on (its next seek or loop reads nothing).
    if (_cue.isBroken()) {
        state = CueState::Broken;
    } else if (_playing) {
        state = _doPanic ? CueState::Fading : _paused ? CueState::Paused : CueState::Playing;
    }
    const CueState old = std::exchange(_state, state);
    if (old != state) {
        _stateChanged.emit(old, state);
    }
}

void CuePlayback::setProgress(float progress) {
    const float old = std::exchange(_progress, progress);
    if (old != progress) {
        _progressChanged.emit(old, progress);
    }
}

void CuePlayback::cancelProgressTimer() {
    if (_progressTimer) {
        _scheduler.cancel(*_progressTimer);
        _progressTimer.reset();
    }
}

void CuePlayback::play() {
    assertMainThread();
    if (_dead) {
        return;
    }
    if (Cart* owner = _cue.cart()) {
        owner->logPlayOfCue(_cue);
    }
    setPlaying(true);
    cancelProgressTimer();
    _progressTimer = _scheduler.scheduleRepeating(kProgressInterval, [this] { updateProgress(); });
    _source.setMasterVolume(playedVolume());
    if (!_source.isPlaying()) {
        _source.play();
    }
}

void CuePlayback::pause() {
    assertMainThread();
    if (!_source.isPlaying()) {
        return;
    }
    trace("   pause %s", _cue.description());
    _source.stop();
    setPaused(true);
}

void CuePlayback::resume() {
    assertMainThread();
    setPaused(false);
    if (_playing) {
        play();
    }
}

void CuePlayback::stop() {
    assertMainThread();
    trace("   stop %s", _cue.description());
    _doPanic = false;
    if (_panicTimer) {
        _scheduler.cancel(*_panicTimer);
        _panicTimer.reset();
    }
    _source.stop();
    _source.goToTime(0.0);
    cancelProgressTimer();
    _paused = false;
    setProgress(0.0f);
    setPlaying(false);
}

void CuePlayback::hardStop() {
    assertMainThread();
    _source.hardStop();
    stop();
}

double CuePlayback::panicDuration() const {
    const Workspace* workspace = workspaceOf(_cue);
    const WorkspaceSettings* settings = workspace != nullptr ? workspace->settings() : nullptr;
    return settings != nullptr ? settings->panicDuration() : 0.0;
}

void CuePlayback::panicAction() {
    if (!_source.isPlaying()) {
        stop();
        return;
    }
    const double duration = panicDuration();
    // Without settings, or on a second panic during the fade, silence now.
    if (!(duration > 0.0) || _panicTimer) {
        hardStop();
        return;
    }
    _doPanic = true;
    updateState();
    _source.fadeToMasterVolume(0.0f, duration);
    _panicTimer = _scheduler.scheduleOnce(duration, [this] {
        _panicTimer.reset();
        if (_doPanic) {
            stop();
        }
    });
}

float CuePlayback::playedVolume() const {
    return _ducked ? _volume * kDuckedVolume : _volume;
}

void CuePlayback::fadeToPlayedVolume() {
    // The panic's fade to silence owns the level until the cue stops.
    if (_doPanic) {
        return;
    }
    _duckFadeStart = _clock.now();
    _source.fadeToMasterVolume(playedVolume(), kDuckTime);
}

void CuePlayback::duck() {
    assertMainThread();
    if (_ducked || _ducking) {
        return;
    }
    _ducked = true;
    fadeToPlayedVolume();
}

void CuePlayback::unduck() {
    assertMainThread();
    if (!_ducked) {
        return;
    }
    _ducked = false;
    fadeToPlayedVolume();
}

void CuePlayback::setDucking(bool ducking) {
    assertMainThread();
    if (ducking == _ducking) {
        return;
    }
    if (ducking) {
        unduck();
    }
    _ducking = ducking;
    // A playing cue starts or ends a duck; an idle one joins the others.
    if (Workspace* workspace = workspaceOf(_cue)) {
        workspace->updateCueDucking();
    }
}

void CuePlayback::updateProgress() {
    const double ratio = _source.elapsedLogicalTime() / _source.audioLengthInSeconds();
    setProgress(std::isnan(ratio) ? 1.0f : static_cast<float>(std::clamp(ratio, 0.0, 1.0)));
    if (_progress == 1.0f || _source.isFinished()) {
        audioFinished();
    }
}

void CuePlayback::audioFinished() {
    if (!_paused) {
        stop();
    }
}

void CuePlayback::updateSlices() {
    const nlohmann::json slice = {
        {"startTime", _startTime}, {"endTime", _endTime}, {"playCount", _loops ? -1 : 1}};
    _source.setSlices(nlohmann::json::array({slice}));
    _source.goToTime(0.0);
}

void CuePlayback::loadActionAt(double seconds) {
    assertMainThread();
    trace("   load %s to time %g", _cue.description(), seconds);
    _source.goToTime(seconds);
}

void CuePlayback::setLoops(bool loops) {
    if (loops == _loops) {
        return;
    }
    const bool wasPlaying = _source.isPlaying();
    keepingPosition([&] {
        _loops = loops;
        updateSlices();
    });
    if (wasPlaying) {
        play();
    }
}

void CuePlayback::setStartTime(double seconds) {
    if (std::abs(seconds - _startTime) < kTimeTolerance &&
        std::abs(seconds - _source.startTime()) < kTimeTolerance) {
        return;
    }
    trace("   start %s at time %g", _cue.description(), seconds);
    const bool wasRunning = _source.isPlaying();
    pause();
    const double start = std::clamp(seconds, 0.0, std::max(0.0, _endTime - kShortestRange));
    // A playing or paused cue goes on from the same place in the file (a start
    // moved past it begins at the new start); a stopped one fires from the
    // new start.
    const double position =
        _playing ? std::max(0.0, _startTime - start + _source.elapsedPlayTime()) : 0.0;
    const double old = std::exchange(_startTime, start);
    updateSlices();
    _source.goToTime(position);
    if (wasRunning) {
        resume();
    }
    if (old != _startTime) {
        _startTimeChanged.emit(old, _startTime);
    }
}

void CuePlayback::setEndTime(double seconds) {
    if (std::abs(seconds - _endTime) < kTimeTolerance &&
        std::abs(seconds - _source.endTime()) < kTimeTolerance) {
        return;
    }
    const bool wasPlaying = _source.isPlaying();
    // As for the start: only a playing or paused cue keeps its place.
    const double time = _playing ? _source.elapsedPlayTime() : 0.0;
    double end = std::max(seconds, _startTime + kShortestRange);
    if (_source.isValid() && end > _source.fileLengthInSeconds()) {
        end = _source.fileLengthInSeconds();
    }
    pause();
    const double old = std::exchange(_endTime, end);
    updateSlices();
    _source.goToTime(time);
    if (wasPlaying) {
        resume();
    }
    if (old != _endTime) {
        _endTimeChanged.emit(old, _endTime);
    }
}
