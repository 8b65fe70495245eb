#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "audio/device/KivAudioPlayable.h"
#include "audio/render/KivAudioBusMap.h"
#include "foundation/KivLog.h"

bool KivAudioDevice::open() {
    close();
    bool opened = false;
    {
        std::lock_guard lock(_controlMutex);
        auto found = _properties.info("KivAudioDevice::open", __LINE__);
        if (!found) {
            return false;
        }
        AudioStreamConfig requested;
        requested.sampleRate = found->nominalSampleRate;
        requested.channels = found->outputChannels;
        requested.framesPerBuffer = found->bufferSizeInFrames;
        requested.interleaved = false;
        auto stream = _hardware->openOutput(_deviceID, requested, *this);
        if (!stream) {
            logFormat("Error: %s could not be opened", found->name.c_str());
            return false;
        }
        // The mixer follows what the stream really runs at.
        const AudioStreamConfig config = stream->config();
        if (!_mixer.build(config)) {
            logFormat("Error: %s could not be opened", found->name.c_str());
            return false;
        }
        _safetyNet.setRate(config.sampleRate);
        _actions.setRendering(true);
        _open.store(true, std::memory_order_release);
        _stream = std::move(stream);
        if (_stream->start()) {
            opened = true;
        } else {
            logFormat("Error: %s could not be opened", found->name.c_str());
            closeLocked();
        }
    }
    if (opened) {
        if (auto* d = delegate()) {
            d->audioDeviceDidOpen(*this);
        }
    }
    return opened;
}

void KivAudioDevice::close() {
    bool wasOpen = false;
    {
        std::lock_guard lock(_controlMutex);
        wasOpen = static_cast<bool>(_stream);
        closeLocked();
    }
    if (wasOpen) {
        if (auto* d = delegate()) {
            d->audioDeviceDidClose(*this);
        }
    }
}

void KivAudioDevice::closeLocked() {
    _open.store(false, std::memory_order_release);
    if (_stream) {
        // Stopping waits for the last render cycle, so nothing renders after
        // this and the render lock is never needed to tear down.
        _stream->stop();
        _stream.reset();
    }
    // A stop handed over must never be lost: what the render thread did not
    // run, runs now.
    _actions.setRendering(false);
    _fades->endFades();
    _mixer.tearDown();
}

bool KivAudioDevice::isOpen() const {
    std::lock_guard lock(_controlMutex);
    return static_cast<bool>(_stream);
}

std::optional<AudioStreamConfig> KivAudioDevice::streamConfig() const {
    std::lock_guard lock(_controlMutex);
    if (!_stream) {
        return std::nullopt;
    }
    return _stream->config();
}

void KivAudioDevice::engage() {
    bool openIt = false;
    {
        std::lock_guard lock(_controlMutex);
        const std::int32_t old = _engaged++;
        openIt = old >= 0 && !_stream;
    }
    if (openIt) {
        open();
    }
}

void KivAudioDevice::disengage() {
    bool closeIt = false;
    {
        std::lock_guard lock(_controlMutex);
        const std::int32_t old = _engaged--;
        if (old <= 1) {
            _engaged = 0;
            closeIt = static_cast<bool>(_stream);
        }
    }
    if (closeIt) {
        close();
    }
}

std::int32_t KivAudioDevice::engagedCount() const {
    std::lock_guard lock(_controlMutex);
    return _engaged;
}

std::optional<KivAudioStreamDescription> KivAudioDevice::_outFeedFormat() const {
    std::lock_guard lock(_controlMutex);
    if (!_stream) {
        return std::nullopt;
    }
    return KivAudioStreamDescription(_mixer.feedDescription());
}

bool KivAudioDevice::_attachAudio(KivAudioPlayable& thing) {
    const std::string deviceName = description();
    const std::string thingName = thing.description();
    std::lock_guard lock(_controlMutex);
    KivAudioBusMap* busMap = _mixer.busMap();
    if (!busMap) {
        logFormat("Error: %s is not open, so it can't attach %s", deviceName.c_str(),
                  thingName.c_str());
        return false;
    }
    if (thing.device() != this) {
        logFormat("Error: %s is not the assigned device for %s", deviceName.c_str(),
                  thingName.c_str());
        return false;
    }
    return busMap->attach(thing, deviceName, thingName);
}

void KivAudioDevice::_detachAudio(KivAudioPlayable& thing) {
    // Actions name their object by its most derived class or as a playable.
    _actions.removeActions(dynamic_cast<const void*>(&thing));
    _actions.removeActions(static_cast<const KivAudioPlayable*>(&thing));
    const std::string deviceName = description();
    const std::string thingName = thing.description();
    std::lock_guard lock(_controlMutex);
    if (KivAudioBusMap* busMap = _mixer.busMap()) {
        busMap->detach(thing, deviceName, thingName);
    }
}

std::optional<std::uint32_t> KivAudioDevice::busOf(const KivAudioPlayable& thing) const {
    std::lock_guard lock(_controlMutex);
    KivAudioBusMap* busMap = _mixer.busMap();
    return busMap ? busMap->busOf(thing) : std::nullopt;
}

void KivAudioDevice::startSyncedActions() {
    _actions.startSyncedActions();
}

void KivAudioDevice::endSyncedActions() {
    _actions.endSyncedActions();
}

void KivAudioDevice::render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept {
    _actions.runPending();
    if (_mixer.render(time, buffer)) {
        _safetyNet.silenceNonFinite(time, buffer);
    }
}
