#include "audio/source/KivAudioMetaBuffer.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/source/KivAudioBuffer.h"
#include "audio/source/KivAudioFile.h"
#include "foundation/Clock.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const Clock& steadyClock() {
    static const SteadyClock clock;
    return clock;
}

// Far beyond any show, and far inside the 64-bit frame range.
constexpr double kMaximumSeekFrames = 1.0e15;

double audioLength(const std::vector<KivSlice>& slices) {
    double total = 0.0;
    for (const KivSlice& slice : slices) {
        const double length = slice.endTime - slice.startTime;
        total += slice.playCount < 0 ? length : length * static_cast<double>(slice.playCount);
    }
    return total;
}

} // namespace

KivAudioMetaBuffer::Delivery::~Delivery() = default;

std::unique_ptr<KivAudioMetaBuffer>
KivAudioMetaBuffer::create(std::shared_ptr<KivAlias> alias, const KivAudioStreamDescription* format,
                           KivAudioMetaBufferWorker worker, const Clock* clock) {
    if (!alias || !format || !(format->sampleRate() > 0.0)) {
        return nullptr;
    }
    KivAudioFile file(alias);
    const double length = file.fileLengthInSeconds();
    if (!file.validFile() || !(length > 0.0)) {
        return nullptr;
    }
    std::unique_ptr<KivAudioMetaBuffer> meta(new KivAudioMetaBuffer());
    meta->_alias = alias;
    meta->_aliasName = file.description();
    meta->_format = *format;
    meta->_fileEndTime = length;
    meta->_fileChannels = file.fileChannels();
    meta->_fileRate = file.fileFormat()->sampleRate();
    meta->_fileFrames = file.lengthInFramesAtRate(format->sampleRate());
    meta->_clock = clock ? clock : &steadyClock();
    meta->_workerMode = worker;
    std::string reason;
    KivSlicesFromDescription(nlohmann::json::array(), format->sampleRate(), length,
                             meta->_fileFrames, meta->_slices, reason);
    meta->_sliceList = meta->_slices;
    meta->_totalSliceTime.store(length);
    meta->_endTime.store(KivSlicesEndTime(meta->_slices));
    // The first state needs no hand-over: nothing reads yet.
    meta->_generation = meta->nextSerial();
    meta->planFresh(meta->_slices, 0, meta->_wants);
    meta->_ownerGeneration = meta->_generation;
    std::copy(std::begin(meta->_wants), std::end(meta->_wants), meta->_ownerWants);
    meta->_askedGeneration.store(meta->_generation);
    meta->_takenGeneration.store(meta->_generation);
    meta->publishWants();
    meta->publishTimes();
    if (worker == KivAudioMetaBufferWorker::Thread) {
        meta->_pool = KivReadAheadPool::shared();
        meta->_pool->add(*meta);
        meta->wake();
    }
    return meta;
}

KivAudioMetaBuffer::~KivAudioMetaBuffer() {
    killWorker();
    // Nothing reads any more: whatever is held or handed over goes here (the
    // buffers' destructors take them out of the pool).
    delete _pendingReset.exchange(nullptr);
    for (std::size_t slot = 0; slot < 2; ++slot) {
        delete _delivered[slot].exchange(nullptr);
        delete _installed[slot];
        delete _early[slot];
    }
    _retired.freeAll();
}

void KivAudioMetaBuffer::killWorker() {
    assertNotRenderThread();
    if (_pool) {
        _pool->remove(*this);
    }
}

void KivAudioMetaBuffer::wake(bool urgent) {
    if (_pool) {
        _pool->post(*this, urgent);
    }
}

void KivAudioMetaBuffer::runStep() {
    if (tendOnce()) {
        wake();
    }
}

void KivAudioMetaBuffer::planFresh(std::span<const KivSlice> slices, std::int64_t frame,
                                   Want wants[2]) {
    wants[0] = Want{};
    wants[1] = Want{};
    if (slices.empty()) {
        return;
    }
    if (frame < slices.back().endFrame) {
        wants[0] = Want{nextSerial(), frame, true};
    }
    const std::size_t j = KivSliceIndexOfNextJump(frame, slices);
    if (j < slices.size()) {
        wants[1] = Want{nextSerial(), slices[j].startFrame, false};
    }
}

