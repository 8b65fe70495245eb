#pragma once

#include "audio/source/KivMetaBufferHandOver.h"

#include <atomic>
#include <cstdint>

// The times of a meta buffer's play, in frames, for any thread to poll
// without a lock: what the render thread publishes after each read, and,
// while a state handed over waits for the next read, what that state will
// show, so that a seek or a slice list shows at once.
class KivMetaBufferTimes {
public:
    // Owner's thread, before anything reads: the first state, taken already.
    void begin(std::uint64_t generation);
    // Owner's thread: what the state `generation` handed over shows until
    // the render thread takes it.
    void ask(std::uint64_t generation, std::int64_t framesRead, std::int64_t logicalFrame,
             std::int64_t playbackFrame, std::int64_t framesUntilLoop);

    // Render thread: the times of the play state, after each read and when
    // it takes a state.
    void publish(const KivMetaBufferPosition& position, std::int64_t framesUntilLoop, bool finished,
                 double finishTime);
    // Render thread: the state `generation` is taken, its times published.
    void taken(std::uint64_t generation) {
        _takenGeneration.store(generation, std::memory_order_release);
    }

    // Any thread: a state handed over waits for the render thread.
    bool handOverWaits() const;
    // Any thread: the times shown, a waiting state's if there is one.
    std::int64_t framesRead() const { return shown(_askedFramesRead, _shownFramesRead); }
    std::int64_t logicalFrame() const { return shown(_askedLogicalFrame, _shownLogicalFrame); }
    std::int64_t playbackFrame() const { return shown(_askedPlaybackFrame, _shownPlaybackFrame); }
    std::int64_t framesUntilLoop() const { return shown(_askedUntilLoop, _shownUntilLoop); }
    bool isFinished() const {
        return !handOverWaits() && _shownFinished.load(std::memory_order_relaxed);
    }
    double finishTime() const { return _shownFinishTime.load(std::memory_order_relaxed); }

    // Any thread: what the render thread published last, whatever waits.
    std::int64_t publishedFramesRead() const { return _shownFramesRead.load(); }
    std::int64_t publishedLogicalFrame() const { return _shownLogicalFrame.load(); }
    std::int64_t publishedPlaybackFrame() const {
        return _shownPlaybackFrame.load(std::memory_order_acquire);
    }

private:
    std::int64_t shown(const std::atomic<std::int64_t>& asked,
                       const std::atomic<std::int64_t>& published) const;

    // Owner writes.
    std::atomic<std::uint64_t> _askedGeneration{0};
    std::atomic<std::int64_t> _askedFramesRead{0};
    std::atomic<std::int64_t> _askedLogicalFrame{0};
    std::atomic<std::int64_t> _askedPlaybackFrame{0};
    std::atomic<std::int64_t> _askedUntilLoop{0};

    // Render thread writes.
    std::atomic<std::uint64_t> _takenGeneration{0};
    std::atomic<std::int64_t> _shownFramesRead{0};
    std::atomic<std::int64_t> _shownLogicalFrame{0};
    std::atomic<std::int64_t> _shownPlaybackFrame{0};
    std::atomic<std::int64_t> _shownUntilLoop{0};
    std::atomic<bool> _shownFinished{false};
    std::atomic<double> _shownFinishTime{0.0};
};
