#include "model/AudioCue.h"

#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivEffect.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadRole.h"
#include "model/CueArchive.h"
#include "platform/alias/KivAlias.h"

#include <sys/stat.h>

#include <filesystem>
#include <utility>

namespace {

// A regular file itself, not a link to one: what a save can take into a package.
bool isRegularFile(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The cue has a file and its reference finds nothing there.
bool mediaMissing(const std::string& file, const std::shared_ptr<KivAlias>& alias) {
    return !file.empty() && (!alias || !isRegularFile(alias->fullPath()));
}

} // namespace

AudioCue::AudioCue(Token, std::shared_ptr<KivAudioSource> source)
    : _audioSource(std::move(source))
    , _playback(*this, *_audioSource)
    , _effectChain(*_audioSource)
    , _routing(*_audioSource) {
    _audioSource->setDelegate(this);
    _hardStopObservation = NotificationCenter::defaultCenter().addObserver(
        PondraCueHardStopNotification, nullptr, [this](const Notification&) { hardStop(); });
}

AudioCue::~AudioCue() {
    _hardStopObservation.disconnect();
    _audioSource->hardStop();
    _audioSource->setDelegate(nullptr);
}

std::shared_ptr<AudioCue> AudioCue::make() {
    auto source = KivAudioSource::create();
    if (!source) {
        return nullptr;
    }
    return std::make_shared<AudioCue>(Token{}, std::move(source));
}

std::shared_ptr<AudioCue> AudioCue::initWithFile(const std::string& path,
                                                 std::shared_ptr<KivAudioDevice> device) {
    return initWithFile(path, KivAlias::aliasWithPath(path), std::move(device));
}

std::shared_ptr<AudioCue> AudioCue::initWithFile(const std::string& path,
                                                 std::shared_ptr<KivAlias> alias,
                                                 std::shared_ptr<KivAudioDevice> device) {
    auto cue = make();
    if (!cue) {
        return nullptr;
    }
    cue->_file = path;
    cue->_mediaMissing = mediaMissing(path, alias);
    cue->setName(std::filesystem::path(path).stem().string());
    cue->_audioDevice = device;
    KivAudioSource& source = *cue->_audioSource;
    source.setDevice(std::move(device));
    source.setAlias(std::move(alias));
    source.setDefaultVolumes();
    cue->_routing.routeDefaults();
    source.goToTime(0.0);
    CuePlayback& playback = cue->_playback;
    playback.restore({.volume = 1.0f, .startTime = 0.0, .endTime = source.fileLengthInSeconds()});
    playback.updateSlices();
    playback.updateState();
    return cue;
}

std::shared_ptr<AudioCue> AudioCue::copy() const {
    // The file this cue plays, not whatever its path leads to now: a missing
    // cue's copy is missing too, never the link or new file put in its place.
    const auto alias = _audioSource->alias();
    auto cue = initWithFile(_file, alias ? alias->copy() : nullptr, _audioSource->sharedDevice());
    if (!cue) {
        return nullptr;
    }
    cue->setName(name());
    cue->setDocumentPath(_documentPath);
    cue->setHotkey(hotkey());
    cue->setVolume(volume());
    cue->setHold(hold());
    cue->setLoops(loops());
    cue->setSolo(solo());
    cue->setDucking(ducking());
    cue->setDead(dead());
    // End first: a start beyond the fresh cue's end (a broken file has none)
    // would be clamped away.
    cue->setEndTime(endTime());
    cue->setStartTime(startTime());
    cue->setColor(_color);
    cue->setMidiTrigger(midiTrigger());
    // Effects are live units in one chain each: the copy gets its own,
    // built from this cue's saved state, on its own source.
    std::vector<std::shared_ptr<KivEffect>> effects;
    for (const auto& effect : _effectChain.effects()) {
        if (auto copied = KivEffect::effectWithProperties(effect->properties())) {
            effects.push_back(std::move(copied));
        } else {
            logFormat("Warning: could not copy the effect %s of %s", effect->name().c_str(),
                      description().c_str());
        }
    }
    cue->setEffects(std::move(effects));
    return cue;
}

std::string AudioCue::description() const {
    return "AudioCue Cue: " + name();
}

void AudioCue::encodeWithCoder(KivKeyedEncoder& coder) const {
    CueArchive::encode(*this, coder);
}

std::shared_ptr<AudioCue> AudioCue::initWithCoder(const KivKeyedDecoder& coder) {
    return CueArchive::decode(coder);
}

std::vector<std::uint8_t> AudioCue::pasteboardData() const {
    return CueArchive::pasteboardData(*this);
}

std::shared_ptr<AudioCue> AudioCue::cueFromPasteboardData(const std::vector<std::uint8_t>& data,
                                                          std::string* problem) {
    return CueArchive::cueFromPasteboardData(data, problem);
}

void AudioCue::updateFile(const std::string& path) {
    updateFile(path, KivAlias::aliasWithPath(path));
}

void AudioCue::updateFile(const std::string& path, std::shared_ptr<KivAlias> alias) {
    assertMainThread();
    _file = path;
    _mediaMissing = mediaMissing(path, alias);
    _audioSource->setAlias(std::move(alias));
    // The cue's pair is routed in its own mixer: the new file's channels take it.
    _routing.routeFile();
    _playback.updateSlices();
    _playback.updateState();
}

void AudioCue::moveFile(const std::string& path, const std::shared_ptr<KivAlias>& alias) {
    const auto current = _audioSource->alias();
    if (!current || !alias) {
        updateFile(path, alias);
        return;
    }
    _file = path;
    // The meta buffer shares the reference: it reads on from the file it has
    // open and finds the moved one if it opens the file again.
    current->refer(*alias);
    checkMedia();
}

void AudioCue::setAudioDevice(std::shared_ptr<KivAudioDevice> device) {
    assertMainThread();
    if (device == _audioDevice ||
        (device && _audioDevice && device->deviceID() == _audioDevice->deviceID())) {
        return;
    }
    _audioDevice = device;
    const bool wasPlaying = _audioSource->isPlaying();
    const double time = _audioSource->elapsedLogicalTime();
    _audioSource->setDevice(std::move(device));
    _audioSource->setDefaultVolumes();
    _audioSource->setMasterVolume(_playback.playedVolume());
    _routing.routeDefaults();
    _playback.updateSlices();
    if (wasPlaying) {
        _audioSource->goToTime(time);
        play();
    }
    _playback.updateState();
}

bool AudioCue::isPlaying() const {
    return _audioSource->isPlaying();
}

bool AudioCue::isLoaded() const {
    return _audioSource->isValid();
}

std::shared_ptr<KivAlias> AudioCue::mediaAlias() const {
    return _audioSource->alias();
}

double AudioCue::fileLengthInSeconds() const {
    return _audioSource->fileLengthInSeconds();
}

double AudioCue::currentFileTime() const {
    return _audioSource->currentFileTime();
}

void AudioCue::stopKeepingPlace() {
    const double time = _audioSource->currentFileTime();
    stop();
    loadActionAt(time - _audioSource->startTime());
}

double AudioCue::elapsedTime() const {
    return _audioSource->elapsedLogicalTime();
}

double AudioCue::remainingTime() const {
    return _audioSource->audioLengthInSeconds() - elapsedTime();
}

bool AudioCue::isBroken() const {
    return _mediaMissing || !_audioSource->isValid() || _audioSource->device() == nullptr;
}

bool AudioCue::checkMedia() {
    assertMainThread();
    setMediaMissing(mediaMissing(_file, _audioSource->alias()));
    return !_mediaMissing;
}

void AudioCue::setMediaMissing(bool missing) {
    if (missing != _mediaMissing) {
        _mediaMissing = missing;
        if (missing) {
            logFormat("Warning: the file %s of %s is missing", _file.c_str(),
                      description().c_str());
        }
    }
    _playback.updateState();
}

std::string AudioCue::brokenExplanation() const {
    if (_mediaMissing || !_audioSource->isValid()) {
        return "Invalid audio file.";
    }
    if (_audioSource->device() == nullptr) {
        return "No audio device. Please select one.";
    }
    return {};
}

void AudioCue::setColor(PondraColor color) {
    PondraColor old = std::exchange(_color, std::move(color));
    _colorChanged.emit(old, _color);
}

void AudioCue::handleMIDIMessages(const MidiBatch& messages) {
    assertMainThread();
    for (const MidiMessage& message : messages) {
        if (matchesForMIDIDown(message)) {
            triggerDown();
        } else if (matchesForMIDIUp(message)) {
            triggerUp();
        }
    }
}

void AudioCue::triggerDown() {
    assertMainThread();
    if (playing()) {
        stop();
        return;
    }
    if (dead()) {
        return;
    }
    // A cue that cannot sound must not silence the show for nothing. Its
    // file is looked for now, so one deleted since it was placed is found.
    if (!checkMedia() || isBroken()) {
        _triggerRefused.emit();
        return;
    }
    if (solo()) {
        NotificationCenter::defaultCenter().post(PondraCueHardStopNotification, this);
    }
    play();
}

void AudioCue::triggerUp() {
    assertMainThread();
    if (hold()) {
        stop();
    }
}
