#include "audio/KivAudioMetaBuffer.h"

#include "audio/KivAudioBuffer.h"
#include "audio/KivAudioBufferList.h"
#include "audio/KivAudioFile.h"
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
    meta->_totalSliceTime = length;
    meta->_sliceList = meta->_slices;
    if (worker == KivAudioMetaBufferWorker::Thread) {
        meta->_pool = KivReadAheadPool::shared();
        meta->_pool->add(*meta);
        meta->wake();
    }
    return meta;
}

KivAudioMetaBuffer::~KivAudioMetaBuffer() {
    killWorker();
    // The buffers' destructors take them out of the pool.
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

bool KivAudioMetaBuffer::tendOnce() {
    assertNotRenderThread();
    std::unique_ptr<KivAudioBuffer> retiredA;
    std::unique_ptr<KivAudioBuffer> retiredB;
    bool planA = false;
    bool planB = false;
    bool aPlays = false;
    std::int64_t startA = 0;
    std::int64_t startB = 0;
    std::int64_t notedFrame = 0;
    {
        std::lock_guard lock(_mutex);
        if (_killA) {
            retiredA = std::move(_bufferA);
            _bufferAReadInfo.clear();
            _killA = false;
        }
        if (_killB) {
            retiredB = std::move(_bufferB);
            _bufferBReadInfo.clear();
            _killB = false;
        }
        if (_playbackBuffer && _playbackBuffer != _bufferA.get() &&
            _playbackBuffer != _bufferB.get()) {
            _playbackBuffer = nullptr;
        }
        if (!_slices.empty()) {
            const std::size_t j = KivSliceIndexOfNextJump(_playbackFrame, _slices);
            if (_bufferA || _bufferB) {
                // Steady play: make the pre-roll for the next jump.
                if (j < _slices.size()) {
                    if (!_bufferA) {
                        planA = true;
                        startA = _slices[j].startFrame;
                    } else if (!_bufferB) {
                        planB = true;
                        startB = _slices[j].startFrame;
                    }
                }
            } else {
                startA = _playbackFrame;
                planA = aPlays = startA < _slices.back().endFrame;
                if (j < _slices.size()) {
                    planB = true;
                    startB = _slices[j].startFrame;
                }
            }
        }
        notedFrame = _playbackFrame;
        _stateChanged = false;
    }
    // Stopping a worker waits for its file read: never under the lock.
    retiredA.reset();
    retiredB.reset();

    const auto bufferWorker = _workerMode == KivAudioMetaBufferWorker::Thread
                                  ? KivAudioBufferWorker::Thread
                                  : KivAudioBufferWorker::Manual;
    // Each buffer reads on to the file's end (an end time of 0): the render
    // thread cuts at slice ends by frame, where a window cut in seconds could
    // come out a frame short and leave a gap at the loop point.
    std::unique_ptr<KivAudioBuffer> madeA;
    std::unique_ptr<KivAudioBuffer> madeB;
    if (planA) {
        madeA = KivAudioBuffer::create(_alias, bufferStartTime(startA), 0.0, kBufferFrames,
                                       &_format, false, bufferWorker);
    }
    if (planB) {
        madeB = KivAudioBuffer::create(_alias, bufferStartTime(startB), 0.0, kBufferFrames,
                                       &_format, false, bufferWorker);
    }
    if (!planA && !planB) {
        return false;
    }

    std::unique_lock lock(_mutex);
    if (_stateChanged) {
        // A jump, a seek or new slices came meanwhile: these were planned for
        // a state that is gone.
        lock.unlock();
        return true;
    }
    if (madeA && !_bufferA) {
        _bufferA = std::move(madeA);
        _bufferA->registerReadFramesInfo(&_bufferAReadInfo);
        if (aPlays) {
            _playbackBuffer = _bufferA.get();
            // The render thread played silence meanwhile; start in step with it.
            const std::int64_t moved = _playbackFrame - notedFrame;
            if (moved > 0) {
                _bufferA->drop(static_cast<std::uint32_t>(
                    std::min<std::int64_t>(moved, std::numeric_limits<std::uint32_t>::max())));
            }
        }
    }
    if (madeB && !_bufferB) {
        _bufferB = std::move(madeB);
        _bufferB->registerReadFramesInfo(&_bufferBReadInfo);
    }
    lock.unlock();
    return false;
}

void KivAudioMetaBuffer::fillBuffersOnce() {
    if (_workerMode != KivAudioMetaBufferWorker::Manual) {
        return;
    }
    KivAudioBuffer* a = nullptr;
    KivAudioBuffer* b = nullptr;
    {
        std::lock_guard lock(_mutex);
        a = _bufferA.get();
        b = _bufferB.get();
    }
    // Only the caller frees buffers in manual mode, so they stay alive here.
    if (a) {
        a->fillOnce();
    }
    if (b) {
        b->fillOnce();
    }
}

void KivAudioMetaBuffer::unhookBuffers(std::vector<std::unique_ptr<KivAudioBuffer>>& retired) {
    retired.push_back(std::move(_bufferA));
    retired.push_back(std::move(_bufferB));
    _bufferAReadInfo.clear();
    _bufferBReadInfo.clear();
    _playbackBuffer = nullptr;
    _killA = false;
    _killB = false;
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
    const double total = audioLength(slices);
    std::vector<KivSlice> listed = slices;
    {
        std::lock_guard lock(_listMutex);
        _sliceList.swap(listed);
    }
    std::vector<std::unique_ptr<KivAudioBuffer>> retired;
    retired.reserve(2);
    {
        std::lock_guard lock(_mutex);
        _slices.swap(slices);
        unhookBuffers(retired);
        _isFinished = false;
        _devampRequested.store(false, std::memory_order_relaxed);
        _totalSliceTime = total;
        _stateChanged = true;
    }
    wake();
    // The old slices and the retired buffers go here, outside the lock.
    return true;
}

nlohmann::json KivAudioMetaBuffer::slices() const {
    // Never under _mutex: building the list allocates, and the render thread
    // would wait for the allocator.
    std::lock_guard lock(_listMutex);
    return KivSlicesDescription(_sliceList);
}

void KivAudioMetaBuffer::goToTime(double seconds) {
    assertNotRenderThread();
    if (!(seconds > 0.0)) {
        seconds = 0.0;
    }
    std::vector<std::unique_ptr<KivAudioBuffer>> retired;
    retired.reserve(2);
    {
        std::lock_guard lock(_mutex);
        const auto firstFrame = static_cast<std::int64_t>(KivSlicesStartFrame(_slices));
        if (seconds == 0.0 && _totalFramesRead == 0 && !_stateChanged &&
            _playbackFrame == firstFrame) {
            return;
        }
        unhookBuffers(retired);
        for (KivSlice& slice : _slices) {
            slice.playsRemaining = slice.playCount;
        }
        _totalFramesRead =
            static_cast<std::int64_t>(std::min(seconds * _format.sampleRate(), kMaximumSeekFrames));
        _totalFramesReadSansInfLoops = 0;
        _elapsedLogicalFrame = 0;
        _playbackFrame = firstFrame;
        KivAdvanceThroughSlices(_totalFramesRead, _playbackFrame, _totalFramesReadSansInfLoops,
                                _elapsedLogicalFrame, _slices);
        _totalDroppedFrames = 0;
        _lastTimeWeLoggedDroppedFrames = _clock->now();
        _isFinished = false;
        _devampRequested.store(false, std::memory_order_relaxed);
        _stateChanged = true;
    }
    wake();
}

void KivAudioMetaBuffer::devamp() {
    // The next read applies it under the lock it takes anyway, so asking
    // never waits, on the render thread or any other.
    _devampRequested.store(true, std::memory_order_release);
}

void KivAudioMetaBuffer::devampLocked() {
    const std::size_t j = KivSliceIndexOfNextJump(_playbackFrame, _slices);
    if (j == _slices.size()) {
        return;
    }
    KivSlice& slice = _slices[j];
    if (slice.playsRemaining < 0 && _playbackFrame >= slice.startFrame) {
        // The logical time of this pass of a forever slice now counts.
        _totalFramesReadSansInfLoops += _playbackFrame - slice.startFrame;
    }
    slice.playsRemaining = 1;
    // The pre-roll was for the jump that no longer comes.
    if (_playbackBuffer != _bufferA.get()) {
        _killA = _bufferA != nullptr;
    }
    if (_playbackBuffer != _bufferB.get()) {
        _killB = _bufferB != nullptr;
    }
    _stateChanged = true;
}

std::uint32_t KivAudioMetaBuffer::readFrames(std::uint32_t frames, const AudioChannels& destination,
                                             std::uint32_t offset) {
    if (destination.channels == nullptr || offset >= destination.frameCount) {
        return 0;
    }
    const std::uint32_t n = std::min(frames, destination.frameCount - offset);
    bool wakeTend = false;
    {
        if (const int error = _mutex.lockSpinningFirst()) {
            KivSilenceAudioBufferList(destination, offset, n);
            _lockErrors.logStatusError(_clock->now(), error, "KivAudioMetaBuffer::readFrames",
                                       __LINE__);
            return n;
        }
        std::lock_guard lock(_mutex, std::adopt_lock);
        if (_devampRequested.exchange(false, std::memory_order_acq_rel)) {
            devampLocked();
            wakeTend = true;
        }
        wakeTend = readUnderLock(n, destination, offset) || wakeTend;
    }
    // Woken only once the lock is free, so the tend step does not wake into
    // it and make the unlock a hand-over through the kernel.
    if (wakeTend) {
        wake(true);
    }
    return n;
}

bool KivAudioMetaBuffer::readUnderLock(std::uint32_t n, const AudioChannels& destination,
                                       std::uint32_t offset) {
    bool jumped = false;
    std::uint32_t done = 0;
    if (_isFinished) {
        KivSilenceAudioBufferList(destination, offset, n);
        done = n;
    }
    while (done < n) {
        const std::size_t j = KivSliceIndexOfNextJump(_playbackFrame, _slices);
        const std::size_t k = j < _slices.size() ? j : _slices.size() - 1;
        const std::int64_t toJump = _slices[k].endFrame - _playbackFrame;
        if (toJump <= 0) {
            _isFinished = true;
            _timeWeNoticedWeWereFinished = _clock->now();
            KivSilenceAudioBufferList(destination, offset + done, n - done);
            break;
        }
        const auto segment = static_cast<std::uint32_t>(std::min<std::int64_t>(n - done, toJump));
        readSegment(segment, destination, offset + done);
        done += segment;
        if (KivAdvanceThroughSlices(segment, _playbackFrame, _totalFramesReadSansInfLoops,
                                    _elapsedLogicalFrame, _slices)) {
            _stateChanged = true;
        }
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
        jumped = true;
    }
    _totalFramesRead += n;
    warnOfDroppedFrames();
    return jumped;
}

void KivAudioMetaBuffer::readSegment(std::uint32_t frames, const AudioChannels& destination,
                                     std::uint32_t offset) {
    const KivReadFramesInfo* info = _playbackBuffer == nullptr          ? nullptr
                                    : _playbackBuffer == _bufferA.get() ? &_bufferAReadInfo
                                                                        : &_bufferBReadInfo;
    const std::uint32_t got = info ? info->call(frames, destination, offset) : 0;
    if (got < frames) {
        KivSilenceAudioBufferList(destination, offset + got, frames - got);
        if (!_playbackBuffer || !_playbackBuffer->isFinished()) {
            _totalDroppedFrames += frames - got;
            _droppedFrames.fetch_add(frames - got, std::memory_order_relaxed);
        }
    }
}

void KivAudioMetaBuffer::jump() {
    KivAudioBuffer* next = nullptr;
    if (_playbackBuffer && _playbackBuffer == _bufferA.get()) {
        _killA = true;
        next = _killB ? nullptr : _bufferB.get();
    } else if (_playbackBuffer && _playbackBuffer == _bufferB.get()) {
        _killB = true;
        next = _killA ? nullptr : _bufferA.get();
    } else {
        // Nothing played this pass; whatever was read ahead is out of step now,
        // so the tend step starts over from the position.
        _killA = _bufferA != nullptr;
        _killB = _bufferB != nullptr;
    }
    _playbackBuffer = next;
    _stateChanged = true;
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

bool KivAudioMetaBuffer::isFinished() const {
    std::lock_guard lock(_mutex);
    return _isFinished;
}

double KivAudioMetaBuffer::approximateTimeOfFinish() const {
    std::lock_guard lock(_mutex);
    return _timeWeNoticedWeWereFinished;
}

double KivAudioMetaBuffer::elapsedPlayTime() const {
    std::lock_guard lock(_mutex);
    return secondsFromFrames(_totalFramesRead);
}

double KivAudioMetaBuffer::elapsedLogicalTime() const {
    std::lock_guard lock(_mutex);
    return secondsFromFrames(_elapsedLogicalFrame);
}

double KivAudioMetaBuffer::currentFileTime() const {
    std::lock_guard lock(_mutex);
    return secondsFromFrames(_playbackFrame);
}

double KivAudioMetaBuffer::timeUntilLoop() const {
    std::lock_guard lock(_mutex);
    return secondsFromFrames(KivFramesUntilNextJump(_playbackFrame, _slices));
}

double KivAudioMetaBuffer::startTime() const {
    std::lock_guard lock(_mutex);
    return KivSlicesStartFrame(_slices) / _format.sampleRate();
}

double KivAudioMetaBuffer::endTime() const {
    std::lock_guard lock(_mutex);
    return KivSlicesEndTime(_slices);
}

double KivAudioMetaBuffer::audioLengthInSeconds() const {
    std::lock_guard lock(_mutex);
    return _totalSliceTime;
}
