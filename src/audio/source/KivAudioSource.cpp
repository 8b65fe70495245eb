#include "audio/source/KivAudioSource.h"

#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivAudioSend.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/effects/KivEffectChain.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStream.h"
#include "audio/render/KivEdgeRamp.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivAudioFile.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "platform/alias/KivAlias.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// What a rebuild makes before it takes the render lock: opening the file and
// starting read-ahead never happen under it.
struct Prepared {
    std::optional<KivAudioStreamDescription> streamFormat;
    std::unique_ptr<KivAudioMetaBuffer> buffer;
    std::unique_ptr<MatrixMixer> mixer;
    std::uint32_t fileChannels = 0;
    std::uint32_t outChannels = 0;
};

} // namespace

std::shared_ptr<KivAudioSource> KivAudioSource::create(Scheduler& scheduler, const Clock& clock) {
    std::shared_ptr<KivAudioSource> source(new KivAudioSource(scheduler, clock));
    if (!source->_stream->create()) {
        logLine("Error: KivAudioSource could not create a stream.");
        return nullptr;
    }
    source->_weakSelf = source;
    std::weak_ptr<KivAudioSource> weak = source;
    source->_sendObservation = NotificationCenter::defaultCenter().addObserver(
        kKivAudioSendDidUpdateStreamNotification, nullptr, [weak](const Notification& note) {
            if (auto self = weak.lock()) {
                self->sendDidUpdateStream(note.object);
            }
        });
    source->_stream->setUnitReplacedHandler([weak] {
        if (auto self = weak.lock()) {
            self->unitReplaced();
        }
    });
    {
        std::lock_guard control(source->_controlMutex);
        source->updateDescriptionLocked();
    }
    return source;
}

KivAudioSource::KivAudioSource(Scheduler& scheduler, const Clock& clock)
    : _scheduler(scheduler)
    , _clock(clock)
    , _effectBus(std::make_unique<KivEffectBus>())
    , _stream(std::make_unique<KivStream>())
    , _timeWeWereStopped(std::numeric_limits<double>::quiet_NaN())
    , _fades(std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), _steadyClock)) {}

KivAudioSource::~KivAudioSource() {
    _sendObservation.disconnect();
    _fades->endFades();
    std::unique_ptr<KivAudioMetaBuffer> buffer;
    {
        std::lock_guard control(_controlMutex);
        stopAndDetachLocked();
        if (_device) {
            _device->disengage();
        }
        {
            std::lock_guard render(_renderMutex);
            _validStream.store(false);
            buffer = std::move(_buffer);
            _readInfo.clear();
            installChain(nullptr);
        }
        _leftChains.freeAll();
        _stream->setUnitReplacedHandler(nullptr);
        _effectBus->removeEffectsFromStream(*_stream);
        _stream->destroy();
    }
    if (buffer) {
        buffer->killWorker();
    }
}

std::shared_ptr<KivAlias> KivAudioSource::alias() const {
    std::lock_guard control(_controlMutex);
    return _alias;
}

void KivAudioSource::setAlias(std::shared_ptr<KivAlias> alias) {
    std::lock_guard control(_controlMutex);
    if (alias == _alias) {
        return;
    }
    _alias = std::move(alias);
    updateStream();
}

KivAudioDevice* KivAudioSource::device() const {
    return _devicePointer.load(std::memory_order_acquire);
}

std::shared_ptr<KivAudioDevice> KivAudioSource::sharedDevice() const {
    std::lock_guard control(_controlMutex);
    return _device;
}

void KivAudioSource::setDevice(std::shared_ptr<KivAudioDevice> device) {
    std::lock_guard control(_controlMutex);
    if (device == _device) {
        return;
    }
    stopAndDetachLocked();
    if (_device) {
        _device->disengage();
    }
    _device = std::move(device);
    _devicePointer.store(_device.get(), std::memory_order_release);
    if (_device) {
        _device->engage();
    }
    updateStream();
}

std::shared_ptr<KivAudioSend> KivAudioSource::send() const {
    std::lock_guard control(_controlMutex);
    return _send;
}

void KivAudioSource::setSend(std::shared_ptr<KivAudioSend> send) {
    std::lock_guard control(_controlMutex);
    if (send == _send) {
        return;
    }
    stopAndDetachLocked();
    _send = std::move(send);
    updateStream();
}

