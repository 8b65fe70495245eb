#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "audio/device/KivAudioPlayable.h"
#include "audio/device/KivDeviceVolumes.h"
#include "audio/render/KivAudioBusMap.h"
#include "audio/render/MatrixMixer.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"

bool KivAudioDevice::open() {
    close();
    bool opened = false;
    {
        std::lock_guard lock(_controlMutex);
        auto found = info("KivAudioDevice::open", __LINE__);
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
        // The window meters the outputs; the inputs, one per feed channel of
        // each cue, are metered only once someone reads them.
        auto mixer = MatrixMixer::create(
            {std::vector<std::uint32_t>(kKivAudioBusCount, kKivAudioChannelsPerBus),
             {config.channels},
             config.framesPerBuffer,
             config.sampleRate,
             false,
             true});
        if (!mixer) {
            logFormat("Error: %s could not be opened", found->name.c_str());
            return false;
        }
        auto busMap = std::make_unique<KivAudioBusMap>(*mixer);
        auto volumes = std::make_unique<KivDeviceVolumes>(*mixer, kKivAudioChannelsPerBus);
        volumes->setDefaultVolumes();
        _renderRate = config.sampleRate;
        if (config.interleaved) {
            _scratch.assign(std::size_t(config.channels) * config.framesPerBuffer, 0.0f);
            _scratchChannels.resize(config.channels);
            for (std::uint32_t c = 0; c < config.channels; ++c) {
                _scratchChannels[c] = _scratch.data() + std::size_t(c) * config.framesPerBuffer;
            }
        }
        {
            std::unique_lock mixerLock(_mixerMutex);
            _mixer = std::move(mixer);
            _busMap = std::move(busMap);
            _volumes = std::move(volumes);
        }
        _mixerOutDesc =
            KivAudioStreamDescription(config.sampleRate, config.channels).streamDescription();
        _mixerInDesc = KivAudioStreamDescription(config.sampleRate, kKivAudioChannelsPerBus)
                           .streamDescription();
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
    {
        std::unique_lock mixerLock(_mixerMutex);
        _busMap.reset();
        _volumes.reset();
        _mixer.reset();
    }
    _scratch.clear();
    _scratchChannels.clear();
    _mixerInDesc = {};
    _mixerOutDesc = {};
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
    return KivAudioStreamDescription(_mixerInDesc);
}

bool KivAudioDevice::_attachAudio(KivAudioPlayable& thing) {
    const std::string deviceName = description();
    const std::string thingName = thing.description();
    std::lock_guard lock(_controlMutex);
    if (!_busMap) {
        logFormat("Error: %s is not open, so it can't attach %s", deviceName.c_str(),
                  thingName.c_str());
        return false;
    }
    if (thing.device() != this) {
        logFormat("Error: %s is not the assigned device for %s", deviceName.c_str(),
                  thingName.c_str());
        return false;
    }
    return _busMap->attach(thing, deviceName, thingName);
}

void KivAudioDevice::_detachAudio(KivAudioPlayable& thing) {
    // Actions name their object by its most derived class or as a playable.
    _actions.removeActions(dynamic_cast<const void*>(&thing));
    _actions.removeActions(static_cast<const KivAudioPlayable*>(&thing));
    const std::string deviceName = description();
    const std::string thingName = thing.description();
    std::lock_guard lock(_controlMutex);
    if (_busMap) {
        _busMap->detach(thing, deviceName, thingName);
    }
}

std::optional<std::uint32_t> KivAudioDevice::busOf(const KivAudioPlayable& thing) const {
    std::lock_guard lock(_controlMutex);
    return _busMap ? _busMap->busOf(thing) : std::nullopt;
}

std::int32_t KivAudioDevice::_setEnabled(bool enabled, std::uint32_t bus) {
    std::shared_lock mixerLock(_mixerMutex);
    if (!_mixer || bus >= kKivAudioBusCount) {
        return 0;
    }
    const std::int32_t status =
        _mixer->setParameter(MixerParameter::Enable, MixerScope::Input, bus, enabled ? 1.0f : 0.0f);
    if (status != MixerStatus::Ok) {
        logStatusError(status, "KivAudioDevice::_setEnabled", __LINE__);
    }
    return status;
}

void KivAudioDevice::startSyncedActions() {
    _actions.startSyncedActions();
}

void KivAudioDevice::endSyncedActions() {
    _actions.endSyncedActions();
}
