#pragma once

#include "audio/KivAudioReading.h"
#include "audio/KivAudioStreamDescription.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>

class KivAlias;
class KivAudioBufferList;
class KivAudioFile;
class KivAudioRingBuffer;

// Who runs the fill steps of a read-ahead buffer: its own worker thread, or
// (tests) the caller, one fillOnce() at a time.
enum class KivAudioBufferWorker { Thread, Manual };

// One time window of one file, read ahead by a worker into a ring from which
// one consumer (the render thread) takes frames. The consumer never waits:
// a read that finds too few frames delivers what is there, owes the rest
// (they are discarded once they arrive, so the position keeps pace with
// playback time) and hints the worker. The worker holds no lock while it
// reads the file; it sleeps on a semaphore that the consumer posts without
// blocking when the ring is half empty or short.
class KivAudioBuffer final : public KivAudioReading {
public:
    // Owner's thread. Opens the file, seeks it to `startTime` and starts the
    // worker. An `endTime` at or before the start, or past the file's end,
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
    // from the render path: stops the worker if it still runs.
    ~KivAudioBuffer();
    KivAudioBuffer(const KivAudioBuffer&) = delete;
    KivAudioBuffer& operator=(const KivAudioBuffer&) = delete;

    // Consumer thread (render). Moves up to `frames` frames, cut at the
    // window's end, to `destination` from `offset`, silences the rest of
    // those frames and answers the frames delivered. Never allocates or
    // blocks.
    std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                             std::uint32_t offset) override;

    // Any thread: frames waiting in the ring.
    std::uint32_t count() const;
    // Any thread: the next reads discard `frames` more frames (playback
    // moved on while the buffer was being made).
    void drop(std::uint32_t frames);
    // Any thread: the window has been delivered or discarded, or the file
    // ended (the ring may still hold frames then).
    bool isFinished() const;

    // Owner's thread: stops the worker and returns once it has ended; later
    // calls do nothing. It waits for a file read in progress, so it is never
    // called under a lock the render thread takes: unhook the buffer under
    // that lock, kill it outside.
    void killWorker();

    // Worker thread (or, made with KivAudioBufferWorker::Manual, the test
    // standing in for it): one fill step. Reads at most the ring's free space
    // from the file in one read and moves it into the ring; answers the
    // frames moved. A read of 0 frames is the end of the file.
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

    void run();
    // Consumer thread: readFrames without the silencing; `asked` fits the
    // destination from `offset`.
    std::uint32_t deliver(std::uint32_t asked, const AudioChannels& destination,
                          std::uint32_t offset);
    // Consumer thread: hint the worker, without blocking.
    void requestFill();

    // Fixed before the worker starts.
    std::shared_ptr<KivAlias> _alias;
    double _startTime = 0.0;
    double _endTime = 0.0;
    std::uint32_t _bufferSize = 0;
    std::unique_ptr<KivAudioFile> _file; // worker thread only once made
    KivAudioStreamDescription _readFormat;
    std::unique_ptr<KivAudioBufferList> _bufferList; // worker's staging list
    std::unique_ptr<KivAudioRingBuffer> _ringBuffer; // worker fills, consumer empties
    std::int64_t _startFrame = 0;
    std::int64_t _totalFramesToRead = 0;
    std::uint32_t _fileChannels = 0;
    double _fileLengthInSeconds = 0.0;
    std::optional<KivAudioStreamDescription> _fileFormat;
    bool _hasWorkerThread = false;

    // Consumer writes; any thread reads.
    std::atomic<std::int64_t> _totalFramesRead{0};
    // Consumer and drop() write; consumer reads.
    std::atomic<std::int64_t> _totalDroppedFrames{0};
    // Worker writes; any thread reads.
    std::atomic<bool> _atEndOfFile{false};
    // Owner writes (killWorker); worker reads.
    std::atomic<bool> _keepFillingBuffer{true};
    // Consumer sets, worker clears when a fill begins; the semaphore is
    // posted only when the flag goes up, so a busy consumer posts once per fill.
    std::atomic<bool> _wakeRequested{false};
    std::counting_semaphore<> _wake{0};
    std::thread _worker; // owned and joined by killWorker
};
