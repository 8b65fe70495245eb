#include "audio/source/KivSourceGraph.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/effects/KivEffectChain.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStream.h"
#include "audio/render/KivEdgeRamp.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivAudioFile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

KivSourceGraph::KivSourceGraph(const Clock& clock)
    : _clock(clock)
    , _effectBus(std::make_unique<KivEffectBus>())
    , _stream(std::make_unique<KivStream>())
    , _timeWeWereStopped(std::numeric_limits<double>::quiet_NaN())
    , _gains(_validStream, _isPlaying) {}

KivSourceGraph::~KivSourceGraph() = default;

bool KivSourceGraph::createStream() {
    return _stream->create();
}

void KivSourceGraph::setUnitReplacedHandler(std::function<void()> handler) {
    _stream->setUnitReplacedHandler(std::move(handler));
}

std::unique_ptr<KivAudioMetaBuffer> KivSourceGraph::teardown() {
    std::unique_ptr<KivAudioMetaBuffer> buffer;
    {
        std::lock_guard render(_renderMutex);
        _validStream.store(false);
        buffer = _reader.exchangeBuffer(nullptr, 0);
        _chains.install(nullptr);
    }
    _chains.freeLeft();
    _stream->setUnitReplacedHandler(nullptr);
    _effectBus->removeEffectsFromStream(*_stream);
    _stream->destroy();
    return buffer;
}

std::vector<std::shared_ptr<KivEffect>> KivSourceGraph::effects() const {
    return _effectBus->effects();
}

void KivSourceGraph::setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
    _effectBus->setEffects(std::move(effects));
    effectsChanged();
}

bool KivSourceGraph::addEffect(const std::shared_ptr<KivEffect>& effect) {
    if (!effect || _effectBus->containsEffect(effect)) {
        return false;
    }
    _effectBus->addEffect(effect);
    effectsChanged();
    return true;
}

bool KivSourceGraph::removeEffect(const std::shared_ptr<KivEffect>& effect) {
    if (!effect || !_effectBus->containsEffect(effect)) {
        return false;
    }
    _effectBus->removeEffect(effect);
    effectsChanged();
    return true;
}

double KivSourceGraph::tailTime() const {
    return _effectBus->tailTime();
}

void KivSourceGraph::effectsChanged() {
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
    handOverChain();
}

void KivSourceGraph::unitReplaced() {
    if (_streamFormat) {
        handOverChain();
    }
}

void KivSourceGraph::handOverChain(std::unique_lock<std::mutex>* render) {
    _chains.freeLeft();
    _chains.takeBackWaiting();
    KivEffectChain* const last = _chains.lastChain();
    const bool crossfade = render == nullptr && _attached && last != nullptr;
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
        const std::vector<KivEffectUnit*> moved = KivEffectChain::moved(last, units);
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
        std::move(units), crossfade ? last : nullptr, _streamFormat->channels(),
        _stream->maximumFramesPerSlice(), _streamFormat->sampleRate());
    if (render != nullptr) {
        _chains.install(std::move(chain));
    } else if (_attached) {
        _chains.handOver(std::move(chain));
    } else {
        // Nothing pulls the source: no way between the chains to run.
        std::lock_guard lock(_renderMutex);
        _chains.install(std::move(chain));
    }
}

void KivSourceGraph::detached() {
    _attached = false;
    std::lock_guard render(_renderMutex);
    _chains.settle();
}

void KivSourceGraph::rebuild(const std::shared_ptr<KivAlias>& alias,
                             const std::optional<KivAudioStreamDescription>& outFormat,
                             bool hasDevice) {
    // Renders that begin from here on play silence without waiting.
    _validStream.store(false, std::memory_order_release);
    const MatrixLevels savedLevels = _gains.levels();

    // Files are opened here, outside the render lock.
    std::unique_ptr<KivAudioMetaBuffer> nextBuffer;
    std::unique_ptr<MatrixMixer> nextMixer;
    std::optional<KivAudioStreamDescription> nextFormat;
    std::uint32_t outChannels = 0;
    const auto fileFormat = KivAudioFile::fileFormatForAlias(alias);
    const std::uint32_t fileChannels = fileFormat ? fileFormat->channels() : 0;
    if (hasDevice && fileFormat && outFormat && fileChannels > 0) {
        KivAudioStreamDescription format = *outFormat;
        format.setChannels(fileChannels);
        outChannels = outFormat->channels();
        nextBuffer = _reader.makeBuffer(alias, format, _clock);
        // Nothing in the program reads a source's meters: they run only
        // once someone does.
        nextMixer = MatrixMixer::create({{fileChannels},
                                         {outChannels},
                                         _stream->maximumFramesPerSlice(),
                                         format.sampleRate(),
                                         false,
                                         false});
        if (nextBuffer && nextMixer) {
            // Routing and gains survive a rebuild; a file of more channels
            // than the last one has its new channels on their own feeds
            // rather than silent.
            if (!savedLevels.inputs.empty()) {
                nextMixer->setLevels(savedLevels.resized(fileChannels, outChannels));
            }
            nextFormat = format;
        } else {
            nextBuffer.reset();
            nextMixer.reset();
        }
    }

    std::unique_ptr<KivAudioMetaBuffer> oldBuffer;
    std::unique_ptr<MatrixMixer> oldMixer;
    {
        std::unique_lock render(_renderMutex);
        KivStreamLock lock(*_stream);
        oldBuffer = _reader.exchangeBuffer(nullptr, 0);
        oldMixer = _gains.exchangeMixer(std::move(nextMixer));
        _fileChannels = fileChannels;
        _streamFormat = nextFormat;
        _mixerInChannels = _streamFormat ? fileChannels : 0;
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
            handOverChain(&render);

            _reader.exchangeBuffer(std::move(nextBuffer), _mixerInChannels);
            _scratchFrames = _stream->maximumFramesPerSlice();
            _scratch.assign(std::size_t(_mixerInChannels) * _scratchFrames, 0.0f);
            _chainChannels.assign(_mixerInChannels, nullptr);
            _validStream.store(true, std::memory_order_release);
        }
    }
    // Stopping a read-ahead worker waits for its file read: outside the lock.
    if (oldBuffer) {
        oldBuffer->killWorker();
    }
}