void KivAudioSource::sendDidUpdateStream(const void* send) {
    std::lock_guard control(_controlMutex);
    if (send != nullptr && send == _send.get()) {
        updateStream();
    }
}

nlohmann::json KivAudioSource::slices() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->slices() : nlohmann::json::array();
}

bool KivAudioSource::setSlices(const nlohmann::json& slices) {
    std::lock_guard control(_controlMutex);
    if (!_buffer || !_buffer->setSlices(slices)) {
        return false;
    }
    // New slices play from the first one's start.
    _buffer->goToTime(0.0);
    return true;
}

std::vector<std::shared_ptr<KivEffect>> KivAudioSource::effects() const {
    std::lock_guard control(_controlMutex);
    return _effectBus->effects();
}

void KivAudioSource::setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
    std::lock_guard control(_controlMutex);
    _effectBus->setEffects(std::move(effects));
    effectsChangedLocked();
}

void KivAudioSource::addEffect(const std::shared_ptr<KivEffect>& effect) {
    std::lock_guard control(_controlMutex);
    if (!effect || _effectBus->containsEffect(effect)) {
        return;
    }
    _effectBus->addEffect(effect);
    effectsChangedLocked();
}

void KivAudioSource::removeEffect(const std::shared_ptr<KivEffect>& effect) {
    std::lock_guard control(_controlMutex);
    if (!effect || !_effectBus->containsEffect(effect)) {
        return;
    }
    _effectBus->removeEffect(effect);
    effectsChangedLocked();
}

void KivAudioSource::effectsChangedLocked() {
    if (!_streamFormat) {
        // Nothing is built: the next rebuild places them.
        return;
    }
    {
        // The stream's render lock proves the units' preparation; the render
        // path does not take it, so it plays on meanwhile.
        KivStreamLock lock(*_stream);
        _effectBus->removeDeadEffectsFromStream(*_stream);
        _effectBus->addEffectsToStream(*_stream);
        _effectBus->setProperties();
        _effectBus->setParameters();
    }
    handOverChainLocked();
}

void KivAudioSource::unitReplaced() {
    std::lock_guard control(_controlMutex);
    if (_streamFormat) {
        handOverChainLocked();
    }
}

void KivAudioSource::handOverChainLocked(std::unique_lock<std::mutex>* render) {
    _leftChains.freeAll();
    // One the render thread has not taken yet never reached it: the new one
    // follows what that one followed.
    if (std::unique_ptr<KivEffectChain> waiting{
            _handedOverChain.exchange(nullptr, std::memory_order_acq_rel)}) {
        _lastChain = _waitingFollows;
    }
    const bool crossfade = render == nullptr && _attached && _lastChain != nullptr;
    const auto used = [this] {
        std::vector<std::shared_ptr<KivEffectUnit>> units;
        for (const auto& effect : _effectBus->usedEffects()) {
            if (auto unit = _stream->sharedUnitForNode(effect->node())) {
                units.push_back(std::move(unit));
            }
        }
        return units;
    };
    std::vector<std::shared_ptr<KivEffectUnit>> units = used();
    if (crossfade) {
        // A unit runs once a block: one that moves against the others gets
        // a new unit, so that the old one plays on in its old place meanwhile.
        const std::vector<KivEffectUnit*> moved = KivEffectChain::moved(_lastChain, units);
        // Held so that the stream does not call back for the units replaced here.
        KivStreamLock lock(*_stream);
        for (const auto& effect : _effectBus->usedEffects()) {
            if (std::find(moved.begin(), moved.end(), effect->unit()) != moved.end()) {
                std::int32_t status = 0;
                if (auto fresh = _stream->makeUnitLike(effect->node(), status)) {
                    _stream->replaceUnit(effect->node(), std::move(fresh));
                }
            }
        }
        units = used();
    }
    for (const auto& unit : units) {
        unit->handToRenderPath();
    }
    auto chain = std::make_unique<KivEffectChain>(
        std::move(units), crossfade ? _lastChain : nullptr, _streamFormat->channels(),
        _stream->maximumFramesPerSlice(), _streamFormat->sampleRate());
    if (render != nullptr) {
        installChain(std::move(chain));
    } else if (_attached) {
        _waitingFollows = std::exchange(_lastChain, chain.get());
        _handedOverChain.store(chain.release(), std::memory_order_release);
    } else {
        // Nothing pulls the source: no way between the chains to run.
        std::lock_guard lock(_renderMutex);
        installChain(std::move(chain));
    }
}

