#include "audio/source/KivMetaBufferTender.h"

#include "audio/source/KivAudioBuffer.h"
#include "foundation/ThreadRole.h"

#include <cmath>

KivMetaBufferTender::KivMetaBufferTender(std::shared_ptr<KivAlias> alias,
                                         const KivAudioStreamDescription& format, double fileRate,
                                         bool manual, KivRetireList& retired)
    : _alias(std::move(alias))
    , _format(format)
    , _fileRate(fileRate)
    , _manual(manual)
    , _retired(retired) {}

KivMetaBufferTender::~KivMetaBufferTender() {
    killWorker();
    for (std::atomic<KivMetaBufferDelivery*>& delivered : _delivered) {
        delete delivered.exchange(nullptr);
    }
}

void KivMetaBufferTender::startWorker() {
    _pool = KivReadAheadPool::shared();
    _pool->add(*this);
    wake();
}

void KivMetaBufferTender::killWorker() {
    assertNotRenderThread();
    if (_pool) {
        _pool->remove(*this);
    }
}

void KivMetaBufferTender::wake(bool urgent) {
    if (_pool) {
        _pool->post(*this, urgent);
    }
}

void KivMetaBufferTender::runStep() {
    if (tendOnce()) {
        wake();
    }
}

void KivMetaBufferTender::ask(std::uint64_t generation, const KivMetaBufferWant wants[2]) {
    std::lock_guard lock(_ownerMutex);
    _ownerGeneration = generation;
    _ownerWants[0] = wants[0];
    _ownerWants[1] = wants[1];
}

void KivMetaBufferTender::publish(std::uint64_t generation, const KivMetaBufferWant wants[2]) {
    for (std::size_t slot = 0; slot < 2; ++slot) {
        _renderWantStart[slot].store(wants[slot].startFrame, std::memory_order_relaxed);
        _renderWantSerial[slot].store(wants[slot].serial, std::memory_order_release);
    }
    _renderGeneration.store(generation, std::memory_order_release);
}

void KivMetaBufferTender::requests(std::uint64_t& generation, KivMetaBufferWant wants[2]) const {
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
}

bool KivMetaBufferTender::tendOnce() {
    assertNotRenderThread();
    _retired.freeAll();

    std::uint64_t generation = 0;
    KivMetaBufferWant wants[2];
    requests(generation, wants);

    const auto bufferWorker = _manual ? KivAudioBufferWorker::Manual : KivAudioBufferWorker::Thread;
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
        auto delivery = std::make_unique<KivMetaBufferDelivery>();
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
    KivMetaBufferWant current[2];
    requests(now, current);
    return current[0].serial != wants[0].serial || current[1].serial != wants[1].serial;
}

void KivMetaBufferTender::fillOnce(std::size_t slot) {
    if (KivMetaBufferDelivery* delivery = _delivered[slot].load(std::memory_order_acquire)) {
        delivery->buffer->fillOnce();
    }
}

double KivMetaBufferTender::bufferStartTime(std::int64_t frame) const {
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
