#include "audio/device/KivAudioDevice.h"

#include "audio/device/KivAudioHardware.h"
#include "audio/device/KivDeviceVolumes.h"
#include "audio/render/KivAudioBusMap.h"
#include "audio/render/KivVolumesText.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivAudioPlayable.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/NotificationCenter.h"

#include <algorithm>
#include <any>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<KivAudioHardwareDelegate*> gClassDelegate{nullptr};

// Whether any sample is a NaN or an infinity: those alone have every exponent
// bit set. Integer tests, so the loop vectorises without fast-math.
bool holdsNonFinite(const float* samples, std::size_t count) noexcept {
    std::uint32_t found = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &samples[i], sizeof bits);
        found |= static_cast<std::uint32_t>((bits & 0x7f800000u) == 0x7f800000u);
    }
    return found != 0;
}

std::uint32_t userInfoWord(const Notification& notification, const char* key) {
    auto found = notification.userInfo.find(key);
    if (found == notification.userInfo.end()) {
        return 0;
    }
    const auto* value = std::any_cast<std::uint32_t>(&found->second);
    return value ? *value : 0;
}

} // namespace

KivAudioHardwareDelegate* KivAudioDevice::classDelegate() {
    return gClassDelegate.load(std::memory_order_acquire);
}

void KivAudioDevice::setClassDelegate(KivAudioHardwareDelegate* delegate) {
    gClassDelegate.store(delegate, std::memory_order_release);
}

