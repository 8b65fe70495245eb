#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/source/KivAudioReading.h"
#include "audio/source/KivReadAheadPool.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class KivAlias;
class KivAudioFile;
class KivAudioRingBuffer;

// Who runs the fill steps of a read-ahead buffer: the shared read-ahead
// pool's workers, or (tests) the caller, one fillOnce() at a time.
enum class KivAudioBufferWorker { Thread, Manual };

// One time window of one file, read ahead into rings from which one consumer
// (the render thread) takes frames. The consumer never waits: a read that
// finds too few frames delivers what is there, owes the rest (they are
// discarded once they arrive, so the position keeps pace with playback time)
// and hints the worker. Fill steps hold no lock while they read the file; the
// consumer posts them to the pool without blocking when the ring is half
// empty or short.
//
// A buffer nobody reads yet holds only its head: the first kHeadFrames
// frames of the window, read when it is made, so that play starts on its
// first frame while an idle cue costs little memory. The first read asks
// for the body, a ring of the full capacity that the worker makes and fills
// with the frames after the head; the consumer moves on to it once the head
// is spent. Ownership of the body passes to the consumer through one atomic
// pointer, published after the producer's last frame into the head.
class KivAudioBuffer final : public KivAudioReading, private KivReadAheadTask {
public:
    // Frames held before anyone reads, and the most one fill step reads, so
    // that one file never holds a pool worker for long.
    static constexpr std::uint32_t kHeadFrames = 8192;

    // Owner's thread. Opens the file, seeks it to `startTime` and, with
    // KivAudioBufferWorker::Thread, reads the head and hands the buffer to the
    // read-ahead pool. An `endTime` at or before the start, or past the file's end,
    // means the file's end. With `matchFileChannels` the format takes the
    // file's channel count; without it, a different count is refused. Null,
    // with the reason logged, for no alias, no format, a start below 0, a
    // time that is not finite, a capacity below 512 frames, a file that
    // does not open, or a window that would be empty.
    static std::unique_ptr<KivAudioBuffer>
    create(std::shared_ptr<KivAlias> alias, double startTime, double endTime,
           std::uint32_t bufferSize, const KivAudioStreamDescription* format,
           bool matchFileChannels, KivAudioBufferWorker worker = KivAudioBufferWorker::Thread);

    // Owner's thread, never the render thread, once the buffer is unhooked
    // from the render path: takes it out of the pool if it is still there.
    ~KivAudioBuffer();
    KivAudioBuffer(const KivAudioBuffer&) = delete;
    KivAudioBuffer& operator=(const KivAudioBuffer&) = delete;

    // Consumer thread (render). Moves up to `frames` frames, cut at the
    // window's end, to `destination` from `offset`, silences the rest of
    // those frames and answers the frames delivered. Never allocates or
    // blocks.
    std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                             std::uint32_t offset) override;

    // Any thread: frames waiting in the head and the body.
    std::uint32_t count() const;
    // Any thread: the body has been made (a consumer has begun reading).
    bool hasBody() const { return _body.load(std::memory_order_acquire) != nullptr; }
    // Any thread: the next reads discard `frames` more frames (playback
    // moved on while the buffer was being made).
    void drop(std::uint32_t frames);
    // Any thread: the window has been delivered or discarded, or the file
    // ended (the ring may still hold frames then).
    bool isFinished() const;

    // Owner's thread: takes the buffer out of the pool and returns once no
    // fill step runs; later calls do nothing. It waits for a file read in
    // progress, so it is never called under a lock the render thread takes:
    // unhook the buffer under that lock, kill it outside.
    void killWorker();

    // Pool worker (or, made with KivAudioBufferWorker::Manual, the test
    // standing in for it): one fill step. Makes the body once the consumer
    // has begun; then reads at most kHeadFrames frames, and at most the free
    // space of the ring being filled, from the file into it; answers the
    // frames stored. A read of 0 frames is the end of the file.
    std::uint32_t fillOnce();
    // Any thread: the consumer has asked for a fill that has not begun yet.
    bool wakeRequested() const { return _wakeRequested.load(std::memory_order_acquire); }

    // Any thread; fixed once made.
    double startTime() const { return _startTime; }
    double endTime() const { return _endTime; }
    std::int64_t startFrame() const { return _startFrame; }
    std::int64_t totalFramesToRead() const { return _totalFramesToRead; }
    const KivAudioStreamDescription& readFormat() const { return _readFormat; }
    std::uint32_t fileChannels() const { return _fileChannels; }
    double fileLengthInSeconds() const { return _fileLengthInSeconds; }
    const std::optional<KivAudioStreamDescription>& fileFormat() const { return _fileFormat; }
    // Any thread: the file's present path.
    std::string description() const;
    // Any thread: frames delivered or discarded so far.
    std::int64_t framesRead() const { return _totalFramesRead.load(std::memory_order_acquire); }
    // Any thread: frames owed after underruns and drop(), still to discard.
    std::int64_t framesOwed() const { return _totalDroppedFrames.load(std::memory_order_acquire); }

private:
    KivAudioBuffer() = default;

    // KivReadAheadTask: a fill step, posted again while the ring being filled
    // has room and someone reads.
    void runStep() override;
    // Consumer thread: readFrames without the silencing; `asked` fits the
    // destination from `offset`.
    std::uint32_t deliver(std::uint32_t asked, const AudioChannels& destination,
                          std::uint32_t offset);
    // Consumer thread: moves from the spent head to the body once it is
    // there; answers whether it moved.
    bool moveToBody();
    // Consumer thread: frames out of the head, then the body.
    std::uint32_t take(const AudioChannels& destination, std::uint32_t offset,
                       std::uint32_t frames);
    std::uint32_t discard(std::uint32_t frames);
    // Consumer thread: hint the worker, without blocking.
    void requestFill();

    // Fixed before the worker starts.
    std::shared_ptr<KivAlias> _alias;
    double _startTime = 0.0;
    double _endTime = 0.0;
    std::uint32_t _bufferSize = 0;
    std::unique_ptr<KivAudioFile> _file; // worker thread only once made
    KivAudioStreamDescription _readFormat;
    std::unique_ptr<KivAudioRingBuffer> _head; // worker fills, consumer empties
    std::int64_t _startFrame = 0;
    std::int64_t _totalFramesToRead = 0;
    std::uint32_t _fileChannels = 0;
    double _fileLengthInSeconds = 0.0;
    std::optional<KivAudioStreamDescription> _fileFormat;
    // Kept until the buffer goes: the consumer may post after killWorker.
    std::shared_ptr<KivReadAheadPool> _pool;

    // The worker makes the body and then publishes it; from then on it fills
    // only the body. Freed with the buffer.
    std::unique_ptr<KivAudioRingBuffer> _bodyStorage;
    bool _bodyRefused = false; // worker only: its storage could not be had
    std::atomic<KivAudioRingBuffer*> _body{nullptr};
    // Consumer only: the ring it reads, the head until it moves to the body.
    KivAudioRingBuffer* _reading = nullptr;
    // Consumer sets at its first read; the worker makes the body after it.
    std::atomic<bool> _consumerStarted{false};

    // Consumer writes; any thread reads.
    std::atomic<std::int64_t> _totalFramesRead{0};
    // Consumer and drop() write; consumer reads.
    std::atomic<std::int64_t> _totalDroppedFrames{0};
    // Worker writes; any thread reads.
    std::atomic<bool> _atEndOfFile{false};
    // Consumer sets, worker clears when a fill begins; the pool is posted
    // only when the flag goes up, so a busy consumer posts once per fill.
    std::atomic<bool> _wakeRequested{false};
};
