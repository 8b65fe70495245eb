#include "audio/source/KivAudioMetaBuffer.h"

#include "audio/source/KivAudioFile.h"
#include "foundation/Clock.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"

#include <algorithm>
#include <memory>

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

KivAudioMetaBuffer::KivAudioMetaBuffer(std::shared_ptr<KivAlias> alias, const KivAudioFile& file,
                                       const KivAudioStreamDescription& format,
                                       KivAudioMetaBufferWorker worker, const Clock& clock)
    : _aliasName(file.description())
    , _format(format)
    , _fileEndTime(file.fileLengthInSeconds())
    , _fileChannels(file.fileChannels())
    , _fileFrames(file.lengthInFramesAtRate(format.sampleRate()))
    , _clock(clock)
    , _tender(std::move(alias), format, file.fileFormat()->sampleRate(),
              worker == KivAudioMetaBufferWorker::Manual, _retired)
    , _play(_retired, _serials, clock, _fileFrames, format.sampleRate(), _aliasName) {}

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
    std::unique_ptr<KivAudioMetaBuffer> meta(
        new KivAudioMetaBuffer(alias, file, *format, worker, clock ? *clock : steadyClock()));
    std::vector<KivSlice> slices;
    std::string reason;
    KivSlicesFromDescription(nlohmann::json::array(), format->sampleRate(), length,
                             meta->_fileFrames, slices, reason);
    meta->_sliceList = slices;
    meta->_totalSliceTime.store(length);
    meta->_endTime.store(KivSlicesEndTime(slices));
    // The first state needs no hand-over: nothing reads yet.
    const std::uint64_t generation = meta->_serials.next();
    meta->_play.begin(std::move(slices), generation);
    meta->_tender.ask(generation, meta->_play.wants());
    meta->_times.begin(generation);
    meta->_tender.publish(generation, meta->_play.wants());
    meta->_play.publish(meta->_times);
    if (worker == KivAudioMetaBufferWorker::Thread) {
        meta->_tender.startWorker();
    }
    return meta;
}

KivAudioMetaBuffer::~KivAudioMetaBuffer() {
    killWorker();
    // Nothing reads any more: the parts free what they hold (the buffers'
    // destructors take them out of the pool).
    delete _pendingReset.exchange(nullptr);
}

void KivAudioMetaBuffer::killWorker() {
    _tender.killWorker();
}

bool KivAudioMetaBuffer::tendOnce() {
    return _tender.tendOnce();
}

void KivAudioMetaBuffer::fillBuffersOnce() {
    if (!_tender.manual()) {
        return;
    }
    // In manual mode the caller is also the reader, so what the render
    // thread holds stays put meanwhile.
    for (std::size_t slot = 0; slot < 2; ++slot) {
        _tender.fillOnce(slot);
        _play.fillOnce(slot);
    }
}

template <class Change>
void KivAudioMetaBuffer::handOver(Change change) {
    std::unique_ptr<KivMetaBufferReset> reset(
        _pendingReset.exchange(nullptr, std::memory_order_acq_rel));
    if (!reset) {
        reset = std::make_unique<KivMetaBufferReset>();
        reset->seenPlaybackFrame = _times.publishedPlaybackFrame();
    }
    change(*reset);
    reset->generation = _serials.next();
    const KivMetaBufferPosition& position = reset->position;
    const std::int64_t frame =
        reset->hasPosition ? position.playbackFrame : reset->seenPlaybackFrame;
    _serials.planFresh(reset->slices, frame, reset->wants);

    _times.ask(reset->generation,
               reset->hasPosition ? position.framesRead : _times.publishedFramesRead(),
               reset->hasPosition ? position.logicalFrame : _times.publishedLogicalFrame(), frame,
               KivFramesUntilNextJump(frame, reset->slices));
    _devampRequested.store(false, std::memory_order_relaxed);
    _tender.ask(reset->generation, reset->wants);
    reset->seeks.store(reset->hasPosition, std::memory_order_relaxed);
    _pendingReset.store(reset.release(), std::memory_order_release);
    _tender.wake();
}