std::shared_ptr<KivAudioDevice>
KivAudioDevice::deviceWithID(std::shared_ptr<KivAudioHardware> hardware, AudioObjectID id) {
    if (id == kAudioObjectUnknown || !hardware) {
        return nullptr;
    }
    if (!hardware->isPresent(id)) {
        logStatusError(kKivAudioHardwareBadObjectError, "KivAudioDevice::deviceWithID", __LINE__);
        return nullptr;
    }
    std::shared_ptr<KivAudioDevice> device(new KivAudioDevice(hardware, id));
    hardware->addDeviceListener(id, device);
    // Observes only its own notifications, so two objects for one device stay apart.
    KivAudioDevice* self = device.get();
    device->_propertyObservation = NotificationCenter::defaultCenter().addObserver(
        KivAudioDevicePropertyDidChangeNotification, self, [self](const Notification& n) {
            if (userInfoWord(n, kKivAudioObjectIDKey) == self->_deviceID) {
                self->deviceChanged(userInfoWord(n, kKivPropertySelectorKey));
            }
        });
    // A device that vanished while the object was being made would never hear of it.
    if (!hardware->isPresent(id)) {
        logStatusError(kKivAudioHardwareBadObjectError, "KivAudioDevice::deviceWithID", __LINE__);
        return nullptr;
    }
    return device;
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::deviceWithID(AudioObjectID id) {
    if (id == kAudioObjectUnknown) {
        return nullptr;
    }
    return deviceWithID(KivAudioHardware::current(), id);
}

std::vector<std::shared_ptr<KivAudioDevice>> KivAudioDevice::allDevices() {
    auto hardware = KivAudioHardware::current();
    std::vector<std::shared_ptr<KivAudioDevice>> devices;
    for (AudioObjectID id : hardware->deviceIDs()) {
        // A device that vanished since the list was read is left out.
        if (auto device = deviceWithID(hardware, id)) {
            devices.push_back(std::move(device));
        }
    }
    return devices;
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::defaultOutputDevice() {
    auto hardware = KivAudioHardware::current();
    const AudioObjectID id = hardware->defaultOutputDeviceID();
    if (id == kAudioObjectUnknown) {
        return nullptr;
    }
    return deviceWithID(hardware, id);
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::deviceWithUID(const std::string& uid) {
    auto hardware = KivAudioHardware::current();
    const AudioObjectID id = hardware->deviceIDForUID(uid);
    if (id == kAudioObjectUnknown) {
        return nullptr;
    }
    auto device = deviceWithID(hardware, id);
    if (device && device->deviceUID() != uid) {
        return nullptr;
    }
    return device;
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::deviceWithName(const std::string& name) {
    for (auto& device : allDevices()) {
        if (device->name() == name) {
            return device;
        }
    }
    return nullptr;
}

KivAudioDevice::KivAudioDevice(std::shared_ptr<KivAudioHardware> hardware, AudioObjectID id)
    : _hardware(std::move(hardware))
    , _deviceID(id)
    , _fades(std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), _steadyClock)) {}

KivAudioDevice::~KivAudioDevice() {
    _propertyObservation.disconnect();
    _hardware->removeDeviceListener(this);
    std::lock_guard lock(_controlMutex);
    closeLocked();
}

std::optional<AudioDeviceInfo> KivAudioDevice::info(const char* operation, int line) const {
    auto info = _hardware->deviceInfo(_deviceID);
    if (!info) {
        logStatusError(kKivAudioHardwareBadObjectError, operation, line);
    }
    return info;
}

std::optional<std::string> KivAudioDevice::text(std::string AudioDeviceInfo::*field,
                                                const char* operation, int line) const {
    auto found = info(operation, line);
    if (!found) {
        return std::nullopt;
    }
    if ((*found.*field).empty()) {
        logStatusError(0, operation, line);
        return std::nullopt;
    }
    return *found.*field;
}

std::optional<std::string> KivAudioDevice::deviceUID() const {
    return text(&AudioDeviceInfo::uid, "KivAudioDevice::deviceUID", __LINE__);
}

std::optional<std::string> KivAudioDevice::deviceModelUID() const {
    return text(&AudioDeviceInfo::modelUID, "KivAudioDevice::deviceModelUID", __LINE__);
}

std::optional<std::string> KivAudioDevice::name() const {
    return text(&AudioDeviceInfo::name, "KivAudioDevice::name", __LINE__);
}

std::optional<std::string> KivAudioDevice::manufacturer() const {
    return text(&AudioDeviceInfo::manufacturer, "KivAudioDevice::manufacturer", __LINE__);
}

double KivAudioDevice::nominalSampleRate() const {
    return number(&AudioDeviceInfo::nominalSampleRate, "KivAudioDevice::nominalSampleRate",
                  __LINE__);
}

std::uint32_t KivAudioDevice::bufferSizeInFrames() const {
    return number(&AudioDeviceInfo::bufferSizeInFrames, "KivAudioDevice::bufferSizeInFrames",
                  __LINE__);
}

bool KivAudioDevice::setBufferSizeInFrames(std::uint32_t frames) {
    if (!_hardware->setBufferSizeInFrames(_deviceID, frames)) {
        logStatusError(kKivAudioHardwareBadObjectError, "KivAudioDevice::setBufferSizeInFrames",
                       __LINE__);
        return false;
    }
    return true;
}

std::uint32_t KivAudioDevice::minBufferSizeInFrames() const {
    return number(&AudioDeviceInfo::minBufferSizeInFrames, "KivAudioDevice::minBufferSizeInFrames",
                  __LINE__);
}

std::uint32_t KivAudioDevice::maxBufferSizeInFrames() const {
    return number(&AudioDeviceInfo::maxBufferSizeInFrames, "KivAudioDevice::maxBufferSizeInFrames",
                  __LINE__);
}

std::uint32_t KivAudioDevice::inputChannels() const {
    return number(&AudioDeviceInfo::inputChannels, "KivAudioDevice::inputChannels", __LINE__);
}

std::uint32_t KivAudioDevice::outputChannels() const {
    return number(&AudioDeviceInfo::outputChannels, "KivAudioDevice::outputChannels", __LINE__);
}

KivAudioStreamDescription KivAudioDevice::outputStreamDescription() const {
    auto found = info("KivAudioDevice::outputStreamDescription", __LINE__);
    if (!found) {
        return KivAudioStreamDescription(KivStreamBasicDescription{});
    }
    return KivAudioStreamDescription(found->nominalSampleRate, found->outputChannels);
}

std::string KivAudioDevice::description() const {
    return name().value_or("");
}

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

template <class F>
bool KivAudioDevice::withVolumes(F&& f) const {
    std::shared_lock mixerLock(_mixerMutex);
    if (!_volumes) {
        return false;
    }
    f(*_volumes);
    return true;
}

float KivAudioDevice::masterVolume() const {
    float volume = 0.0f;
    withVolumes([&](KivDeviceVolumes& v) { volume = v.masterVolume(); });
    return volume;
}

void KivAudioDevice::setMasterVolume(float volume) {
    withVolumes([&](KivDeviceVolumes& v) { v.setMasterVolume(volume); });
}

void KivAudioDevice::setInputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setInputVolume(volume, channel); });
}

void KivAudioDevice::setOutputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setOutputVolume(volume, channel); });
}

void KivAudioDevice::setCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
    withVolumes([&](KivDeviceVolumes& v) { v.setCrosspointVolume(volume, input, output); });
}

void KivAudioDevice::_setRawInputVolume(float volume, std::uint32_t channel) {
    withVolumes([&](KivDeviceVolumes& v) { v.setRawInputVolume(volume, channel); });
}

void KivAudioDevice::_setRawCrosspointVolume(float volume, std::uint32_t input,
                                             std::uint32_t output) {
    withVolumes([&](KivDeviceVolumes& v) { v.setRawCrosspointVolume(volume, input, output); });
}

void KivAudioDevice::setVolume(float volume, std::uint32_t row, std::uint32_t column) {
    withVolumes([&](KivDeviceVolumes& v) { v.setVolume(volume, row, column); });
}

void KivAudioDevice::setSilentCrosspoints() {
    withVolumes([&](KivDeviceVolumes& v) { v.setSilentCrosspoints(); });
}

