#pragma once

#include "audio/KivAudioReading.h"
#include "audio/KivAudioStreamDescription.h"
#include "audio/KivReadAheadPool.h"
#include "audio/KivSlice.h"
#include "foundation/PriorityInheritanceMutex.h"
#include "foundation/RenderLogLimiter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class Clock;
class KivAlias;
class KivAudioBuffer;

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
// The render thread only reads, and never waits on disk: the lock it takes is
// held by others only to plan, swap pointers or unhook buffers; taking a
// buffer out of the pool and freeing it (which wait for a file read) happen
// outside the lock, in the tend step or on the caller's thread.
class KivAudioMetaBuffer final : public KivAudioReading, private KivReadAheadTask {
public:
    static constexpr std::uint32_t kBufferFrames = 22050;

    // Owner's thread. One slice covering the whole file once; with
    // KivAudioMetaBufferWorker::Thread a tend step in the pool starts planning
    // from frame 0.
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
    // dictionaries (an empty array: the whole file once), retires both buffers
    // and clears the finish. An invalid list is refused with a warning and
    // false, and the previous list stays. The position is left as it is:
    // follow with goToTime().
    bool setSlices(const nlohmann::json& slices);
    // Owner's thread. The slice list as dictionaries.
    nlohmann::json slices() const;

    // Owner's thread. Moves play to `seconds` of logical time from the first
    // slice's start, honouring loops; a negative time (or NaN) is 0. At 0 with
    // nothing read, nothing changed and the position at the first slice's
    // start, it does nothing, so freshly made buffers stay.
    void goToTime(double seconds);

    // Render thread. Writes `frames` frames (cut to fit the destination from
    // `offset`), silence where no audio is ready or play has ended; answers
    // the frames written. Allocates nothing, reads no file.
    std::uint32_t readFrames(std::uint32_t frames, const AudioChannels& destination,
                             std::uint32_t offset) override;

    // Any thread but the render thread.
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
    double startTime() const;
    double endTime() const;
    double fileLengthInSeconds() const { return _fileEndTime; }
    std::uint32_t fileChannels() const { return _fileChannels; }
    // Sum of each slice's length times its play count, a forever slice once.
    double audioLengthInSeconds() const;
    // Any thread. Every frame silenced by an underrun since the meta buffer
    // was made; the warning counts only since its last line.
    std::uint64_t droppedFrames() const { return _droppedFrames.load(std::memory_order_relaxed); }

    // Any thread, the render thread included: never waits. From the next
    // readFrames on, the next slice that would loop back plays this pass to
    // its end and play runs on, as if its count ran out then. setSlices and
    // goToTime drop a devamp not yet applied.
    void devamp();

    // Owner's thread: takes the meta buffer out of the pool and returns once
    // no tend step runs; later calls do nothing.
    void killWorker();

    // Pool worker (or, made with KivAudioMetaBufferWorker::Manual, the test
    // standing in for it): one step. Frees the buffers the render thread
    // retired, plans and makes the buffers that are missing and installs
    // them. Answers true when the state changed while it made buffers, so
    // the step must run again at once.
    bool tendOnce();
    // Manual mode only (does nothing otherwise): one fill step of each
    // installed read-ahead buffer, on the caller's thread.
    void fillBuffersOnce();

private:
    KivAudioMetaBuffer() = default;

    // KivReadAheadTask: tend steps until nothing changed meanwhile.
    void runStep() override;
    // Any thread, the render thread included: a tend step runs soon; an
    // urgent one (playback jumped) before the steps of idle cues.
    void wake(bool urgent = false);
    double secondsFromFrames(std::int64_t frames) const;
    // The start time of a read-ahead buffer that begins at `frame`.
    double bufferStartTime(std::int64_t frame) const;
    // Under _mutex: unhooks both buffers into `retired` for freeing outside
    // the lock.
    void unhookBuffers(std::vector<std::unique_ptr<KivAudioBuffer>>& retired);
    // Under _mutex, render thread: readFrames' work; answers whether play
    // jumped, so the tend step must be woken.
    bool readUnderLock(std::uint32_t n, const AudioChannels& destination, std::uint32_t offset);
    // Under _mutex, render thread: `frames` frames from the playing buffer
    // (or silence) into `destination` at `offset`, counting a shortfall.
    void readSegment(std::uint32_t frames, const AudioChannels& destination, std::uint32_t offset);
    // Under _mutex, render thread: the jump point is reached; retires the
    // playing buffer and switches to the pre-roll. The caller wakes the tend
    // step once it has let the lock go.
    void jump();
    // Under _mutex, render thread: applies a devamp that was asked for.
    void devampLocked();
    // Under _mutex, render thread: the once-a-second underrun warning.
    void warnOfDroppedFrames();

    // Fixed once made.
    std::shared_ptr<KivAlias> _alias;
    std::string _aliasName; // resolved once, so the render thread never resolves
    KivAudioStreamDescription _format;
    double _fileEndTime = 0.0;
    std::uint32_t _fileChannels = 0;
    double _fileRate = 0.0;
    std::int64_t _fileFrames = 0; // the file's length at the working rate
    const Clock* _clock = nullptr;
    KivAudioMetaBufferWorker _workerMode = KivAudioMetaBufferWorker::Thread;

    // Runs the tend steps; posting never blocks, so the render thread may.
    // A post with nothing to do costs one idle step. Kept until the meta
    // buffer goes: the render thread may post after killWorker.
    std::shared_ptr<KivReadAheadPool> _pool;

    // The list as set, for slices(); the render thread never takes
    // _listMutex, so copying the list under it may allocate.
    mutable std::mutex _listMutex;
    std::vector<KivSlice> _sliceList;
    // devamp sets; readFrames takes it under _mutex, setSlices and goToTime clear it.
    std::atomic<bool> _devampRequested{false};
    RenderLogLimiter _lockErrors; // render thread: a read that could not take _mutex
    std::atomic<std::uint64_t> _droppedFrames{0}; // render adds, any thread reads

    // Everything below is guarded by _mutex. The render thread holds it for
    // a whole readFrames; nobody holds it across file I/O or a join.
    mutable PriorityInheritanceMutex _mutex;
    std::vector<KivSlice> _slices; // replaced by setSlices, plays remaining by render
    double _totalSliceTime = 0.0;
    std::int64_t _totalFramesRead = 0;             // render and goToTime write
    std::int64_t _totalFramesReadSansInfLoops = 0; // render and goToTime write
    std::int64_t _elapsedLogicalFrame = 0;         // render and goToTime write
    std::int64_t _playbackFrame = 0;               // render and goToTime write
    KivAudioBuffer* _playbackBuffer = nullptr;     // render switches, tend installs
    std::unique_ptr<KivAudioBuffer> _bufferA;      // tend installs and frees
    std::unique_ptr<KivAudioBuffer> _bufferB;
    KivReadFramesInfo _bufferAReadInfo;
    KivReadFramesInfo _bufferBReadInfo;
    bool _killA = false; // render sets, tend frees the buffer and clears
    bool _killB = false;
    bool _isFinished = false; // render sets; setSlices, goToTime clear
    double _timeWeNoticedWeWereFinished = 0.0;
    std::uint64_t _totalDroppedFrames = 0; // render counts, the warning resets
    double _lastTimeWeLoggedDroppedFrames = 0.0;
    bool _stateChanged = false; // render, setSlices, goToTime set; tend clears
};