bool KivAudioMetaBuffer::tendOnce() {
    assertNotRenderThread();
    _retired.freeAll();

    // The render thread's requests, unless the owner has handed over a state
    // it has not taken yet: then the buffers that state asks for.
    const auto read = [this](std::uint64_t& generation, Want wants[2]) {
        const std::uint64_t rendering = _renderGeneration.load(std::memory_order_acquire);
        std::lock_guard lock(_ownerMutex);
        if (rendering >= _ownerGeneration) {
            generation = rendering;
            for (std::size_t slot = 0; slot < 2; ++slot) {
                // The serial first: a start read after it is its own or a later one's,
                // and a later one's makes this serial stale, so it is never installed.
                wants[slot].serial = _renderWantSerial[slot].load(std::memory_order_acquire);
                wants[slot].startFrame = _renderWantStart[slot].load(std::memory_order_relaxed);
            }
        } else {
            generation = _ownerGeneration;
            wants[0] = _ownerWants[0];
            wants[1] = _ownerWants[1];
        }
    };
    std::uint64_t generation = 0;
    Want wants[2];
    read(generation, wants);

    const auto bufferWorker = _workerMode == KivAudioMetaBufferWorker::Thread
                                  ? KivAudioBufferWorker::Thread
                                  : KivAudioBufferWorker::Manual;
    bool made = false;
    for (std::size_t slot = 0; slot < 2; ++slot) {
        if (wants[slot].serial == 0 || wants[slot].serial == _made[slot]) {
            continue;
        }
        _made[slot] = wants[slot].serial;
        made = true;
        // Each buffer reads on to the file's end (an end time of 0): the
        // render thread cuts at slice ends by frame, where a window cut in
        // seconds could come out a frame short and leave a gap at the loop
        // point. One that cannot be made is simply absent: play is silent
        // and counted as dropped.
        std::unique_ptr<KivAudioBuffer> buffer =
            KivAudioBuffer::create(_alias, bufferStartTime(wants[slot].startFrame), 0.0,
                                   kBufferFrames, &_format, false, bufferWorker);
        if (!buffer) {
            continue;
        }
        auto delivery = std::make_unique<Delivery>();
        delivery->buffer = std::move(buffer);
        delivery->buffer->registerReadFramesInfo(&delivery->info);
        delivery->serial = wants[slot].serial;
        delivery->generation = generation;
        // One the render thread never took was asked for by a request now gone.
        delete _delivered[slot].exchange(delivery.release(), std::memory_order_acq_rel);
    }
    if (!made) {
        return false;
    }
    std::uint64_t now = 0;
    Want current[2];
    read(now, current);
    return current[0].serial != wants[0].serial || current[1].serial != wants[1].serial;
}

void KivAudioMetaBuffer::fillBuffersOnce() {
    if (_workerMode != KivAudioMetaBufferWorker::Manual) {
        return;
    }
    // In manual mode the caller is also the reader, so what the render
    // thread holds stays put meanwhile.
    for (std::size_t slot = 0; slot < 2; ++slot) {
        for (Delivery* delivery :
             {_delivered[slot].load(std::memory_order_acquire), _installed[slot], _early[slot]}) {
            if (delivery) {
                delivery->buffer->fillOnce();
            }
        }
    }
}

template <class Change>
void KivAudioMetaBuffer::handOver(Change change) {
    std::unique_ptr<Reset> reset(_pendingReset.exchange(nullptr, std::memory_order_acq_rel));
    if (!reset) {
        reset = std::make_unique<Reset>();
        reset->seenPlaybackFrame = _shownPlaybackFrame.load(std::memory_order_acquire);
    }
    change(*reset);
    reset->generation = nextSerial();
    const Position& position = reset->position;
    const std::int64_t frame =
        reset->hasPosition ? position.playbackFrame : reset->seenPlaybackFrame;
    planFresh(reset->slices, frame, reset->wants);

    if (reset->hasPosition) {
        _askedFramesRead.store(position.framesRead, std::memory_order_relaxed);
        _askedLogicalFrame.store(position.logicalFrame, std::memory_order_relaxed);
    } else {
        _askedFramesRead.store(_shownFramesRead.load(), std::memory_order_relaxed);
        _askedLogicalFrame.store(_shownLogicalFrame.load(), std::memory_order_relaxed);
    }
    _askedPlaybackFrame.store(frame, std::memory_order_relaxed);
    _askedUntilLoop.store(KivFramesUntilNextJump(frame, reset->slices), std::memory_order_relaxed);
    _askedGeneration.store(reset->generation, std::memory_order_release);
    _devampRequested.store(false, std::memory_order_relaxed);
    {
        std::lock_guard lock(_ownerMutex);
        _ownerGeneration = reset->generation;
        _ownerWants[0] = reset->wants[0];
        _ownerWants[1] = reset->wants[1];
    }
    reset->seeks.store(reset->hasPosition, std::memory_order_relaxed);
    _pendingReset.store(reset.release(), std::memory_order_release);
    wake();
}