void KivAudioSource::installChain(std::unique_ptr<KivEffectChain> chain) {
    delete _handedOverChain.exchange(nullptr, std::memory_order_acq_rel);
    delete _leavingChain;
    delete _chain;
    _leavingChain = nullptr;
    _transitionDone = 0;
    _chain = chain.release();
    _lastChain = _chain;
}

void KivAudioSource::settleChainLocked() {
    std::lock_guard render(_renderMutex);
    if (std::unique_ptr<KivEffectChain> waiting{
            _handedOverChain.exchange(nullptr, std::memory_order_acq_rel)}) {
        installChain(std::move(waiting));
    } else if (_leavingChain != nullptr) {
        _leftChains.push(std::exchange(_leavingChain, nullptr));
    }
    _leftChains.freeAll();
}

double KivAudioSource::tailTime() const {
    std::lock_guard control(_controlMutex);
    return _effectBus->tailTime();
}

bool KivAudioSource::isValid() const {
    return _validStream.load(std::memory_order_acquire);
}

std::uint32_t KivAudioSource::fileChannels() const {
    std::lock_guard control(_controlMutex);
    return _fileChannels;
}

std::uint32_t KivAudioSource::micChannels() const {
    std::lock_guard control(_controlMutex);
    return _alias || !_device ? 0 : _device->inputChannels();
}

KivAudioSourceDelegate* KivAudioSource::delegate() const {
    std::lock_guard control(_controlMutex);
    return _delegate;
}

void KivAudioSource::setDelegate(KivAudioSourceDelegate* delegate) {
    std::lock_guard control(_controlMutex);
    _delegate = delegate;
}

void KivAudioSource::useManualBuffers() {
    std::lock_guard control(_controlMutex);
    _bufferWorker = KivAudioMetaBufferWorker::Manual;
    updateStream();
}

void KivAudioSource::tendBuffers() {
    std::lock_guard control(_controlMutex);
    if (_buffer) {
        while (_buffer->tendOnce()) {
        }
        _buffer->fillBuffersOnce();
    }
}

