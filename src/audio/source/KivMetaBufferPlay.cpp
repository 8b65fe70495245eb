#include "audio/source/KivMetaBufferPlay.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/source/KivAudioBuffer.h"
#include "audio/source/KivMetaBufferTimes.h"
#include "foundation/Clock.h"
#include "foundation/KivLog.h"

#include <algorithm>
#include <limits>
#include <utility>

KivMetaBufferPlay::KivMetaBufferPlay(KivRetireList& retired, KivMetaBufferSerials& serials,
                                     const Clock& clock, std::int64_t fileFrames, double rate,
                                     std::string name)
    : _retired(retired)
    , _serials(serials)
    , _clock(clock)
    , _fileFrames(fileFrames)
    , _rate(rate)
    , _name(std::move(name)) {}

KivMetaBufferPlay::~KivMetaBufferPlay() {
    for (std::size_t slot = 0; slot < 2; ++slot) {
        delete _installed[slot];
        delete _early[slot];
    }
}

void KivMetaBufferPlay::begin(std::vector<KivSlice> slices, std::uint64_t generation) {
    _slices = std::move(slices);
    _generation = generation;
    _serials.planFresh(_slices, 0, _wants);
}

void KivMetaBufferPlay::take(KivMetaBufferReset& reset) {
    _slices.swap(reset.slices);
    if (reset.hasPosition) {
        _position = reset.position;
        _totalDroppedFrames = 0;
        _lastTimeWeLoggedDroppedFrames = reset.seekTime;
    }
    _isFinished = false;
    for (KivMetaBufferDelivery*& installed : _installed) {
        retire(installed);
    }
    _playing = -1;
    _generation = reset.generation;
    if (reset.hasPosition || _position.playbackFrame == reset.seenPlaybackFrame) {
        _wants[0] = reset.wants[0];
        _wants[1] = reset.wants[1];
    } else {
        // Play moved on since the owner looked: its buffers would start behind.
        _serials.planFresh(_slices, _position.playbackFrame, _wants);
    }
    _wantsChanged = true;
    for (std::size_t slot = 0; slot < 2; ++slot) {
        if (KivMetaBufferDelivery* early = std::exchange(_early[slot], nullptr)) {
            offer(slot, early);
        }
    }
}

void KivMetaBufferPlay::offer(std::size_t slot, KivMetaBufferDelivery* delivery) {
    if (delivery->generation > _generation) {
        // Made for a state handed over that this read has not taken yet.
        retire(_early[slot]);
        _early[slot] = delivery;
    } else if (delivery->serial == _wants[slot].serial && _installed[slot] == nullptr) {
        install(slot, delivery);
    } else {
        retire(delivery);
    }
}

void KivMetaBufferPlay::install(std::size_t slot, KivMetaBufferDelivery* delivery) {
    const KivMetaBufferWant want = std::exchange(_wants[slot], KivMetaBufferWant{});
    _wantsChanged = true;
    _installed[slot] = delivery;
    if (want.plays && _playing < 0) {
        _playing = static_cast<int>(slot);
        // Play went on in silence while the buffer was made: start in step.
        const std::int64_t moved = _position.playbackFrame - want.startFrame;
        if (moved > 0) {
            delivery->buffer->drop(static_cast<std::uint32_t>(
                std::min<std::int64_t>(moved, std::numeric_limits<std::uint32_t>::max())));
        }
    }
}

void KivMetaBufferPlay::retire(KivMetaBufferDelivery*& delivery) {
    if (delivery) {
        _retired.push(delivery);
        delivery = nullptr;
    }
}

void KivMetaBufferPlay::startOver() {
    for (KivMetaBufferDelivery*& installed : _installed) {
        retire(installed);
    }
    _playing = -1;
    _serials.planFresh(_slices, _position.playbackFrame, _wants);
    _wantsChanged = true;
}

void KivMetaBufferPlay::askForPreRoll() {
    if (_playing < 0) {
        return;
    }
    const std::size_t free = 1 - static_cast<std::size_t>(_playing);
    const std::size_t j = KivSliceIndexOfNextJump(_position.playbackFrame, _slices);
    if (_installed[free] == nullptr && j < _slices.size()) {
        _wants[free] = KivMetaBufferWant{_serials.next(), _slices[j].startFrame, false};
        _wantsChanged = true;
    }
}