bool KivAudioMetaBuffer::seekWaits() const {
    // Only the render thread retires a reset handed over, so this one lives
    // on while it looks; the owner may take it back meanwhile, but then
    // hands it over again, a seek still.
    const Reset* reset = _pendingReset.load(std::memory_order_acquire);
    return reset != nullptr && reset->seeks.load(std::memory_order_relaxed);
}

bool KivAudioMetaBuffer::setSlices(const nlohmann::json& list) {
    assertNotRenderThread();
    std::vector<KivSlice> slices;
    std::string reason;
    if (!KivSlicesFromDescription(list, _format.sampleRate(), _fileEndTime, _fileFrames, slices,
                                  reason)) {
        logFormat("Warning: KivAudioMetaBuffer ignored an invalid slice list (%s): %s",
                  reason.c_str(), _aliasName.c_str());
        return false;
    }
    {
        std::lock_guard lock(_ownerMutex);
        _sliceList = slices;
    }
    _totalSliceTime.store(audioLength(slices));
    _startTime.store(KivSlicesStartFrame(slices) / _format.sampleRate());
    _endTime.store(KivSlicesEndTime(slices));
    handOver([&](Reset& reset) { reset.slices = std::move(slices); });
    return true;
}

nlohmann::json KivAudioMetaBuffer::slices() const {
    std::lock_guard lock(_ownerMutex);
    return KivSlicesDescription(_sliceList);
}

void KivAudioMetaBuffer::goToTime(double seconds) {
    assertNotRenderThread();
    if (!(seconds > 0.0)) {
        seconds = 0.0;
    }
    std::vector<KivSlice> slices;
    {
        std::lock_guard lock(_ownerMutex);
        slices = _sliceList;
    }
    const auto firstFrame = static_cast<std::int64_t>(KivSlicesStartFrame(slices));
    if (seconds == 0.0 && !handOverWaits() &&
        _shownFramesRead.load(std::memory_order_acquire) == 0 &&
        _shownPlaybackFrame.load(std::memory_order_acquire) == firstFrame) {
        return;
    }
    Position position;
    position.framesRead =
        static_cast<std::int64_t>(std::min(seconds * _format.sampleRate(), kMaximumSeekFrames));
    position.playbackFrame = firstFrame;
    KivAdvanceThroughSlices(position.framesRead, position.playbackFrame,
                            position.framesSansInfLoops, position.logicalFrame, slices);
    const double now = _clock->now();
    handOver([&](Reset& reset) {
        reset.slices = std::move(slices);
        reset.hasPosition = true;
        reset.position = position;
        reset.seekTime = now;
    });
}

void KivAudioMetaBuffer::devamp() {
    // The next read applies it, so asking never waits, on the render thread
    // or any other.
    _devampRequested.store(true, std::memory_order_release);
}

std::uint32_t KivAudioMetaBuffer::readFrames(std::uint32_t frames, const AudioChannels& destination,
                                             std::uint32_t offset) {
    return read(frames, destination, offset, true);
}

std::uint32_t KivAudioMetaBuffer::readOn(std::uint32_t frames, const AudioChannels& destination,
                                         std::uint32_t offset) {
    return read(frames, destination, offset, false);
}