void KivAudioSource::updateStream() {
    // Renders that begin from here on play silence without waiting.
    _validStream.store(false, std::memory_order_release);

    MatrixLevels savedLevels;
    {
        std::shared_lock mixerLock(_mixerMutex);
        if (_mixer) {
            savedLevels = _mixer->levels();
        }
    }
    const nlohmann::json savedSlices = _buffer ? _buffer->slices() : nlohmann::json();

    // Files are opened here, outside the render lock.
    Prepared next;
    const auto fileFormat = KivAudioFile::fileFormatForAlias(_alias);
    std::optional<KivAudioStreamDescription> outFormat;
    if (_send) {
        outFormat = _send->inputFormat();
    } else if (_device) {
        outFormat = _device->_outFeedFormat();
    }
    next.fileChannels = fileFormat ? fileFormat->channels() : 0;
    if (_device && fileFormat && outFormat && next.fileChannels > 0) {
        KivAudioStreamDescription format = *outFormat;
        format.setChannels(next.fileChannels);
        next.outChannels = outFormat->channels();
        next.buffer = KivAudioMetaBuffer::create(_alias, &format, _bufferWorker, &_clock);
        // Nothing in the program reads a source's meters: they run only
        // once someone does.
        next.mixer = MatrixMixer::create({{next.fileChannels},
                                          {next.outChannels},
                                          _stream->maximumFramesPerSlice(),
                                          format.sampleRate(),
                                          false,
                                          false});
        if (next.buffer && next.mixer) {
            if (savedSlices.is_array() && !savedSlices.empty()) {
                next.buffer->setSlices(savedSlices);
                // A fresh buffer sits at the file's start, not the first slice's.
                next.buffer->goToTime(0.0);
            }
            // Routing and gains survive a rebuild; a file of more channels
            // than the last one has its new channels on their own feeds
            // rather than silent.
            if (!savedLevels.inputs.empty()) {
                next.mixer->setLevels(savedLevels.resized(next.fileChannels, next.outChannels));
            }
            next.streamFormat = format;
        } else {
            next.buffer.reset();
            next.mixer.reset();
        }
    }

    std::unique_ptr<KivAudioMetaBuffer> oldBuffer;
    std::unique_ptr<MatrixMixer> oldMixer;
    {
        std::unique_lock render(_renderMutex);
        KivStreamLock lock(*_stream);
        oldBuffer = std::move(_buffer);
        _readInfo.clear();
        {
            std::unique_lock mixerLock(_mixerMutex);
            oldMixer = std::move(_mixer);
            _mixer = std::move(next.mixer);
        }
        _fileChannels = next.fileChannels;
        _streamFormat = next.streamFormat;
        _mixerInChannels = _streamFormat ? next.fileChannels : 0;
        _mixerOutChannels = _streamFormat ? next.outChannels : 0;
        if (_streamFormat) {
            // The effects keep their units (and an open editor its effect):
            // a unit whose format changes is prepared again, here, where no
            // render runs.
            _stream->open();
            _effectBus->removeDeadEffectsFromStream(*_stream);
            _effectBus->addEffectsToStream(*_stream);
            _effectBus->setChannels(_streamFormat->channels());
            _effectBus->setFormat(*_streamFormat);
            _effectBus->setProperties();
            _stream->initialize();
            _effectBus->setParameters();
            handOverChainLocked(&render);

            _buffer = std::move(next.buffer);
            _buffer->registerReadFramesInfo(&_readInfo);
            _scratchFrames = _stream->maximumFramesPerSlice();
            _scratch.assign(std::size_t(_mixerInChannels) * _scratchFrames, 0.0f);
            _chainChannels.assign(_mixerInChannels, nullptr);
            _tail.assign(std::size_t(_mixerInChannels) * KivEdgeRamp::kFrames, 0.0f);
            _tailChannels.assign(_mixerInChannels, nullptr);
            for (std::uint32_t k = 0; k < _mixerInChannels; ++k) {
                _tailChannels[k] = _tail.data() + std::size_t(k) * KivEdgeRamp::kFrames;
            }
            _validStream.store(true, std::memory_order_release);
        }
    }
    // Stopping a read-ahead worker waits for its file read: outside the lock.
    if (oldBuffer) {
        oldBuffer->killWorker();
    }
    updateDescriptionLocked();
}

double KivAudioSource::fileLengthInSeconds() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->fileLengthInSeconds() : 0.0;
}

double KivAudioSource::audioLengthInSeconds() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->audioLengthInSeconds() : 0.0;
}

double KivAudioSource::elapsedPlayTime() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->elapsedPlayTime() : 0.0;
}

std::uint64_t KivAudioSource::droppedFrames() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->droppedFrames() : 0;
}

double KivAudioSource::elapsedLogicalTime() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->elapsedLogicalTime() : 0.0;
}

double KivAudioSource::timeUntilLoop() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->timeUntilLoop() : -1.0;
}

double KivAudioSource::currentFileTime() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->currentFileTime() : 0.0;
}

double KivAudioSource::startTime() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->startTime() : 0.0;
}

double KivAudioSource::endTime() const {
    std::lock_guard control(_controlMutex);
    return _buffer ? _buffer->endTime() : 0.0;
}

void KivAudioSource::goToTime(double seconds) {
    std::lock_guard control(_controlMutex);
    if (_buffer) {
        _buffer->goToTime(seconds);
    }
}

std::string KivAudioSource::description() const {
    std::lock_guard lock(_descriptionMutex);
    return _descriptionText;
}

void KivAudioSource::updateDescriptionLocked() {
    std::string text;
    if (!_alias && !_device) {
        text = "[empty audio source]";
    } else {
        const std::string file = _alias ? _alias->description() : "(null)";
        const std::string device = _device ? _device->description() : "(null)";
        text = "[" + file + " played to " + device;
        if (_send) {
            text += " through " + _send->description();
        }
        text += "]";
    }
    std::lock_guard lock(_descriptionMutex);
    _descriptionText = std::move(text);
}
