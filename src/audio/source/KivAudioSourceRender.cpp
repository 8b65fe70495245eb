#include "audio/core/KivAudioBufferList.h"
#include "audio/effects/KivEffectChain.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivAudioSource.h"

#include <algorithm>
#include <utility>

std::int32_t KivAudioSource::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                    std::uint32_t, const AudioChannels& data) {
    if (!_validStream.load(std::memory_order_acquire) ||
        _hardStopped.load(std::memory_order_acquire)) {
        KivSilenceAudioBufferList(data);
        return 0;
    }
    // A rebuild holds the lock: play silence rather than stall the device.
    std::unique_lock lock(_renderMutex, std::try_to_lock);
    if (!lock.owns_lock() || !_validStream.load(std::memory_order_acquire)) {
        _missedCycles.fetch_add(1, std::memory_order_relaxed);
        KivSilenceAudioBufferList(data);
        return 0;
    }
    takeHandedOverChain();
    if (_devampPending.exchange(false, std::memory_order_acq_rel)) {
        _buffer->devamp();
    }
    if (_jumpGainsPending.exchange(false, std::memory_order_acq_rel)) {
        _mixer->jumpToGains();
    }
    _cycleFlags = &flags;
    _cycleTimeStamp = &timeStamp;
    const std::int32_t status = _mixer->process(*this, data);
    _cycleFlags = nullptr;
    _cycleTimeStamp = nullptr;
    if (status != 0) {
        _renderErrors.logStatusError(_clock.now(), status, "KivAudioSource::render", __LINE__);
    }
    return status;
}

void KivAudioSource::takeHandedOverChain() {
    if (_leavingChain != nullptr) {
        // One way at a time: the next chain waits for this one's end.
        return;
    }
    KivEffectChain* next = _handedOverChain.exchange(nullptr, std::memory_order_acq_rel);
    if (next == nullptr) {
        return;
    }
    if (_chain != nullptr && next->follows() == _chain) {
        _leavingChain = _chain;
        _transitionDone = 0;
    } else if (_chain != nullptr) {
        _leftChains.push(_chain);
    }
    _chain = next;
}

std::int32_t KivAudioSource::renderBus(std::uint32_t, const AudioChannels& channels) {
    // The chain and the meta buffer run on every channel, read or not.
    for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
        _chainChannels[k] = channels.channels[k] != nullptr
                                ? channels.channels[k]
                                : _scratch.data() + std::size_t(k) * _scratchFrames;
    }
    const AudioChannels chain{_chainChannels.data(), channels.channelCount, channels.frameCount};
    _finalRender(*_cycleFlags, *_cycleTimeStamp, 0, chain);
    if (_leavingChain != nullptr) {
        const std::int32_t status = _chain->processTransition(chain, _transitionDone);
        _transitionDone += chain.frameCount;
        if (_transitionDone >= _chain->transitionFrames()) {
            _leftChains.push(std::exchange(_leavingChain, nullptr));
        }
        return status;
    }
    return _chain != nullptr ? _chain->process(chain) : 0;
}

std::int32_t KivAudioSource::_finalRender(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                                          const AudioChannels& data) {
    if (_isPlaying.load(std::memory_order_acquire) &&
        !_hardStopped.load(std::memory_order_acquire)) {
        _readInfo.call(data.frameCount, data, 0);
    } else {
        KivSilenceAudioBufferList(data);
    }
    return 0;
}
