#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/render/KivRetireList.h"
#include "audio/source/KivAudioReading.h"
#include "audio/source/KivMetaBufferHandOver.h"
#include "audio/source/KivMetaBufferPlay.h"
#include "audio/source/KivMetaBufferSerials.h"
#include "audio/source/KivMetaBufferTender.h"
#include "audio/source/KivMetaBufferTimes.h"
#include "audio/source/KivSlice.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class Clock;
class KivAlias;
class KivAudioFile;

// Who runs the tend steps: the shared read-ahead pool (which fills the
// read-ahead buffers too), or (tests) the caller, through tendOnce() and
// fillBuffersOnce().
enum class KivAudioMetaBufferWorker { Thread, Manual };

// Plays a list of slices of one file without a gap at any loop point, through
// two read-ahead buffers: while one plays, the other already reads from the
// start of the range playback will jump back to next, so that the render call
// that reaches the jump switches buffers within the call. A buffer holds only
// its head until it is read (see KivAudioBuffer), so an idle meta buffer
// costs a head or two, and a task in the pool rather than a thread.
//
// The render thread takes no lock here and never waits. It alone owns the
// play state (KivMetaBufferPlay: the slices with their passes left, the
// position, the buffers that play); everything reaches it by hand-over:
// - seeks and new slice lists: the owner builds the next state and hands it
//   over through one atomic pointer, taken at the start of the next read (a
//   later change before that is folded into the one still waiting);
// - read-ahead buffers: the render thread (or, for a state it has not taken
//   yet, the owner) asks for a buffer by a serial number and a start frame;
//   the tend step (KivMetaBufferTender) makes it and hands it over through
//   one atomic pointer per buffer slot; a buffer that comes for a request no
//   longer current is retired;
// - what the render thread lets go of (buffers, old states) goes onto a
//   retire list that the tend step frees.
// The times the owner and the GUI poll are atomics the render thread
// publishes after each read (KivMetaBufferTimes).
class KivAudioMetaBuffer final : public KivAudioReading {
public:
    static constexpr std::uint32_t kBufferFrames = KivMetaBufferTender::kBufferFrames;

    // Owner's thread. One slice covering the whole file once; with
    // KivAudioMetaBufferWorker::Thread a tend step in the pool starts
    // reading ahead from frame 0.
    // Null, without a message, for no alias or format, a rate not above 0 or
    // a file of no length. `clock` (kept, not owned) gives the times of the
    // finish and the drop warning; null means the steady clock.
    static std::unique_ptr<KivAudioMetaBuffer>
    create(std::shared_ptr<KivAlias> alias, const KivAudioStreamDescription* format,
           KivAudioMetaBufferWorker worker = KivAudioMetaBufferWorker::Thread,
           const Clock* clock = nullptr);

    // Owner's thread, once the meta buffer is off the render path.
    ~KivAudioMetaBuffer();
    KivAudioMetaBuffer(const KivAudioMetaBuffer&) = delete;
    KivAudioMetaBuffer& operator=(const KivAudioMetaBuffer&) = delete;

    // Owner's thread. Takes an array of {"startTime", "endTime", "playCount"}
    // dictionaries (an empty array: the whole file once); from the next read
    // on both buffers are retired and the finish is cleared. An invalid list
    // is refused with a warning and false, and the previous list stays. The
    // position is left as it is: follow with goToTime().
    bool setSlices(const nlohmann::json& slices);
    // Owner's thread. The slice list as dictionaries.
    nlohmann::json slices() const;

    // Owner's thread. Moves play to `seconds` of logical time from the first
    // slice's start, honouring loops, from the next read on; a negative time
    // (or NaN) is 0. At 0 with nothing read, nothing changed and the position
    // at the first slice's start, it does nothing, so freshly made buffers
    // stay.
    void goToTime(double seconds);

