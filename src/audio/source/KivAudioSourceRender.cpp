#include "audio/core/KivAudioBufferList.h"
#include "audio/effects/KivEffectChain.h"
#include "audio/render/KivEdgeRamp.h"
#include "audio/render/MatrixMixer.h"
#include "audio/source/KivAudioSource.h"

#include <algorithm>
#include <utility>

std::int32_t KivAudioSource::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                    std::uint32_t, const AudioChannels& data) {
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
    takeHandedOverChain();
    if (_devampPending.exchange(false, std::memory_order_acq_rel)) {
        _buffer->devamp();
    }
    if (_jumpGainsPending.exchange(false, std::memory_order_acq_rel)) {
        _mixer->jumpToGains();
    }
    _cycleFlags = &flags;
    _cycleTimeStamp = &timeStamp;
    _hardStopFading = hardStopped;
    const std::int32_t status = _mixer->process(*this, data);
    if (hardStopped) {
        // The effects' tails go too: the whole feed fades out, in this cycle.
        KivEdgeRamp::fadeOut(data, data.frameCount);
        closeEdges();
    } else {
        _outputOpen.store(true, std::memory_order_relaxed);
    }
    _hardStopFading = false;
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
    const bool open = _inputOpen.load(std::memory_order_relaxed);
    // Through the fade of a hard stop the file plays on as it did.
    const bool wanted = _hardStopFading ? open
                                        : _isPlaying.load(std::memory_order_acquire) &&
                                              !_hardStopped.load(std::memory_order_acquire);
    if (!wanted && !open) {
        KivSilenceAudioBufferList(data);
        return 0;
    }
    if (!wanted) {
        // A stop: the sound fades out over the first frames, the only ones
        // read, so a pause resumes right after what was heard.
        const std::uint32_t frames = std::min(data.frameCount, KivEdgeRamp::kFrames);
        _buffer->readOn(frames, data, 0);
        KivEdgeRamp::fadeToEnd(data, _buffer->lastReadFramesToEndPoint());
        KivEdgeRamp::fadeOut(data, frames);
        _inputOpen.store(false, std::memory_order_relaxed);
        return 0;
    }
    if (_hardStopFading) {
        _buffer->readOn(data.frameCount, data, 0);
    } else if (open && _buffer->seekWaits()) {
        crossfadeToSeek(data);
        return 0;
    } else {
        _readInfo.call(data.frameCount, data, 0);
    }
    if (!open) {
        // A file's own first frame starts as the file does.
        if (_buffer->lastReadStartFrame() > 0) {
            KivEdgeRamp::fadeIn(data, data.frameCount);
        }
        _inputOpen.store(true, std::memory_order_relaxed);
    }
    KivEdgeRamp::fadeToEnd(data, _buffer->lastReadFramesToEndPoint());
    return 0;
}

void KivAudioSource::crossfadeToSeek(const AudioChannels& data) {
    const std::uint32_t frames = std::min(data.frameCount, KivEdgeRamp::kFrames);
    const AudioChannels tail{_tailChannels.data(), data.channelCount, frames};
    _buffer->readOn(frames, tail, 0);
    KivEdgeRamp::fadeToEnd(tail, _buffer->lastReadFramesToEndPoint());
    const std::int64_t wouldGoOnFrom = _buffer->lastReadStartFrame();
    _readInfo.call(data.frameCount, data, 0);
    if (_buffer->lastReadStartFrame() != wouldGoOnFrom) {
        KivEdgeRamp::fadeOut(tail, frames);
        KivEdgeRamp::fadeIn(data, frames);
        for (std::uint32_t c = 0; c < data.channelCount; ++c) {
            if (data.channels[c] != nullptr) {
                for (std::uint32_t i = 0; i < frames; ++i) {
                    data.channels[c][i] += tail.channels[c][i];
                }
            }
        }
    }
    KivEdgeRamp::fadeToEnd(data, _buffer->lastReadFramesToEndPoint());
}

void KivAudioSource::closeEdges() {
    _inputOpen.store(false, std::memory_order_relaxed);
    _outputOpen.store(false, std::memory_order_relaxed);
}