bool KivAudioMetaBuffer::seekWaits() const {
    // Only the render thread retires a reset handed over, so this one lives
    // on while it looks; the owner may take it back meanwhile, but then
    // hands it over again, a seek still.
    const KivMetaBufferReset* reset = _pendingReset.load(std::memory_order_acquire);
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
        std::lock_guard lock(_sliceMutex);
        _sliceList = slices;
    }
    _totalSliceTime.store(audioLength(slices));
    _startTime.store(KivSlicesStartFrame(slices) / _format.sampleRate());
    _endTime.store(KivSlicesEndTime(slices));
    handOver([&](KivMetaBufferReset& reset) { reset.slices = std::move(slices); });
    return true;
}

nlohmann::json KivAudioMetaBuffer::slices() const {
    std::lock_guard lock(_sliceMutex);
    return KivSlicesDescription(_sliceList);
}

void KivAudioMetaBuffer::goToTime(double seconds) {
    assertNotRenderThread();
    if (!(seconds > 0.0)) {
        seconds = 0.0;
    }
    std::vector<KivSlice> slices;
    {
        std::lock_guard lock(_sliceMutex);
        slices = _sliceList;
    }
    const auto firstFrame = static_cast<std::int64_t>(KivSlicesStartFrame(slices));
    if (seconds == 0.0 && !_times.handOverWaits() && _times.publishedFramesRead() == 0 &&
        _times.publishedPlaybackFrame() == firstFrame) {
        return;
    }
    KivMetaBufferPosition position;
    position.framesRead =
        static_cast<std::int64_t>(std::min(seconds * _format.sampleRate(), kMaximumSeekFrames));
    position.playbackFrame = firstFrame;
    KivAdvanceThroughSlices(position.framesRead, position.playbackFrame,
                            position.framesSansInfLoops, position.logicalFrame, slices);
    const double now = _clock.now();
    handOver([&](KivMetaBufferReset& reset) {
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
    _play.beginRead();
    if (destination.channels == nullptr || offset >= destination.frameCount) {
        return 0;
    }
    const std::uint32_t n = std::min(frames, destination.frameCount - offset);
    const bool hadRetired = !_retired.empty();
    if (takeHandOver) {
        if (KivMetaBufferReset* reset =
                _pendingReset.exchange(nullptr, std::memory_order_acq_rel)) {
            _play.take(*reset);
            _play.publish(_times);
            _times.taken(_play.generation());
            _retired.push(reset);
        }
    }
    for (std::size_t slot = 0; slot < 2; ++slot) {
        if (KivMetaBufferDelivery* delivery = _tender.take(slot)) {
            _play.offer(slot, delivery);
        }
    }
    if (_devampRequested.exchange(false, std::memory_order_acq_rel)) {
        _play.devamp();
    }
    _play.read(n, destination, offset);
    _play.publish(_times);
    if (_play.wantsChanged()) {
        _tender.publish(_play.generation(), _play.wants());
        _tender.wake(true);
    } else if (!hadRetired && !_retired.empty()) {
        _tender.wake();
    }
    return n;
}

double KivAudioMetaBuffer::secondsFromFrames(std::int64_t frames) const {
    return static_cast<double>(frames) / _format.sampleRate();
}

bool KivAudioMetaBuffer::isFinished() const {
    return _times.isFinished();
}

double KivAudioMetaBuffer::approximateTimeOfFinish() const {
    return _times.finishTime();
}

double KivAudioMetaBuffer::elapsedPlayTime() const {
    return secondsFromFrames(_times.framesRead());
}

double KivAudioMetaBuffer::elapsedLogicalTime() const {
    return secondsFromFrames(_times.logicalFrame());
}

double KivAudioMetaBuffer::currentFileTime() const {
    return secondsFromFrames(_times.playbackFrame());
}

double KivAudioMetaBuffer::timeUntilLoop() const {
    return secondsFromFrames(_times.framesUntilLoop());
}
