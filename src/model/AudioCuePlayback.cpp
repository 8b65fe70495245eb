#include "audio/effects/KivEffect.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/KivNSArray.h"
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
void AudioCue::keepingPosition(Change change) {
    const bool wasPlaying = _audioSource->isPlaying();
    const double time = _audioSource->elapsedLogicalTime();
    change();
    if (wasPlaying) {
        _audioSource->goToTime(time);
    }
}

namespace {

// The workspace the cue plays in, if any.
Workspace* workspaceOf(const AudioCue& cue) {
    const Cart* owner = cue.cart();
    return owner != nullptr ? owner->workspace() : nullptr;
}

} // namespace

void AudioCue::setPlaying(bool playing) {
    if (playing != _playing) {
        _playing = playing;
        // Before the observers hear of it: they find the others already
        // ducked, or on their way back.
        if (_ducking) {
            if (Workspace* workspace = workspaceOf(*this)) {
                workspace->updateCueDucking();
            }
        }
        _playingChanged.emit(!playing, playing);
    }
    updateState();
}

void AudioCue::setPaused(bool paused) {
    _paused = paused;
    updateState();
}

void AudioCue::updateState() {
    CueState state = CueState::Stopped;
    // Broken first: a cue whose file is found gone while it plays has no
    // sound to rely on (its next seek or loop reads nothing).
    if (isBroken()) {
        state = CueState::Broken;
    } else if (_playing) {
        state = _doPanic ? CueState::Fading : _paused ? CueState::Paused : CueState::Playing;
    }
    const CueState old = std::exchange(_state, state);
    if (old != state) {
        _stateChanged.emit(old, state);
    }
}

void AudioCue::setProgress(float progress) {
    const float old = std::exchange(_progress, progress);
    if (old != progress) {
        _progressChanged.emit(old, progress);
    }
}

void AudioCue::cancelProgressTimer() {
    if (_progressTimer) {
        _scheduler.cancel(*_progressTimer);
        _progressTimer.reset();
    }
}

void AudioCue::play() {
    assertMainThread();
    if (_dead) {
        return;
    }
    if (Cart* owner = cart()) {
        owner->logPlayOfCue(*this);
    }
    setPlaying(true);
    cancelProgressTimer();
    _progressTimer = _scheduler.scheduleRepeating(kProgressInterval, [this] { updateProgress(); });
    _audioSource->setMasterVolume(playedVolume());
    if (!_audioSource->isPlaying()) {
        _audioSource->play();
    }
}

void AudioCue::pause() {
    assertMainThread();
    if (!_audioSource->isPlaying()) {
        return;
    }
    trace("   pause %s", description());
    _audioSource->stop();
    setPaused(true);
}

void AudioCue::resume() {
    assertMainThread();
    setPaused(false);
    if (_playing) {
        play();
    }
}

void AudioCue::stop() {
    assertMainThread();
    trace("   stop %s", description());
    _doPanic = false;
    if (_panicTimer) {
        _scheduler.cancel(*_panicTimer);
        _panicTimer.reset();
    }
    _audioSource->stop();
    _audioSource->goToTime(0.0);
    cancelProgressTimer();
    _paused = false;
    setProgress(0.0f);
    setPlaying(false);
}

void AudioCue::hardStop() {
    assertMainThread();
    _audioSource->hardStop();
    stop();
}

double AudioCue::panicDuration() const {
    const Workspace* workspace = workspaceOf(*this);
    const WorkspaceSettings* settings = workspace != nullptr ? workspace->settings() : nullptr;
    return settings != nullptr ? settings->panicDuration() : 0.0;
}