std::uint32_t KivAudioMetaBuffer::read(std::uint32_t frames, const AudioChannels& destination,
                                       std::uint32_t offset, bool takeHandOver) {
    _lastReadEndPoint = kNoEndPoint;
    if (destination.channels == nullptr || offset >= destination.frameCount) {
        return 0;
    }
    const std::uint32_t n = std::min(frames, destination.frameCount - offset);
    _wantsChanged = false;
    const bool hadRetired = !_retired.empty();
    if (takeHandOver) {
        if (Reset* reset = _pendingReset.exchange(nullptr, std::memory_order_acq_rel)) {
            take(*reset);
            _retired.push(reset);
        }
    }
    takeDeliveries();
    if (_devampRequested.exchange(false, std::memory_order_acq_rel)) {
        devampNow();
    }
    _lastReadStartFrame = _position.playbackFrame;
    readUnderway(n, destination, offset);
    publishTimes();
    if (_wantsChanged) {
        publishWants();
        wake(true);
    } else if (!hadRetired && !_retired.empty()) {
        wake();
    }
    return n;
}

void KivAudioMetaBuffer::take(Reset& reset) {
    _slices.swap(reset.slices);
    if (reset.hasPosition) {
        _position = reset.position;
        _totalDroppedFrames = 0;
        _lastTimeWeLoggedDroppedFrames = reset.seekTime;
    }
    _isFinished = false;
    for (Delivery*& installed : _installed) {
        retire(installed);
    }
    _playing = -1;
    _generation = reset.generation;
    if (reset.hasPosition || _position.playbackFrame == reset.seenPlaybackFrame) {
        _wants[0] = reset.wants[0];
        _wants[1] = reset.wants[1];
    } else {
        // Play moved on since the owner looked: its buffers would start behind.
        planFresh(_slices, _position.playbackFrame, _wants);
    }
    _wantsChanged = true;
    for (std::size_t slot = 0; slot < 2; ++slot) {
        if (Delivery* early = std::exchange(_early[slot], nullptr)) {
            offer(slot, early);
        }
    }
    publishTimes();
    _takenGeneration.store(_generation, std::memory_order_release);
}

void KivAudioMetaBuffer::takeDeliveries() {
    for (std::size_t slot = 0; slot < 2; ++slot) {
        if (Delivery* delivery = _delivered[slot].exchange(nullptr, std::memory_order_acq_rel)) {
            offer(slot, delivery);
        }
    }
}

