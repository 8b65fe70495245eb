#include "audio/effects/KivAudioSend.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/effects/KivStream.h"
#include "audio/render/KivAudioBusMap.h"
#include "audio/render/MatrixMixer.h"
#include "foundation/KivClock.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/NotificationCenter.h"

#include <algorithm>

// The input end of one effect bus: its aux channels of the split mix.
struct KivAudioSend::AuxInput {
    const KivAudioSend* send = nullptr;
    std::uint32_t firstChannel = 0;

    static std::int32_t render(void* target, const char*, KivRenderFlags&,
                               const KivRenderTimeStamp&, std::uint32_t,
                               const AudioChannels& data) {
        const auto* input = static_cast<const AuxInput*>(target);
        input->send->copySplit(input->firstChannel, data);
        return 0;
    }
    KivRenderInfo info() { return {this, "_auxRender", &AuxInput::render}; }
};

std::shared_ptr<KivAudioSend> KivAudioSend::create() {
    std::shared_ptr<KivAudioSend> send(new KivAudioSend());
    send->_stream = std::make_unique<KivStream>();
    if (!send->_stream->create()) {
        logLine("Error: KivAudioSend could not create a stream.");
        return nullptr;
    }
    return send;
}

KivAudioSend::~KivAudioSend() {
    std::lock_guard control(_controlMutex);
    if (_device) {
        _device->_detachAudio(*this);
        _device->disengage();
    }
    for (const auto& bus : _effectBusses) {
        bus->removeEffectsFromStream(*_stream);
    }
    for (const auto& bus : _deadBusses) {
        bus->removeEffectsFromStream(*_stream);
    }
    _stream->destroy();
}

KivAudioDevice* KivAudioSend::device() const {
    return _devicePointer.load(std::memory_order_acquire);
}

void KivAudioSend::setDevice(std::shared_ptr<KivAudioDevice> device) {
    {
        std::lock_guard control(_controlMutex);
        if (device == _device) {
            return;
        }
        if (_device) {
            _device->_detachAudio(*this);
            _device->disengage();
        }
        _device = std::move(device);
        _devicePointer.store(_device.get(), std::memory_order_release);
        if (_device) {
            _device->engage();
        }
        updateDescriptionLocked();
        updateStreamLocked();
    }
    postUpdate();
}

std::optional<KivAudioStreamDescription> KivAudioSend::inputFormat() const {
    std::lock_guard control(_controlMutex);
    return _inputFormat;
}

std::uint32_t KivAudioSend::auxChannels() const {
    std::lock_guard control(_controlMutex);
    return _auxChannels;
}

bool KivAudioSend::hasAudioAttached() const {
    std::lock_guard control(_controlMutex);
    return !_attachedAudio.empty();
}

std::vector<std::shared_ptr<KivEffectBus>> KivAudioSend::effectBusses() const {
    std::lock_guard control(_controlMutex);
    return _effectBusses;
}

void KivAudioSend::addEffectBus(std::shared_ptr<KivEffectBus> bus) {
    {
        std::lock_guard control(_controlMutex);
        if (!bus ||
            std::find(_effectBusses.begin(), _effectBusses.end(), bus) != _effectBusses.end()) {
            return;
        }
        _effectBusses.push_back(std::move(bus));
        updateStreamLocked();
    }
    postUpdate();
}

void KivAudioSend::removeEffectBus(const std::shared_ptr<KivEffectBus>& bus) {
    {
        std::lock_guard control(_controlMutex);
        auto found = std::find(_effectBusses.begin(), _effectBusses.end(), bus);
        if (found == _effectBusses.end()) {
            return;
        }
        _deadBusses.push_back(*found);
        _effectBusses.erase(found);
        updateStreamLocked();
    }
    postUpdate();
}

void KivAudioSend::removeAllEffectBusses() {
    {
        std::lock_guard control(_controlMutex);
        _deadBusses.insert(_deadBusses.end(), _effectBusses.begin(), _effectBusses.end());
        _effectBusses.clear();
        updateStreamLocked();
    }
    postUpdate();
}

std::shared_ptr<KivEffectBus> KivAudioSend::busAtChannel(std::uint32_t channel) const {
    std::lock_guard control(_controlMutex);
    std::uint32_t first = 0;
    for (const auto& bus : _effectBusses) {
        if (channel < first + bus->channels()) {
            return bus;
        }
        first += bus->channels();
    }
    return nullptr;
}

void KivAudioSend::updateStream() {
    {
        std::lock_guard control(_controlMutex);
        updateStreamLocked();
    }
    postUpdate();
}

void KivAudioSend::postUpdate() {
    // Sources rebuild on it and ask this send for its format: no lock held.
    NotificationCenter::defaultCenter().post(kKivAudioSendDidUpdateStreamNotification, this);
}

