#include "model/AudioCue.h"

#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivEffect.h"
#include "audio/render/KivAudioBuses.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivClassRegistry.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivLog.h"
#include "foundation/KivUTF8.h"
#include "foundation/MainRunLoop.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
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

const bool registered = [] {
    KivClassRegistry::shared().registerClass<AudioCue>("PondraCue");
    return true;
}();

// The keys of the pasteboard's archive: the cue as root object, and beside it
// the reference to the file it plays.
constexpr const char* kRootKey = "root";
constexpr const char* kFileReferenceKey = "fileReference";

} // namespace

AudioCue::AudioCue(Token, std::shared_ptr<KivAudioSource> source)
    : _scheduler(MainRunLoop::scheduler())
    , _clock(MainRunLoop::clock())
    , _audioSource(std::move(source)) {
    _audioSource->setDelegate(this);
    _hardStopObservation = NotificationCenter::defaultCenter().addObserver(
        PondraCueHardStopNotification, nullptr, [this](const Notification&) { hardStop(); });
}

AudioCue::~AudioCue() {
    _hardStopObservation.disconnect();
    _audioSource->hardStop();
    _audioSource->setDelegate(nullptr);
    cancelProgressTimer();
    if (_panicTimer) {
        _scheduler.cancel(*_panicTimer);
    }
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
    cue->_volume = 1.0f;
    cue->_audioDevice = device;
    KivAudioSource& source = *cue->_audioSource;
    source.setDevice(std::move(device));
    source.setAlias(std::move(alias));
    source.setDefaultVolumes();
    cue->routeMonoToBothOutputs();
    source.goToTime(0.0);
    cue->_startTime = 0.0;
    cue->_endTime = source.fileLengthInSeconds();
    cue->updateSlices();
    cue->updateState();
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
    cue->setHotkey(_hotkey);
    cue->setVolume(_volume);
    cue->setHold(_hold);
    cue->setLoops(_loops);
    cue->setSolo(_solo);
    cue->setDucking(_ducking);
    cue->setDead(_dead);
    // End first: a start beyond the fresh cue's end (a broken file has none)
    // would be clamped away.
    cue->setEndTime(_endTime);
    cue->setStartTime(_startTime);
    cue->setColor(_color);
    cue->setMidiTrigger(_midiTrigger);
    // Effects are live units in one chain each: the copy gets its own,
    // built from this cue's saved state, on its own source.
    std::vector<std::shared_ptr<KivEffect>> effects;
    for (const auto& effect : _effects) {
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
    coder.encodeString(_file, "file");
    coder.encodeString(name(), "name");
    if (_documentPath) {
        coder.encodeString(*_documentPath, "documentPath");
    }
    coder.encodeString(_hotkey, "hotkey");
    coder.encodeFloat(_volume, "volume");
    coder.encodeBool(_hold, "hold");
    coder.encodeBool(_loops, "loops");
    coder.encodeBool(_solo, "solo");
    coder.encodeBool(_ducking, "ducking");
    coder.encodeBool(_dead, "dead");
    coder.encodeObject(_color, "color");
    if (_midiTrigger) {
        coder.encodeBytes(*_midiTrigger, "midiTrigger");
    }
    coder.encodeDouble(_startTime, "startTime");
    coder.encodeDouble(_endTime, "endTime");
    coder.encodeBool(flagged(), "flagged");
    nlohmann::json effects = nlohmann::json::array();
    for (const auto& effect : _effects) {
        effects.push_back(effect->properties());
    }
    coder.encodeValue(effects, "effects");
}

std::shared_ptr<AudioCue> AudioCue::initWithCoder(const KivKeyedDecoder& coder) {
    auto cue = make();
    if (!cue) {
        coder.failWithError("no audio source could be made for the cue");
        return nullptr;
    }
    cue->_file = coder.decodeStringForKey("file", kMaximumPathSize);
    cue->setName(coder.decodeStringForKey("name", kMaximumNameSize));
    if (coder.containsValueForKey("documentPath")) {
        cue->_documentPath = coder.decodeStringForKey("documentPath", kMaximumPathSize);
    }
    if (KivEnvironment::logLevel() >= 3) {
        logFormat("initializing %s", cue->description().c_str());
    }
    cue->_volume = coder.decodeFloatForKey("volume");
    // Stored hot keys are parsed again, so a hand-edited one keeps the invariant.
    cue->_hotkey = parseHotkey(coder.decodeStringForKey("hotkey", kMaximumHotkeySize));
    cue->_hold = coder.decodeBoolForKey("hold");
    cue->_loops = coder.decodeBoolForKey("loops");
    cue->_solo = coder.decodeBoolForKey("solo");
    cue->_ducking = coder.decodeBoolForKey("ducking");
    cue->_dead = coder.decodeBoolForKey("dead");
    if (auto color = coder.decodeObjectForKey<PondraColor>("color")) {
        cue->_color = *color;
    }
    if (coder.containsValueForKey("midiTrigger")) {
        const auto bytes = coder.decodeBytesForKey("midiTrigger");
        if (bytes.size() != MidiTrigger().size()) {
            coder.failWithError("midiTrigger: expected 3 bytes, found " +
                                std::to_string(bytes.size()));
            return nullptr;
        }
        cue->_midiTrigger = MidiTrigger{bytes[0], bytes[1], bytes[2]};
    }
    cue->_startTime = coder.decodeDoubleForKey("startTime");
    cue->_endTime = coder.decodeDoubleForKey("endTime");
    cue->setFlagged(coder.decodeBoolForKey("flagged"));
    if (!std::isfinite(cue->_volume) || cue->_volume < 0.0f) {
        coder.failWithError("volume: a gain cannot be negative");
        return nullptr;
    }
    // No control sets a louder cue; a hand-made document might.
    cue->_volume = std::min(cue->_volume, kMaximumVolume);
    if (cue->_startTime < 0.0 || cue->_endTime < cue->_startTime) {
        coder.failWithError("startTime, endTime: expected 0 <= startTime <= endTime");
        return nullptr;
    }
    const nlohmann::json effects = coder.decodeValueForKey("effects");
    if (!effects.is_null() && !effects.is_array()) {
        coder.failWithError("effects: expected an array");
        return nullptr;
    }
    if (effects.size() > kMaximumEffects) {
        coder.failWithError("effects: more than " + std::to_string(kMaximumEffects) +
                            " effects in one cue");
        return nullptr;
    }
    std::size_t skipped = 0;
    for (const auto& properties : effects) {
        // A missing plugin still gives an effect that keeps its dictionary.
        if (auto effect = KivEffect::effectWithProperties(properties)) {
            cue->addEffect(effect);
        } else {
            ++skipped;
        }
    }
    if (skipped > 0) {
        logFormat("Warning: %s skips %zu effect entries that describe no effect",
                  cue->description().c_str(), skipped);
    }
    cue->updateSlices();
    cue->_saved = true;
    cue->updateState();
    if (coder.failed()) {
        return nullptr;
    }
    return cue;
}

std::vector<std::uint8_t> AudioCue::pasteboardData() const {
    KivKeyedEncoder encoder;
    encoder.encodeObject(*this, kRootKey);
    if (const auto alias = _audioSource->alias()) {
        encoder.encodeObject(*alias, kFileReferenceKey);
    }
    const auto text = encoder.archivedText();
    if (!text) {
        logFormat("Error: could not archive %s: %s", description().c_str(),
                  encoder.error().c_str());
        return {};
    }
    return {text->begin(), text->end()};
}

std::shared_ptr<AudioCue> AudioCue::cueFromPasteboardData(const std::vector<std::uint8_t>& data,
                                                          std::string* problem) {
    const auto refuse = [problem](const std::string& why) -> std::shared_ptr<AudioCue> {
        logFormat("Warning: the pasteboard holds no usable cue: %s", why.c_str());
        if (problem) {
            *problem = why;
        }
        return nullptr;
    };
    if (data.size() > kMaximumPasteboardSize) {
        return refuse("it is larger than " + std::to_string(kMaximumPasteboardSize >> 20) + " MB");
    }
    const auto decoder = KivKeyedDecoder::decoderForText(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    auto cue = decoder.decodeObjectForKey<AudioCue>(kRootKey);
    const auto reference = decoder.decodeObjectForKey<KivAlias>(kFileReferenceKey);
    if (decoder.failed() || !cue) {
        return refuse(decoder.failed() ? decoder.error() : "it holds no cue");
    }
    // The very file the copied cue played, wherever it lies now; a file gone
    // leaves the cue without one, broken.
    if (reference) {
        const std::string path = reference->fullPath();
        cue->updateFile(path.empty() ? cue->file() : path, path.empty() ? nullptr : reference);
    }
    return cue;
}

void AudioCue::updateFile(const std::string& path) {
    updateFile(path, KivAlias::aliasWithPath(path));
}

void AudioCue::updateFile(const std::string& path, std::shared_ptr<KivAlias> alias) {
    assertMainThread();
    _file = path;
    _mediaMissing = mediaMissing(path, alias);
    _audioSource->setAlias(std::move(alias));
    _audioSource->setCrosspointVolume(_audioSource->fileChannels() == 1 ? 1.0f : 0.0f, 0, 1);
    // The cue's pair is routed in its own mixer: the new file's channels take it.
    if (_deviceChannel > 1) {
        setDeviceChannel(_deviceChannel);
    }
    updateSlices();
    updateState();
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

void AudioCue::routeMonoToBothOutputs() {
    if (_audioSource->fileChannels() == 1) {
        _audioSource->setCrosspointVolume(1.0f, 0, 1);
    }
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
    _audioSource->setMasterVolume(playedVolume());
    routeMonoToBothOutputs();
    if (_deviceChannel > 1) {
        setDeviceChannel(_deviceChannel);
    }
    updateSlices();
    if (wasPlaying) {
        _audioSource->goToTime(time);
        play();
    }
    updateState();
}

void AudioCue::setDeviceChannel(int channel) {
    _deviceChannel = std::max(channel, 1);
    // Only the cue's own mixer moves: the device and its routing are shared
    // by every cue of the workspace.
    const std::uint32_t files = _audioSource->fileChannels();
    if (files == 0) {
        return;
    }
    const auto first = static_cast<std::uint32_t>(_deviceChannel - 1);
    for (std::uint32_t input = 0; input < files; ++input) {
        for (std::uint32_t feed = 0; feed < kKivAudioChannelsPerBus; ++feed) {
            _audioSource->setCrosspointVolume(0.0f, input, feed);
        }
    }
    for (std::uint32_t input = 0; input < files && first + input < kKivAudioChannelsPerBus;
         ++input) {
        _audioSource->setCrosspointVolume(1.0f, input, first + input);
    }
    if (files == 1 && first + 1 < kKivAudioChannelsPerBus) {
        _audioSource->setCrosspointVolume(1.0f, 0, first + 1);
    }
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
    updateState();
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

void AudioCue::setVolume(float volume) {
    assertMainThread();
    setDuckVolume(volume);
    // A duck's fade under way would carry on to the level of the old volume:
    // it goes on to the new one in the time it has left.
    const double left = _duckFadeStart && !_doPanic && _audioSource->isPlaying()
                            ? kDuckTime - (_clock.now() - *_duckFadeStart)
                            : 0.0;
    if (left > 0.0) {
        _audioSource->fadeToMasterVolume(playedVolume(), left);
    } else {
        _audioSource->setMasterVolume(playedVolume());
    }
}

void AudioCue::setDuckVolume(float volume) {
    const float old = std::exchange(_volume, volume);
    if (old != volume) {
        _volumeChanged.emit(old, volume);
    }
}

void AudioCue::setHotkey(const std::string& text) {
    if (text == _hotkey) {
        return;
    }
    std::string old = std::exchange(_hotkey, parseHotkey(text));
    if (old != _hotkey) {
        _hotkeyChanged.emit(old, _hotkey);
    }
}

void AudioCue::setColor(PondraColor color) {
    PondraColor old = std::exchange(_color, std::move(color));
    _colorChanged.emit(old, _color);
}

std::string AudioCue::parseHotkey(const std::string& text) {
    constexpr const char* kBlanks = " \t\n\r\v\f";
    const std::string clean = KivUTF8::sanitized(text);
    const auto first = clean.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return {};
    }
    // One character: a whole UTF-8 sequence, upper-cased as a pressed key's
    // text is, so that the two meet.
    const auto lead = static_cast<unsigned char>(clean[first]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    return KivUTF8::upperCased(clean.substr(first, length));
}
