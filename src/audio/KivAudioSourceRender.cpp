#include "audio/KivAudioBufferList.h"
#include "audio/KivAudioSource.h"
#include "audio/KivStream.h"
#include "audio/MatrixMixer.h"

#include <algorithm>

std::int32_t KivAudioSource::render(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                    std::uint32_t, const AudioChannels& data) {
    if (!_validStream.load(std::memory_order_acquire) ||
        _hardStopped.load(std::memory_order_acquire)) {
        KivSilenceAudioBufferList(data);
        return 0;
    }
    // A rebuild holds the lock: play silence rather than stall the device.
    KivStreamLock lock(*_stream, std::try_to_lock);
    if (!lock.ownsLock() || !_validStream.load(std::memory_order_acquire)) {
        _missedCycles.fetch_add(1, std::memory_order_relaxed);
        KivSilenceAudioBufferList(data);
        return 0;
    }
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

std::int32_t KivAudioSource::renderBus(std::uint32_t, const AudioChannels& channels) {
    // The chain and the meta buffer run on every channel, read or not.
    for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
        _chainChannels[k] = channels.channels[k] != nullptr
                                ? channels.channels[k]
                                : _scratch.data() + std::size_t(k) * _scratchFrames;
    }
    const AudioChannels chain{_chainChannels.data(), channels.channelCount, channels.frameCount};
    if (_chainOutput.isSet()) {
        return _chainOutput.call(*_cycleFlags, *_cycleTimeStamp, 0, chain);
    }
    return _finalRender(*_cycleFlags, *_cycleTimeStamp, 0, chain);
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