void KivAudioSend::updateStreamLocked() {
    _validStream.store(false, std::memory_order_release);
    const auto feed = _device ? _device->_outFeedFormat() : std::nullopt;
    std::uint32_t aux = 0;
    std::vector<std::uint32_t> mergeBuses{feed ? feed->channels() : 0};
    for (const auto& bus : _effectBusses) {
        aux += bus->channels();
        mergeBuses.push_back(bus->channels());
    }
    const std::uint32_t feedChannels = feed ? feed->channels() : 0;
    const std::uint32_t inChannels = feedChannels + aux;
    const std::uint32_t maxFrames = _stream->maximumFramesPerSlice();

    std::unique_ptr<MatrixMixer> split;
    std::unique_ptr<MatrixMixer> merge;
    if (feed) {
        split = MatrixMixer::create({std::vector<std::uint32_t>(kKivAudioBusCount, inChannels),
                                     {inChannels},
                                     maxFrames,
                                     feed->sampleRate()});
        merge = MatrixMixer::create({mergeBuses, {feedChannels}, maxFrames, feed->sampleRate()});
    }
    std::unique_ptr<KivAudioBusMap> busMap;
    if (split && merge) {
        // Every bus's channel k goes to split output k: the main feed and the aux sends.
        for (std::uint32_t bus = 0; bus < kKivAudioBusCount; ++bus) {
            for (std::uint32_t k = 0; k < inChannels; ++k) {
                const std::uint32_t n = bus * inChannels + k;
                split->setParameter(MixerParameter::Volume, MixerScope::Global,
                                    mixerCrosspointElement(n, k), 1.0f);
            }
        }
        for (std::uint32_t k = 0; k < feedChannels; ++k) {
            merge->setParameter(MixerParameter::Volume, MixerScope::Global,
                                mixerCrosspointElement(k, k), 1.0f);
        }
        busMap = std::make_unique<KivAudioBusMap>(*split);
    }

    std::unique_ptr<MatrixMixer> oldSplit;
    std::unique_ptr<MatrixMixer> oldMerge;
    std::unique_ptr<KivAudioBusMap> oldBusMap;
    std::vector<std::unique_ptr<AuxInput>> oldInputs;
    {
        KivStreamLock lock(*_stream);
        _stream->uninitialize();
        for (const auto& bus : _deadBusses) {
            bus->saveState();
            bus->removeEffectsFromStream(*_stream);
        }
        _deadBusses.clear();
        for (const auto& bus : _effectBusses) {
            bus->saveState();
            bus->removeEffectsFromStream(*_stream);
        }
        _stream->close();
        {
            std::unique_lock mixerLock(_mixerMutex);
            oldSplit = std::move(_splitMixer);
            oldMerge = std::move(_mergeMixer);
            oldBusMap = std::move(_busMap);
            _splitMixer = std::move(split);
            _mergeMixer = std::move(merge);
            _busMap = std::move(busMap);
        }
        oldInputs = std::move(_auxInputs);
        _returns.assign(_effectBusses.size(), KivRenderInfo{});
        _auxChannels = aux;
        _splitMixerInChannels = inChannels;
        _inputFormat.reset();
        if (_splitMixer) {
            KivAudioStreamDescription format = *feed;
            format.setChannels(inChannels);
            _inputFormat = format;
            for (const auto& bus : _effectBusses) {
                bus->addEffectsToStream(*_stream);
            }
            _stream->open();
            std::uint32_t first = feedChannels;
            for (const auto& bus : _effectBusses) {
                bus->restoreState();
                bus->setFormat(KivAudioStreamDescription(feed->sampleRate(), bus->channels()));
                bus->setProperties();
                _auxInputs.push_back(std::make_unique<AuxInput>(AuxInput{this, first}));
                first += bus->channels();
            }
            _stream->initialize();
            for (std::size_t i = 0; i < _effectBusses.size(); ++i) {
                _effectBusses[i]->connectEffects();
                _effectBusses[i]->setRenderCallback(_auxInputs[i]->info());
                _effectBusses[i]->registerRenderInfo(&_returns[i]);
                _effectBusses[i]->setParameters();
            }
            _blockFrames = maxFrames;
            _splitSamples.assign(std::size_t(inChannels) * maxFrames, 0.0f);
            _splitChannels.resize(inChannels);
            for (std::uint32_t k = 0; k < inChannels; ++k) {
                _splitChannels[k] = _splitSamples.data() + std::size_t(k) * maxFrames;
            }
            _blockOutputs.assign(feedChannels, nullptr);
            _validStream.store(true, std::memory_order_release);
        }
    }
    // The sources already attached take the same places on the new buses.
    if (_busMap) {
        for (KivAudioPlayable* thing : _attachedAudio) {
            _busMap->attach(*thing, _descriptionText, thing->description());
        }
    } else {
        _attachedAudio.clear();
    }
}

