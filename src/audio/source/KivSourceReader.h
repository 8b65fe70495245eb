#pragma once

#include "audio/core/AudioChannels.h"
#include "audio/core/KivAudioStreamDescription.h"
#include "audio/render/KivRenderInfo.h"
#include "audio/source/KivAudioMetaBuffer.h"
#include "foundation/Clock.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

class KivAlias;

// A source's read-ahead: its meta buffer (the file's slices, read ahead off
// the render thread) and the chain's input end, the buffer's frames with the
// short fades (see KivEdgeRamp) of a start inside the file, a stop, a seek
// while playing and an end point.
//
// Threads:
// - control thread, under the source's control lock: the slices, the times,
//   the seeks, the worker and the rebuild's new buffer. exchangeBuffer()
//   also under the source's render lock.
// - the render thread, under the source's render lock with a valid stream:
//   beginCycle(), read(), closeInput().
// - any thread: requestDevamp().
class KivSourceReader {
public:
    KivSourceReader() = default;
    KivSourceReader(const KivSourceReader&) = delete;
    KivSourceReader& operator=(const KivSourceReader&) = delete;

    // The slice list; empty without a file. setSlices() plays the new slices
    // from the first one's start.
    nlohmann::json slices() const;
    bool setSlices(const nlohmann::json& slices);
    // Times in seconds; 0 without a file (timeUntilLoop() -1).
    double fileLengthInSeconds() const;
    double audioLengthInSeconds() const;
    double elapsedPlayTime() const;
    double elapsedLogicalTime() const;
    double timeUntilLoop() const;
    double currentFileTime() const;
    double startTime() const;
    double endTime() const;
    void goToTime(double seconds);
    std::uint64_t droppedFrames() const;
    // The file played out and `tail` seconds more have passed by `now`.
    bool isFinished(double now, double tail) const;

    // From now on new buffers read ahead only in tend(), on its caller's thread.
    void useManualWorker() { _worker = KivAudioMetaBufferWorker::Manual; }
    void tend();

    // Rebuild, outside the render lock (a file is opened): a buffer for
    // `format` that keeps the slices of the one playing; null when the file
    // does not open.
    std::unique_ptr<KivAudioMetaBuffer> makeBuffer(const std::shared_ptr<KivAlias>& alias,
                                                   const KivAudioStreamDescription& format,
                                                   const Clock& clock) const;
    // Rebuild, render lock held: `buffer` (of `channels` channels, or null)
    // is read from now on; answers the old one, whose worker the caller
    // stops outside the lock.
    std::unique_ptr<KivAudioMetaBuffer> exchangeBuffer(std::unique_ptr<KivAudioMetaBuffer> buffer,
                                                       std::uint32_t channels);

    // The current loop plays out and the buffer runs on, from the next cycle.
    void requestDevamp() { _devampPending.store(true, std::memory_order_release); }

    // Render thread, at the start of a cycle.
    void beginCycle();
    // Render thread: the chain's input for one call. `wanted` says the
    // actions ask for sound; through the fade of a hard stop
    // (`hardStopFading`) the file plays on as it did.
    void read(const AudioChannels& data, bool wanted, bool hardStopFading);
    // Whether the last call let the file through to the chain. Read by the
    // control thread too.
    bool inputOpen() const { return _inputOpen.load(std::memory_order_relaxed); }
    // Nothing sounds any more, so the next sound starts from silence.
    void closeInput() { _inputOpen.store(false, std::memory_order_relaxed); }

private:
    // Render thread: a seek while the file plays; the sound it leaves fades
    // out under the one it goes to, unless that goes on where it was.
    void crossfadeToSeek(const AudioChannels& data);

    std::unique_ptr<KivAudioMetaBuffer> _buffer;
    KivAudioMetaBufferWorker _worker = KivAudioMetaBufferWorker::Thread;
    KivReadFramesInfo _readInfo;
    // Where the sound a seek leaves is read, to fade out under the new one.
    std::vector<float> _tail;
    std::vector<float*> _tailChannels;
    // Set by the devamp action, taken by the render thread: the buffer may
    // be swapped by a rebuild meanwhile.
    std::atomic<bool> _devampPending{false};
    // Written by the render thread (and rebuilds), read by the cleanup check.
    std::atomic<bool> _inputOpen{false};
};
