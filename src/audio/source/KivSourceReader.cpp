#include "audio/source/KivSourceReader.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/render/KivEdgeRamp.h"

#include <algorithm>
#include <utility>

nlohmann::json KivSourceReader::slices() const {
    return _buffer ? _buffer->slices() : nlohmann::json::array();
}

bool KivSourceReader::setSlices(const nlohmann::json& slices) {
    if (!_buffer || !_buffer->setSlices(slices)) {
        return false;
    }
    // New slices play from the first one's start.
    _buffer->goToTime(0.0);
    return true;
}

double KivSourceReader::fileLengthInSeconds() const {
    return _buffer ? _buffer->fileLengthInSeconds() : 0.0;
}

double KivSourceReader::audioLengthInSeconds() const {
    return _buffer ? _buffer->audioLengthInSeconds() : 0.0;
}

double KivSourceReader::elapsedPlayTime() const {
    return _buffer ? _buffer->elapsedPlayTime() : 0.0;
}

double KivSourceReader::elapsedLogicalTime() const {
    return _buffer ? _buffer->elapsedLogicalTime() : 0.0;
}

double KivSourceReader::timeUntilLoop() const {
    return _buffer ? _buffer->timeUntilLoop() : -1.0;
}

double KivSourceReader::currentFileTime() const {
    return _buffer ? _buffer->currentFileTime() : 0.0;
}

double KivSourceReader::startTime() const {
    return _buffer ? _buffer->startTime() : 0.0;
}

double KivSourceReader::endTime() const {
    return _buffer ? _buffer->endTime() : 0.0;
}

void KivSourceReader::goToTime(double seconds) {
    if (_buffer) {
        _buffer->goToTime(seconds);
    }
}

std::uint64_t KivSourceReader::droppedFrames() const {
    return _buffer ? _buffer->droppedFrames() : 0;
}

bool KivSourceReader::isFinished(double now, double tail) const {
    return _buffer && _buffer->isFinished() && now > _buffer->approximateTimeOfFinish() + tail;
}

void KivSourceReader::tend() {
    if (_buffer) {
        while (_buffer->tendOnce()) {
        }
        _buffer->fillBuffersOnce();
    }
}

std::unique_ptr<KivAudioMetaBuffer>
KivSourceReader::makeBuffer(const std::shared_ptr<KivAlias>& alias,
                            const KivAudioStreamDescription& format, const Clock& clock) const {
    const nlohmann::json savedSlices = _buffer ? _buffer->slices() : nlohmann::json();
    auto buffer = KivAudioMetaBuffer::create(alias, &format, _worker, &clock);
    if (buffer && savedSlices.is_array() && !savedSlices.empty()) {
        buffer->setSlices(savedSlices);
        // A fresh buffer sits at the file's start, not the first slice's.
        buffer->goToTime(0.0);
    }
    return buffer;
}

std::unique_ptr<KivAudioMetaBuffer>
KivSourceReader::exchangeBuffer(std::unique_ptr<KivAudioMetaBuffer> buffer,
                                std::uint32_t channels) {
    _readInfo.clear();
    std::unique_ptr<KivAudioMetaBuffer> old = std::exchange(_buffer, std::move(buffer));
    if (_buffer) {
        _buffer->registerReadFramesInfo(&_readInfo);
        _tail.assign(std::size_t(channels) * KivEdgeRamp::kFrames, 0.0f);
        _tailChannels.assign(channels, nullptr);
        for (std::uint32_t k = 0; k < channels; ++k) {
            _tailChannels[k] = _tail.data() + std::size_t(k) * KivEdgeRamp::kFrames;
        }
    }
    return old;
}

void KivSourceReader::beginCycle() {
    if (_devampPending.exchange(false, std::memory_order_acq_rel)) {
        _buffer->devamp();
    }
}

void KivSourceReader::read(const AudioChannels& data, bool wanted, bool hardStopFading) {
    const bool open = _inputOpen.load(std::memory_order_relaxed);
    if (hardStopFading) {
        wanted = open;
    }
    if (!wanted && !open) {
        KivSilenceAudioBufferList(data);
        return;
    }
    if (!wanted) {
        // A stop: the sound fades out over the first frames, the only ones
        // read, so a pause resumes right after what was heard.
        const std::uint32_t frames = std::min(data.frameCount, KivEdgeRamp::kFrames);
        _buffer->readOn(frames, data, 0);
        KivEdgeRamp::fadeToEnd(data, _buffer->lastReadFramesToEndPoint());
        KivEdgeRamp::fadeOut(data, frames);
        _inputOpen.store(false, std::memory_order_relaxed);
        return;
    }
    if (hardStopFading) {
        _buffer->readOn(data.frameCount, data, 0);
    } else if (open && _buffer->seekWaits()) {
        crossfadeToSeek(data);
        return;
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
}

void KivSourceReader::crossfadeToSeek(const AudioChannels& data) {
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