void KivAudioMetaBuffer::offer(std::size_t slot, Delivery* delivery) {
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

void KivAudioMetaBuffer::install(std::size_t slot, Delivery* delivery) {
    const Want want = std::exchange(_wants[slot], Want{});
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

void KivAudioMetaBuffer::retire(Delivery*& delivery) {
    if (delivery) {
        _retired.push(delivery);
        delivery = nullptr;
    }
}

void KivAudioMetaBuffer::startOver() {
    for (Delivery*& installed : _installed) {
        retire(installed);
    }
    _playing = -1;
    planFresh(_slices, _position.playbackFrame, _wants);
    _wantsChanged = true;
}

void KivAudioMetaBuffer::askForPreRoll() {
    if (_playing < 0) {
        return;
    }
    const std::size_t free = 1 - static_cast<std::size_t>(_playing);
    const std::size_t j = KivSliceIndexOfNextJump(_position.playbackFrame, _slices);
    if (_installed[free] == nullptr && j < _slices.size()) {
        _wants[free] = Want{nextSerial(), _slices[j].startFrame, false};
        _wantsChanged = true;
    }
}

void KivAudioMetaBuffer::devampNow() {
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
    _wants[free] = Want{};
    _wantsChanged = true;
    askForPreRoll();
}

void KivAudioMetaBuffer::readUnderway(std::uint32_t n, const AudioChannels& destination,
                                      std::uint32_t offset) {
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
            _timeWeNoticedWeWereFinished = _clock->now();
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

void KivAudioMetaBuffer::readSegment(std::uint32_t frames, const AudioChannels& destination,
                                     std::uint32_t offset) {
    Delivery* playing = _playing < 0 ? nullptr : _installed[_playing];
    const std::uint32_t got = playing ? playing->info.call(frames, destination, offset) : 0;
    if (got < frames) {
        KivSilenceAudioBufferList(destination, offset + got, frames - got);
        if (!playing || !playing->buffer->isFinished()) {
            _totalDroppedFrames += frames - got;
            _droppedFrames.fetch_add(frames - got, std::memory_order_relaxed);
        }
    }
}

void KivAudioMetaBuffer::jump() {
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

void KivAudioMetaBuffer::publishWants() {
    for (std::size_t slot = 0; slot < 2; ++slot) {
        _renderWantStart[slot].store(_wants[slot].startFrame, std::memory_order_relaxed);
        _renderWantSerial[slot].store(_wants[slot].serial, std::memory_order_release);
    }
    _renderGeneration.store(_generation, std::memory_order_release);
}

void KivAudioMetaBuffer::publishTimes() {
    _shownFramesRead.store(_position.framesRead, std::memory_order_relaxed);
    _shownLogicalFrame.store(_position.logicalFrame, std::memory_order_relaxed);
    _shownUntilLoop.store(
        _slices.empty() ? 0 : KivFramesUntilNextJump(_position.playbackFrame, _slices),
        std::memory_order_relaxed);
    _shownFinishTime.store(_timeWeNoticedWeWereFinished, std::memory_order_relaxed);
    _shownFinished.store(_isFinished, std::memory_order_relaxed);
    _shownPlaybackFrame.store(_position.playbackFrame, std::memory_order_release);
}

void KivAudioMetaBuffer::warnOfDroppedFrames() {
    if (_totalDroppedFrames == 0) {
        return;
    }
    const double now = _clock->now();
    if (now - _lastTimeWeLoggedDroppedFrames > 1.0) {
        // Queued, not written, on the render thread.
        logFormat("Warning: dropped %lu frames (%.2f seconds of audio) : %s",
                  static_cast<unsigned long>(_totalDroppedFrames),
                  static_cast<double>(static_cast<float>(_totalDroppedFrames) /
                                      static_cast<float>(_format.sampleRate())),
                  _aliasName.c_str());
        _totalDroppedFrames = 0;
        _lastTimeWeLoggedDroppedFrames = now;
    }
}

double KivAudioMetaBuffer::bufferStartTime(std::int64_t frame) const {
    // frame / rate times rate can truncate to the frame before (15 / 44100
    // does): the smallest time that seeks to the frame itself.
    const double rate = _format.sampleRate();
    double time = static_cast<double>(frame) / rate;
    if (_fileRate == rate) {
        while (static_cast<std::int64_t>(time * rate) < frame) {
            time = std::nextafter(time, INFINITY);
        }
    }
    return time;
}

double KivAudioMetaBuffer::secondsFromFrames(std::int64_t frames) const {
    return static_cast<double>(frames) / _format.sampleRate();
}

bool KivAudioMetaBuffer::handOverWaits() const {
    // The taken generation first: the render thread publishes the times
    // before it, so once it matches they are the state's own.
    const std::uint64_t taken = _takenGeneration.load(std::memory_order_acquire);
    return _askedGeneration.load(std::memory_order_acquire) != taken;
}

std::int64_t KivAudioMetaBuffer::shown(const std::atomic<std::int64_t>& asked,
                                       const std::atomic<std::int64_t>& published) const {
    return handOverWaits() ? asked.load(std::memory_order_relaxed)
                           : published.load(std::memory_order_relaxed);
}

bool KivAudioMetaBuffer::isFinished() const {
    return !handOverWaits() && _shownFinished.load(std::memory_order_relaxed);
}

double KivAudioMetaBuffer::approximateTimeOfFinish() const {
    return _shownFinishTime.load(std::memory_order_relaxed);
}

double KivAudioMetaBuffer::elapsedPlayTime() const {
    return secondsFromFrames(shown(_askedFramesRead, _shownFramesRead));
}

double KivAudioMetaBuffer::elapsedLogicalTime() const {
    return secondsFromFrames(shown(_askedLogicalFrame, _shownLogicalFrame));
}

double KivAudioMetaBuffer::currentFileTime() const {
    return secondsFromFrames(shown(_askedPlaybackFrame, _shownPlaybackFrame));
}

double KivAudioMetaBuffer::timeUntilLoop() const {
    return secondsFromFrames(shown(_askedUntilLoop, _shownUntilLoop));
}