void AudioCue::panicAction() {
    if (!_audioSource->isPlaying()) {
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
    _audioSource->fadeToMasterVolume(0.0f, duration);
    _panicTimer = _scheduler.scheduleOnce(duration, [this] {
        _panicTimer.reset();
        if (_doPanic) {
            stop();
        }
    });
}

float AudioCue::playedVolume() const {
    return _ducked ? _volume * kDuckedVolume : _volume;
}

void AudioCue::fadeToPlayedVolume() {
    // The panic's fade to silence owns the level until the cue stops.
    if (_doPanic) {
        return;
    }
    _duckFadeStart = _clock.now();
    _audioSource->fadeToMasterVolume(playedVolume(), kDuckTime);
}

void AudioCue::duck() {
    assertMainThread();
    if (_ducked || _ducking) {
        return;
    }
    _ducked = true;
    fadeToPlayedVolume();
}

void AudioCue::unduck() {
    assertMainThread();
    if (!_ducked) {
        return;
    }
    _ducked = false;
    fadeToPlayedVolume();
}

void AudioCue::setDucking(bool ducking) {
    assertMainThread();
    if (ducking == _ducking) {
        return;
    }
    if (ducking) {
        unduck();
    }
    _ducking = ducking;
    // A playing cue starts or ends a duck; an idle one joins the others.
    if (Workspace* workspace = workspaceOf(*this)) {
        workspace->updateCueDucking();
    }
}

void AudioCue::updateProgress() {
    const double ratio = _audioSource->elapsedLogicalTime() / _audioSource->audioLengthInSeconds();
    setProgress(std::isnan(ratio) ? 1.0f : static_cast<float>(std::clamp(ratio, 0.0, 1.0)));
    if (_progress == 1.0f || _audioSource->isFinished()) {
        audioFinished();
    }
}

void AudioCue::audioFinished() {
    if (!_paused) {
        stop();
    }
}

void AudioCue::audioSourceDidFinish(KivAudioSource&) {
    // The progress timer finds the end of play.
}

void AudioCue::updateSlices() {
    const nlohmann::json slice = {
        {"startTime", _startTime}, {"endTime", _endTime}, {"playCount", _loops ? -1 : 1}};
    _audioSource->setSlices(nlohmann::json::array({slice}));
    _audioSource->goToTime(0.0);
}

void AudioCue::loadActionAt(double seconds) {
    assertMainThread();
    trace("   load %s to time %g", description(), seconds);
    _audioSource->goToTime(seconds);
}

void AudioCue::setLoops(bool loops) {
    if (loops == _loops) {
        return;
    }
    const bool wasPlaying = _audioSource->isPlaying();
    keepingPosition([&] {
        _loops = loops;
        updateSlices();
    });
    if (wasPlaying) {
        play();
    }
}

void AudioCue::setStartTime(double seconds) {
    if (std::abs(seconds - _startTime) < kTimeTolerance &&
        std::abs(seconds - _audioSource->startTime()) < kTimeTolerance) {
        return;
    }
    trace("   start %s at time %g", description(), seconds);
    const bool wasRunning = isRunning();
    pause();
    const double start = std::clamp(seconds, 0.0, std::max(0.0, _endTime - kShortestRange));
    // A playing or paused cue goes on from the same place in the file (a start
    // moved past it begins at the new start); a stopped one fires from the
    // new start.
    const double position =
        _playing ? std::max(0.0, _startTime - start + _audioSource->elapsedPlayTime()) : 0.0;
    const double old = std::exchange(_startTime, start);
    updateSlices();
    _audioSource->goToTime(position);
    if (wasRunning) {
        resume();
    }
    if (old != _startTime) {
        _startTimeChanged.emit(old, _startTime);
    }
}

void AudioCue::setEndTime(double seconds) {
    if (std::abs(seconds - _endTime) < kTimeTolerance &&
        std::abs(seconds - _audioSource->endTime()) < kTimeTolerance) {
        return;
    }
    const bool wasPlaying = _audioSource->isPlaying();
    // As for the start: only a playing or paused cue keeps its place.
    const double time = _playing ? _audioSource->elapsedPlayTime() : 0.0;
    double end = std::max(seconds, _startTime + kShortestRange);
    if (_audioSource->isValid() && end > _audioSource->fileLengthInSeconds()) {
        end = _audioSource->fileLengthInSeconds();
    }
    pause();
    const double old = std::exchange(_endTime, end);
    updateSlices();
    _audioSource->goToTime(time);
    if (wasPlaying) {
        resume();
    }
    if (old != _endTime) {
        _endTimeChanged.emit(old, _endTime);
    }
}

void AudioCue::setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
    _effects = std::move(effects);
    _audioSource->setEffects(_effects);
    _effectsChanged.emit();
}

void AudioCue::addEffect(const std::shared_ptr<KivEffect>& effect) {
    if (!effect || std::find(_effects.begin(), _effects.end(), effect) != _effects.end()) {
        return;
    }
    _effects.push_back(effect);
    _audioSource->addEffect(effect);
    _effectsChanged.emit();
}

void AudioCue::insertEffect(const std::shared_ptr<KivEffect>& effect, std::size_t index) {
    if (!effect || std::find(_effects.begin(), _effects.end(), effect) != _effects.end()) {
        return;
    }
    _effects.insert(
        _effects.begin() + static_cast<std::ptrdiff_t>(std::min(index, _effects.size())), effect);
    _audioSource->setEffects(_effects);
    _effectsChanged.emit();
}

void AudioCue::removeEffect(const std::shared_ptr<KivEffect>& effect) {
    if (std::find(_effects.begin(), _effects.end(), effect) == _effects.end()) {
        return;
    }
    std::erase(_effects, effect);
    _audioSource->removeEffect(effect);
    _effectsChanged.emit();
}

void AudioCue::moveEffectAtIndex(std::size_t from, std::size_t to) {
    KivNSArray::moveObjectAt(_effects, from, to);
    updateEffects();
}

void AudioCue::updateEffects() {
    assertMainThread();
    for (const auto& effect : _effects) {
        effect->saveState();
    }
    // One hand-over to the rebuilt chain, which keeps the place: an empty
    // chain in between would let the dry sound through.
    _audioSource->setEffects(_effects);
    _effectsChanged.emit();
}

void AudioCue::closeEffectEditors() {
    for (const auto& effect : _effects) {
        effect->closeEditor();
    }
}