    // Render thread. Writes `frames` frames (cut to fit the destination from
    // `offset`), silence where no audio is ready or play has ended; answers
    // the frames written. Allocates nothing, reads no file, takes no lock.
    std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                             std::uint32_t offset) override;
    // Render thread. The same, but a seek or slice list handed over and not
    // taken yet waits for the next readFrames: the frames go on from where
    // play is, so that the fade of a stop is made of the sound that played,
    // not of the place the stop sends play back to.
    std::uint32_t readOn(std::uint32_t frames, const AudioChannels& destination,
                         std::uint32_t offset);
    // Render thread, of the last read: the file frame it began at, and how
    // many frames after its first one play stops at an end point inside the
    // file (the last slice ends before the file does) with no loop jump on
    // the way; kNoEndPoint when there is no such point, or only beyond a jump.
    static constexpr std::int64_t kNoEndPoint = KivMetaBufferPlay::kNoEndPoint;
    // Render thread: a seek is handed over that the next readFrames takes.
    bool seekWaits() const;
    std::int64_t lastReadStartFrame() const { return _play.lastReadStartFrame(); }
    std::int64_t lastReadFramesToEndPoint() const { return _play.lastReadFramesToEndPoint(); }

    // Any thread but the render thread; none takes a lock the render thread
    // takes. A seek or slice list not yet taken by a read shows at once.
    bool isFinished() const;
    // The clock's time when the end of play was noticed; 0 before.
    double approximateTimeOfFinish() const;
    // Seconds of frames handed out since the last seek, plus the seek's time.
    double elapsedPlayTime() const;
    // Seconds of logical time: every pass of a finite loop counts, a forever
    // slice's passes each run over its own stretch again.
    double elapsedLogicalTime() const;
    // The play position in the file.
    double currentFileTime() const;
    // From the play position to the end of the next slice that loops back,
    // or of the last slice.
    double timeUntilLoop() const;
    double startTime() const { return _startTime.load(std::memory_order_relaxed); }
    double endTime() const { return _endTime.load(std::memory_order_relaxed); }
    double fileLengthInSeconds() const { return _fileEndTime; }
    std::uint32_t fileChannels() const { return _fileChannels; }
    // Sum of each slice's length times its play count, a forever slice once.
    double audioLengthInSeconds() const { return _totalSliceTime.load(std::memory_order_relaxed); }
    // Any thread. Every frame silenced by an underrun since the meta buffer
    // was made; the warning counts only since its last line.
    std::uint64_t droppedFrames() const { return _play.droppedFrames(); }

    // Any thread, the render thread included: never waits. From the next
    // readFrames on, the next slice that would loop back plays this pass to
    // its end and play runs on, as if its count ran out then. setSlices and
    // goToTime drop a devamp not yet applied.
    void devamp();

    // Owner's thread: takes the meta buffer out of the pool and returns once
    // no tend step runs; later calls do nothing.
    void killWorker();

    // Pool worker (or, made with KivAudioMetaBufferWorker::Manual, the test
    // standing in for it): one step. Frees what the render thread retired,
    // makes the buffers asked for and hands them over. Answers true when the
    // requests changed while it made buffers, so the step must run again at
    // once.
    bool tendOnce();
    // Manual mode only (does nothing otherwise): one fill step of each
    // read-ahead buffer, on the caller's thread, which in this mode also
    // reads, never at the same time.
    void fillBuffersOnce();

private:
    KivAudioMetaBuffer(std::shared_ptr<KivAlias> alias, const KivAudioFile& file,
                       const KivAudioStreamDescription& format, KivAudioMetaBufferWorker worker,
                       const Clock& clock);

    double secondsFromFrames(std::int64_t frames) const;
    // Owner's thread: hands over the next state, made by `change` from the
    // one still waiting (or from none), with the buffers it asks for.
    template <class Change>
    void handOver(Change change);
    // Render thread.
    std::uint32_t read(std::uint32_t frames, const AudioChannels& destination, std::uint32_t offset,
                       bool takeHandOver);

    // Fixed once made.
    std::string _aliasName; // resolved once, for the warnings
    KivAudioStreamDescription _format;
    double _fileEndTime = 0.0;
    std::uint32_t _fileChannels = 0;
    std::int64_t _fileFrames = 0; // the file's length at the working rate
    const Clock& _clock;

    KivMetaBufferSerials _serials;
    // Render thread pushes; the tend step (or the end) frees.
    KivRetireList _retired;

    // Owner's; slices() may look from any thread.
    mutable std::mutex _sliceMutex;
    std::vector<KivSlice> _sliceList; // the list as set
    // Written by the owner, read anywhere.
    std::atomic<double> _totalSliceTime{0.0};
    std::atomic<double> _startTime{0.0};
    std::atomic<double> _endTime{0.0};

    // Owner hands over, render thread takes (exchanging it for null).
    std::atomic<KivMetaBufferReset*> _pendingReset{nullptr};
    // Any thread sets, the render thread takes; setSlices and goToTime clear.
    std::atomic<bool> _devampRequested{false};

    KivMetaBufferTimes _times;
    KivMetaBufferTender _tender;
    KivMetaBufferPlay _play;
};
