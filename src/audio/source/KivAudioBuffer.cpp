#include "audio/source/KivAudioBuffer.h"

#include "audio/core/KivAudioBufferList.h"
#include "audio/source/KivAudioFile.h"
#include "audio/source/KivAudioRingBuffer.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::uint32_t kMinBufferSize = 512;

std::string aliasName(const KivAlias* alias) {
    if (!alias) {
        return "(null)";
    }
    std::string path = alias->description();
    return path.empty() ? alias->lastKnownFullPath() : path;
}

} // namespace

std::unique_ptr<KivAudioBuffer>
KivAudioBuffer::create(std::shared_ptr<KivAlias> alias, double startTime, double endTime,
                       std::uint32_t bufferSize, const KivAudioStreamDescription* format,
                       bool matchFileChannels, KivAudioBufferWorker worker) {
    if (!alias || !format || !std::isfinite(startTime) || !std::isfinite(endTime) ||
        startTime < 0.0 || bufferSize < kMinBufferSize) {
        logFormat("Error: can't initialize KivAudioBuffer; invalid parameter(s) for file: %s",
                  aliasName(alias.get()).c_str());
        return nullptr;
    }
    std::unique_ptr<KivAudioBuffer> buffer(new KivAudioBuffer());
    buffer->_alias = alias;
    buffer->_startTime = startTime;
    buffer->_bufferSize = bufferSize;
    buffer->_file = std::make_unique<KivAudioFile>(alias);
    KivAudioFile& file = *buffer->_file;
    if (!file.validFile()) {
        logFormat("Error: KivAudioBuffer given an invalid file: %s",
                  aliasName(alias.get()).c_str());
        return nullptr;
    }
    buffer->_fileChannels = file.fileChannels();
    buffer->_fileLengthInSeconds = file.fileLengthInSeconds();
    buffer->_fileFormat = file.fileFormat();

    KivAudioStreamDescription readFormat = *format;
    if (matchFileChannels) {
        readFormat.setChannels(file.fileChannels());
    } else if (readFormat.channels() != file.fileChannels()) {
        logFormat("Error: KivAudioBuffer format channels (%lu) did not have the same number of "
                  "channels as the file (%lu): %s",
                  static_cast<unsigned long>(readFormat.channels()),
                  static_cast<unsigned long>(file.fileChannels()), buffer->description().c_str());
        return nullptr;
    }
    // A rate the reader refuses would leave the window counted in one rate
    // and delivered in another; the reader has said why.
    if (!file.setReadFormat(readFormat)) {
        return nullptr;
    }
    buffer->_readFormat = readFormat;

    const double length = file.fileLengthInSeconds();
    const bool toFileEnd = endTime <= startTime || endTime >= length;
    if (toFileEnd) {
        endTime = length;
    }
    if (!(startTime < endTime)) {
        logFormat("Error: KivAudioBuffer end time (%f) was <= start time (%f) for file: %s",
                  endTime, startTime, buffer->description().c_str());
        return nullptr;
    }
    buffer->_endTime = endTime;

    buffer->_head =
        KivAudioRingBuffer::create(readFormat.channels(), std::min(bufferSize, kHeadFrames));
    if (!buffer->_head) {
        logFormat("Error: KivAudioBuffer could not allocate %u frames for file: %s", bufferSize,
                  buffer->description().c_str());
        return nullptr;
    }
    buffer->_reading = buffer->_head.get();

    const double fileRate = file.fileFormat()->sampleRate();
    buffer->_startFrame = static_cast<std::int64_t>(startTime * fileRate);
    if (toFileEnd) {
        // Counted in frames, not from seconds, which can truncate to the
        // frame before the last; from where goToFrame lands at the read rate.
        const double readRate = readFormat.sampleRate();
        const std::int64_t startAtReadRate =
            readRate == fileRate
                ? buffer->_startFrame
                : std::llround(static_cast<double>(buffer->_startFrame) * readRate / fileRate);
        buffer->_totalFramesToRead = file.lengthInFramesAtRate(readRate) - startAtReadRate;
    } else {
        buffer->_totalFramesToRead =
            static_cast<std::int64_t>((endTime - startTime) * readFormat.sampleRate());
    }
    file.goToFrame(buffer->_startFrame);

    if (worker == KivAudioBufferWorker::Thread) {
        // The head is there before anyone can read, so play starts on its
        // first frame.
        buffer->fillOnce();
        buffer->_pool = KivReadAheadPool::shared();
        buffer->_pool->add(*buffer);
    }
    return buffer;
}

KivAudioBuffer::~KivAudioBuffer() {
    killWorker();
}

void KivAudioBuffer::killWorker() {
    assertNotRenderThread();
    if (_pool) {
        _pool->remove(*this);
    }
}

void KivAudioBuffer::runStep() {
    // A step cut short by its limit goes on after the other tasks' steps;
    // one that filled the ring waits for the consumer's next hint.
    if (fillOnce() == kHeadFrames && _consumerStarted.load(std::memory_order_acquire)) {
        _pool->post(*this, true);
    }
}

