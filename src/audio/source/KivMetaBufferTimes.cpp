#include "audio/source/KivMetaBufferTimes.h"

void KivMetaBufferTimes::begin(std::uint64_t generation) {
    _askedGeneration.store(generation);
    _takenGeneration.store(generation);
}

void KivMetaBufferTimes::ask(std::uint64_t generation, std::int64_t framesRead,
                             std::int64_t logicalFrame, std::int64_t playbackFrame,
                             std::int64_t framesUntilLoop) {
    _askedFramesRead.store(framesRead, std::memory_order_relaxed);
    _askedLogicalFrame.store(logicalFrame, std::memory_order_relaxed);
    _askedPlaybackFrame.store(playbackFrame, std::memory_order_relaxed);
    _askedUntilLoop.store(framesUntilLoop, std::memory_order_relaxed);
    _askedGeneration.store(generation, std::memory_order_release);
}

void KivMetaBufferTimes::publish(const KivMetaBufferPosition& position,
                                 std::int64_t framesUntilLoop, bool finished, double finishTime) {
    _shownFramesRead.store(position.framesRead, std::memory_order_relaxed);
    _shownLogicalFrame.store(position.logicalFrame, std::memory_order_relaxed);
    _shownUntilLoop.store(framesUntilLoop, std::memory_order_relaxed);
    _shownFinishTime.store(finishTime, std::memory_order_relaxed);
    _shownFinished.store(finished, std::memory_order_relaxed);
    _shownPlaybackFrame.store(position.playbackFrame, std::memory_order_release);
}

bool KivMetaBufferTimes::handOverWaits() const {
    // The taken generation first: the render thread publishes the times
    // before it, so once it matches they are the state's own.
    const std::uint64_t taken = _takenGeneration.load(std::memory_order_acquire);
    return _askedGeneration.load(std::memory_order_acquire) != taken;
}

std::int64_t KivMetaBufferTimes::shown(const std::atomic<std::int64_t>& asked,
                                       const std::atomic<std::int64_t>& published) const {
    return handOverWaits() ? asked.load(std::memory_order_relaxed)
                           : published.load(std::memory_order_relaxed);
}