void KivAudioDevice::setDefaultVolumes() {
    withVolumes([&](KivDeviceVolumes& v) { v.setDefaultVolumes(); });
}

void KivAudioDevice::setSilentVolumes() {
    withVolumes([&](KivDeviceVolumes& v) { v.setSilentVolumes(); });
}

float KivAudioDevice::outPostAveragePowerAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withVolumes([&](KivDeviceVolumes& v) { level = v.outPostAveragePower(channel); });
    return level;
}

float KivAudioDevice::outPostPeakHoldLevelAtChannel(std::uint32_t channel) const {
    float level = kMeterFloorDb;
    withVolumes([&](KivDeviceVolumes& v) { level = v.outPostPeakHoldLevel(channel); });
    return level;
}

void KivAudioDevice::printVolumes() const {
    std::string text;
    {
        std::shared_lock mixerLock(_mixerMutex);
        if (!_mixer) {
            return;
        }
        text = volumesText(_mixer->levels());
    }
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void KivAudioDevice::fadeToMasterVolume(float volume, double time) {
    _fades->fadeTo(volume, time);
}

void KivAudioDevice::useSteppedFades(const Clock& clock) {
    _fades->endFades();
    _fades = std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), clock,
                                             KivFadeRunner::Mode::Stepped);
}

std::size_t KivAudioDevice::stepFades() {
    return _fades->stepFades();
}

void KivAudioDevice::render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept {
    _actions.runPending();
    if (!_busMap || buffer.frames == 0) {
        return;
    }
    KivRenderFlags flags = 0;
    const KivRenderTimeStamp timeStamp{static_cast<double>(time.sampleTime), time.hostTime};
    if (buffer.interleaved) {
        renderInterleaved(flags, timeStamp, buffer);
    } else {
        _busMap->pull(flags, timeStamp, {buffer.data, buffer.channels, buffer.frames});
    }
    silenceNonFinite(time, buffer);
}

void KivAudioDevice::silenceNonFinite(const AudioRenderTime& time,
                                      const AudioOutputBuffer& buffer) noexcept {
    // The last guard before the speakers: whatever let a NaN or an infinity
    // through upstream, the block goes out silent.
    const std::uint32_t planes = buffer.interleaved ? 1 : buffer.channels;
    const std::size_t samples =
        std::size_t(buffer.frames) * (buffer.interleaved ? buffer.channels : 1);
    bool found = false;
    for (std::uint32_t p = 0; p < planes && !found; ++p) {
        found = holdsNonFinite(buffer.data[p], samples);
    }
    if (!found) {
        return;
    }
    for (std::uint32_t p = 0; p < planes; ++p) {
        std::fill_n(buffer.data[p], samples, 0.0f);
    }
    _nonFiniteBlocks.fetch_add(1, std::memory_order_relaxed);
    _nonFiniteWarnings.logFormat(static_cast<double>(time.sampleTime) / _renderRate,
                                 "Warning: audio device %u rendered a non-finite sample; the block "
                                 "of %u frames was silenced",
                                 static_cast<unsigned>(_deviceID), buffer.frames);
}

void KivAudioDevice::renderInterleaved(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                       const AudioOutputBuffer& buffer) noexcept {
    const std::uint32_t channels = buffer.channels;
    const std::uint32_t block =
        channels == 0 ? 0 : static_cast<std::uint32_t>(_scratch.size() / channels);
    if (block == 0 || channels != _scratchChannels.size()) {
        return;
    }
    KivRenderTimeStamp blockTime = timeStamp;
    for (std::uint32_t done = 0; done < buffer.frames;) {
        const std::uint32_t frames = std::min(block, buffer.frames - done);
        _busMap->pull(flags, blockTime, {_scratchChannels.data(), channels, frames});
        float* out = buffer.data[0] + std::size_t(done) * channels;
        for (std::uint32_t f = 0; f < frames; ++f) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                out[std::size_t(f) * channels + c] = _scratchChannels[c][f];
            }
        }
        done += frames;
        blockTime.sampleTime += frames;
    }
}

void KivAudioDevice::deviceChanged(std::uint32_t selector) {
    KivAudioDeviceDelegate* d = delegate();
    if (selector == kKivDevicePropertyDeviceIsAlive) {
        // Any change of liveness is a death; the value is not read.
        _died.store(true, std::memory_order_release);
        if (KivEnvironment::logLevel() >= 3) {
            logFormat("Audio device %u died", static_cast<unsigned>(_deviceID));
        }
        close();
        if (d) {
            d->audioDeviceDidDie(*this);
        }
    } else if (selector == kKivDevicePropertyProcessorOverload) {
        if (d) {
            d->audioDeviceDidOverload(*this);
        }
    } else if (selector == kKivDevicePropertyNominalSampleRate) {
        // The stream keeps its rate; whoever cares reopens the device.
        if (d) {
            d->audioDeviceNominalSampleRateDidChange(*this);
        }
    }
}
