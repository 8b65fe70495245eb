#include "audio/core/KivAudioBufferList.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/render/KivEdgeRamp.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivSourceGraph.h"

#include <cmath>
#include <limits>

void KivSourceGraph::play() {
    _jumpGainsPending.store(true, std::memory_order_release);
    _hardStopped.store(false, std::memory_order_release);
    _isPlaying.store(true, std::memory_order_release);
}

void KivSourceGraph::stop() {
    _timeWeWereStopped.store(_clock.now());
    _isPlaying.store(false, std::memory_order_release);
}

void KivSourceGraph::hardStop() {
    _timeWeWereStopped.store(_clock.now());
    _hardStopped.store(true, std::memory_order_release);
    _isPlaying.store(false, std::memory_order_release);
}

void KivSourceGraph::clearStopTime() {
    _timeWeWereStopped.store(std::numeric_limits<double>::quiet_NaN());
}

void KivSourceGraph::endPlay() {
    _isPlaying.store(false, std::memory_order_release);
    _hardStopped.store(false, std::memory_order_release);
}

bool KivSourceGraph::wasStopped() const {
    return _hardStopped.load(std::memory_order_acquire) ||
           (!_isPlaying.load(std::memory_order_acquire) && !std::isnan(_timeWeWereStopped.load()));
}

bool KivSourceGraph::stopStillToFade() const {
    if (_hardStopped.load(std::memory_order_acquire)) {
        return _outputOpen.load(std::memory_order_relaxed);
    }
    return !_isPlaying.load(std::memory_order_acquire) && _reader.inputOpen();
}

bool KivSourceGraph::finished() const {
    if (_hardStopped.load(std::memory_order_acquire)) {
        return true;
    }
    const double now = _clock.now();
    const double tail = _effectBus->tailTime();
    if (wasStopped() && now > _timeWeWereStopped.load() + tail) {
        return true;
    }
    return _reader.isFinished(now, tail);
}
std::int32_t KivSourceGraph::render(const AudioChannels& data) {
    const bool hardStopped = _hardStopped.load(std::memory_order_acquire);
    if (!_validStream.load(std::memory_order_acquire) ||
        (hardStopped && !_outputOpen.load(std::memory_order_relaxed))) {
        KivSilenceAudioBufferList(data);
        closeEdges();
        return 0;
    }
    // A rebuild holds the lock: play silence rather than stall the device.
    std::unique_lock lock(_renderMutex, std::try_to_lock);
    if (!lock.owns_lock() || !_validStream.load(std::memory_order_acquire)) {
        _missedCycles.fetch_add(1, std::memory_order_relaxed);
        KivSilenceAudioBufferList(data);
        closeEdges();
        return 0;
    }
    _chains.takeHandedOver();
    _reader.beginCycle();
    MatrixMixer& mixer = _gains.renderMixer();
    if (_jumpGainsPending.exchange(false, std::memory_order_acq_rel)) {
        mixer.jumpToGains();
    }
    _hardStopFading = hardStopped;
    const std::int32_t status = mixer.process(*this, data);
    if (hardStopped) {
        // The effects' tails go too: the whole feed fades out, in this cycle.
        KivEdgeRamp::fadeOut(data, data.frameCount);
        closeEdges();
    } else {
        _outputOpen.store(true, std::memory_order_relaxed);
    }
    _hardStopFading = false;
    if (status != 0) {
        _renderErrors.logStatusError(_clock.now(), status, "KivAudioSource::render", __LINE__);
    }
    return status;
}

std::int32_t KivSourceGraph::renderBus(std::uint32_t, const AudioChannels& channels) {
    // The chain and the meta buffer run on every channel, read or not.
    for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
        _chainChannels[k] = channels.channels[k] != nullptr
                                ? channels.channels[k]
                                : _scratch.data() + std::size_t(k) * _scratchFrames;
    }
    const AudioChannels chain{_chainChannels.data(), channels.channelCount, channels.frameCount};
    finalRender(chain);
    return _chains.process(chain);
}

void KivSourceGraph::finalRender(const AudioChannels& data) {
    _reader.read(data,
                 _isPlaying.load(std::memory_order_acquire) &&
                     !_hardStopped.load(std::memory_order_acquire),
                 _hardStopFading);
}

void KivSourceGraph::closeEdges() {
    _reader.closeInput();
    _outputOpen.store(false, std::memory_order_relaxed);
}