std::uint32_t KivAudioBuffer::fillOnce() {
    _wakeRequested.store(false, std::memory_order_release);
    if (_atEndOfFile.load(std::memory_order_acquire)) {
        return 0;
    }
    KivAudioRingBuffer* ring = _body.load(std::memory_order_relaxed);
    if (!ring && !_bodyRefused && _head->capacity() < _bufferSize &&
        _consumerStarted.load(std::memory_order_acquire)) {
        _bodyStorage = KivAudioRingBuffer::create(_readFormat.channels(), _bufferSize);
        if (!_bodyStorage) {
            logFormat("Error: KivAudioBuffer could not allocate %u frames for file: %s",
                      _bufferSize, description().c_str());
            // Play goes on from the head alone, refilled as it empties.
            _bodyRefused = true;
        } else {
            ring = _bodyStorage.get();
            // Nothing more goes into the head: the consumer may leave it once
            // it is spent.
            _body.store(ring, std::memory_order_release);
        }
    }
    if (!ring) {
        ring = _head.get();
    }
    const std::uint32_t space = ring->space();
    if (space == 0) {
        return 0;
    }
    const std::uint32_t read = ring->readFromSource(*_file, std::min(space, kHeadFrames));
    if (read == 0) {
        _atEndOfFile.store(true, std::memory_order_release);
    }
    return read;
}

void KivAudioBuffer::requestFill() {
    if (!_wakeRequested.exchange(true, std::memory_order_acq_rel) && _pool) {
        _pool->post(*this, true);
    }
}

std::uint32_t KivAudioBuffer::readFrames(std::uint32_t frames, const AudioChannels& destination,
                                         std::uint32_t offset) {
    if (destination.channels == nullptr || offset >= destination.frameCount) {
        return 0;
    }
    const std::uint32_t asked = std::min(frames, destination.frameCount - offset);
    const std::uint32_t got =
        destination.channelCount == _head->channelCount() ? deliver(asked, destination, offset) : 0;
    KivSilenceAudioBufferList(destination, offset + got, asked - got);
    return got;
}

bool KivAudioBuffer::moveToBody() {
    if (_reading != _head.get()) {
        return false;
    }
    // The body first: once it is published the head receives nothing more,
    // so an empty head now stays empty.
    KivAudioRingBuffer* body = _body.load(std::memory_order_acquire);
    if (!body || _head->count() != 0) {
        return false;
    }
    _reading = body;
    return true;
}

std::uint32_t KivAudioBuffer::take(const AudioChannels& destination, std::uint32_t offset,
                                   std::uint32_t frames) {
    std::uint32_t got = _reading->writeFromRing(destination, offset, frames);
    if (got < frames && moveToBody()) {
        got += _reading->writeFromRing(destination, offset + got, frames - got);
    }
    return got;
}

std::uint32_t KivAudioBuffer::discard(std::uint32_t frames) {
    std::uint32_t dropped = _reading->drop(frames);
    if (dropped < frames && moveToBody()) {
        dropped += _reading->drop(frames - dropped);
    }
    return dropped;
}

std::uint32_t KivAudioBuffer::deliver(std::uint32_t asked, const AudioChannels& destination,
                                      std::uint32_t offset) {
    std::int64_t read = _totalFramesRead.load(std::memory_order_relaxed);
    std::int64_t remaining = _totalFramesToRead - read;
    if (remaining <= 0) {
        return 0;
    }
    if (!_consumerStarted.load(std::memory_order_relaxed)) {
        _consumerStarted.store(true, std::memory_order_release);
    }
    const bool atEnd = _atEndOfFile.load(std::memory_order_acquire);

    const std::int64_t debt = _totalDroppedFrames.load(std::memory_order_acquire);
    if (debt > 0) {
        // Never discard past the window's end, so the window still ends
        // exactly where it should.
        const auto owed = static_cast<std::uint32_t>(
            std::min<std::int64_t>({debt, remaining, std::numeric_limits<std::uint32_t>::max()}));
        const std::uint32_t dropped = discard(owed);
        read += dropped;
        remaining -= dropped;
        _totalFramesRead.store(read, std::memory_order_release);
        _totalDroppedFrames.fetch_sub(dropped, std::memory_order_acq_rel);
        if (remaining <= 0) {
            return 0;
        }
        if (dropped < owed) {
            _totalDroppedFrames.fetch_add(asked, std::memory_order_acq_rel);
            if (!atEnd) {
                requestFill();
            }
            return 0;
        }
    }

    const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(asked, remaining));
    const std::uint32_t got = take(destination, offset, wanted);
    read += got;
    _totalFramesRead.store(read, std::memory_order_release);
    if (got == wanted) {
        if (!atEnd && read < _totalFramesToRead) {
            // Reading from the head: the body is wanted at once.
            const bool onHead = _reading == _head.get() && _head->capacity() < _bufferSize;
            const float fill =
                static_cast<float>(_reading->count()) / static_cast<float>(_reading->capacity());
            if (onHead || fill <= 0.5f) {
                requestFill();
            }
        }
        return got;
    }
    _totalDroppedFrames.fetch_add(wanted - got, std::memory_order_acq_rel);
    if (!atEnd) {
        requestFill();
    }
    return got;
}

std::string KivAudioBuffer::description() const {
    return aliasName(_alias.get());
}

std::uint32_t KivAudioBuffer::count() const {
    const KivAudioRingBuffer* body = _body.load(std::memory_order_acquire);
    return _head->count() + (body ? body->count() : 0);
}

void KivAudioBuffer::drop(std::uint32_t frames) {
    _totalDroppedFrames.fetch_add(frames, std::memory_order_acq_rel);
}

bool KivAudioBuffer::isFinished() const {
    return _totalFramesRead.load(std::memory_order_acquire) >= _totalFramesToRead ||
           _atEndOfFile.load(std::memory_order_acquire);
}