void KivAudioSend::setAuxCrosspointVolume(float volume, std::uint32_t input, std::uint32_t output) {
    std::lock_guard control(_controlMutex);
    std::shared_lock mixerLock(_mixerMutex);
    if (!_mergeMixer) {
        return;
    }
    const std::uint32_t n = input + _splitMixerInChannels - _auxChannels;
    const std::int32_t status = _mergeMixer->setParameter(
        MixerParameter::Volume, MixerScope::Global, mixerCrosspointElement(n, output), volume);
    if (status != MixerStatus::Ok) {
        logStatusError(status, "KivAudioSend::setAuxCrosspointVolume", __LINE__);
    }
}

bool KivAudioSend::_attachAudio(KivAudioPlayable& thing) {
    const std::string thingName = thing.description();
    std::lock_guard control(_controlMutex);
    if (!_busMap || !_device) {
        logFormat("Error: %s has no stream, so it can't attach %s", _descriptionText.c_str(),
                  thingName.c_str());
        return false;
    }
    if (std::find(_attachedAudio.begin(), _attachedAudio.end(), &thing) != _attachedAudio.end()) {
        return true;
    }
    if (_busMap->freeBusCount() == 0) {
        logFormat("Error: No busses left for send %s; can't attach %s", _descriptionText.c_str(),
                  thingName.c_str());
        return false;
    }
    if (!_busMap->attach(thing, _descriptionText, thingName)) {
        return false;
    }
    if (_attachedAudio.empty() && !_device->_attachAudio(*this)) {
        _busMap->detach(thing, _descriptionText, thingName);
        return false;
    }
    _attachedAudio.push_back(&thing);
    return true;
}

void KivAudioSend::_detachAudio(KivAudioPlayable& thing) {
    const std::string thingName = thing.description();
    std::lock_guard control(_controlMutex);
    auto found = std::find(_attachedAudio.begin(), _attachedAudio.end(), &thing);
    if (found == _attachedAudio.end()) {
        return;
    }
    _attachedAudio.erase(found);
    if (_busMap) {
        _busMap->detach(thing, _descriptionText, thingName);
    }
    if (_attachedAudio.empty() && _device) {
        _device->_detachAudio(*this);
    }
}

std::int32_t KivAudioSend::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                  std::uint32_t, const AudioChannels& data) {
    KivStreamLock lock(*_stream, std::try_to_lock);
    const bool ready = lock.ownsLock() && _validStream.load(std::memory_order_acquire) &&
                       data.channelCount == _blockOutputs.size();
    if (!ready) {
        KivSilenceAudioBufferList(data);
        return 0;
    }
    std::int32_t status = 0;
    _cycleFlags = &flags;
    KivRenderTimeStamp blockTime = timeStamp;
    _cycleTimeStamp = &blockTime;
    for (std::uint32_t done = 0; done < data.frameCount;) {
        const std::uint32_t frames = std::min(_blockFrames, data.frameCount - done);
        _busMap->pull(
            flags, blockTime,
            {_splitChannels.data(), static_cast<std::uint32_t>(_splitChannels.size()), frames});
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            _blockOutputs[k] = data.channels[k] != nullptr ? data.channels[k] + done : nullptr;
        }
        const std::int32_t merged =
            _mergeMixer->process(*this, {_blockOutputs.data(), data.channelCount, frames});
        if (merged != 0) {
            _renderErrors.logStatusError(CurrentTimeInSeconds(), merged, "KivAudioSend::render",
                                         __LINE__);
            status = merged;
        }
        done += frames;
        blockTime.sampleTime += frames;
    }
    _cycleFlags = nullptr;
    _cycleTimeStamp = nullptr;
    return status;
}

std::int32_t KivAudioSend::renderBus(std::uint32_t bus, const AudioChannels& channels) {
    if (bus == 0) {
        copySplit(0, channels);
        return 0;
    }
    const KivRenderInfo& effectReturn = _returns[bus - 1];
    if (effectReturn.isSet()) {
        return effectReturn.call(*_cycleFlags, *_cycleTimeStamp, 0, channels);
    }
    return _auxInputs[bus - 1]->render(_auxInputs[bus - 1].get(), nullptr, *_cycleFlags,
                                       *_cycleTimeStamp, 0, channels);
}

void KivAudioSend::copySplit(std::uint32_t first, const AudioChannels& channels) const {
    for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
        if (float* out = channels.channels[k]) {
            const float* in = _splitChannels[first + k];
            std::copy(in, in + channels.frameCount, out);
        }
    }
}

std::string KivAudioSend::description() const {
    std::lock_guard lock(_descriptionMutex);
    return _descriptionText;
}

void KivAudioSend::updateDescriptionLocked() {
    std::string text = _device ? "[KivAudioSend assigned to " + _device->description() + "]"
                               : std::string("[unassigned KivAudioSend]");
    std::lock_guard lock(_descriptionMutex);
    _descriptionText = std::move(text);
}