void KivMetaBufferPlay::devamp() {
    const std::size_t j = KivSliceIndexOfNextJump(_position.playbackFrame, _slices);
    if (j == _slices.size()) {
        return;
    }
    KivSlice& slice = _slices[j];
    if (slice.playsRemaining < 0 && _position.playbackFrame >= slice.startFrame) {
        // The logical time of this pass of a forever slice now counts.
        _position.framesSansInfLoops += _position.playbackFrame - slice.startFrame;
    }
    slice.playsRemaining = 1;
    if (_playing < 0) {
        startOver();
        return;
    }
    // The pre-roll was for the jump that no longer comes.
    const std::size_t free = 1 - static_cast<std::size_t>(_playing);
    retire(_installed[free]);
    _wants[free] = KivMetaBufferWant{};
    _wantsChanged = true;
    askForPreRoll();
}

void KivMetaBufferPlay::read(std::uint32_t n, const AudioChannels& destination,
                             std::uint32_t offset) {
    _lastReadStartFrame = _position.playbackFrame;
    std::uint32_t done = 0;
    if (_isFinished || _slices.empty()) {
        KivSilenceAudioBufferList(destination, offset, n);
        done = n;
    }
    while (done < n) {
        const std::size_t j = KivSliceIndexOfNextJump(_position.playbackFrame, _slices);
        const std::size_t k = j < _slices.size() ? j : _slices.size() - 1;
        const std::int64_t toJump = _slices[k].endFrame - _position.playbackFrame;
        if (j == _slices.size() && _slices[k].endFrame < _fileFrames) {
            _lastReadEndPoint = static_cast<std::int64_t>(done) + std::max<std::int64_t>(toJump, 0);
        }
        if (toJump <= 0) {
            _isFinished = true;
            _timeWeNoticedWeWereFinished = _clock.now();
            KivSilenceAudioBufferList(destination, offset + done, n - done);
            break;
        }
        const auto segment = static_cast<std::uint32_t>(std::min<std::int64_t>(n - done, toJump));
        readSegment(segment, destination, offset + done);
        done += segment;
        KivAdvanceThroughSlices(segment, _position.playbackFrame, _position.framesSansInfLoops,
                                _position.logicalFrame, _slices);
        if (segment < toJump) {
            break;
        }
        if (j == _slices.size()) {
            // The end of play: the next call notices it.
            KivSilenceAudioBufferList(destination, offset + done, n - done);
            break;
        }
        // Another jump may follow in the same call; the loop takes it too, so
        // the audio keeps step with the position however long the call.
        jump();
    }
    _position.framesRead += n;
    warnOfDroppedFrames();
}

void KivMetaBufferPlay::readSegment(std::uint32_t frames, const AudioChannels& destination,
                                    std::uint32_t offset) {
    KivMetaBufferDelivery* playing = _playing < 0 ? nullptr : _installed[_playing];
    const std::uint32_t got = playing ? playing->info.call(frames, destination, offset) : 0;
    if (got < frames) {
        KivSilenceAudioBufferList(destination, offset + got, frames - got);
        if (!playing || !playing->buffer->isFinished()) {
            _totalDroppedFrames += frames - got;
            _droppedFrames.fetch_add(frames - got, std::memory_order_relaxed);
        }
    }
}

void KivMetaBufferPlay::jump() {
    if (_playing < 0) {
        // Nothing played this pass; whatever was read ahead is out of step
        // now, so play starts over from the position.
        startOver();
        return;
    }
    const auto played = static_cast<std::size_t>(_playing);
    retire(_installed[played]);
    if (_installed[1 - played] == nullptr) {
        startOver();
        return;
    }
    _playing = static_cast<int>(1 - played);
    askForPreRoll();
}

void KivMetaBufferPlay::publish(KivMetaBufferTimes& times) const {
    times.publish(_position,
                  _slices.empty() ? 0 : KivFramesUntilNextJump(_position.playbackFrame, _slices),
                  _isFinished, _timeWeNoticedWeWereFinished);
}

void KivMetaBufferPlay::warnOfDroppedFrames() {
    if (_totalDroppedFrames == 0) {
        return;
    }
    const double now = _clock.now();
    if (now - _lastTimeWeLoggedDroppedFrames > 1.0) {
        // Queued, not written, on the render thread.
        logFormat("Warning: dropped %lu frames (%.2f seconds of audio) : %s",
                  static_cast<unsigned long>(_totalDroppedFrames),
                  static_cast<double>(static_cast<float>(_totalDroppedFrames) /
                                      static_cast<float>(_rate)),
                  _name.c_str());
        _totalDroppedFrames = 0;
        _lastTimeWeLoggedDroppedFrames = now;
    }
}

void KivMetaBufferPlay::fillOnce(std::size_t slot) {
    for (KivMetaBufferDelivery* delivery : {_installed[slot], _early[slot]}) {
        if (delivery) {
            delivery->buffer->fillOnce();
        }
    }
}
