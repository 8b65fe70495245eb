#pragma once

#include "audio/core/AudioChannels.h"
#include "audio/render/KivRetireList.h"
#include "audio/source/KivMetaBufferHandOver.h"
#include "audio/source/KivMetaBufferSerials.h"
#include "audio/source/KivSlice.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Clock;
class KivMetaBufferTimes;

// A meta buffer's play state, the render thread's alone: the slices with
// their passes left, the position, the two read-ahead buffers (one plays,
// the other holds the pre-roll of the next jump) and the requests for new
// ones, the finish and the dropped frames. It never allocates, takes no lock
// and never waits: what it lets go of goes onto the retire list.
class KivMetaBufferPlay {
public:
    static constexpr std::int64_t kNoEndPoint = INT64_MAX;

    // Owner's thread. `retired`, `serials` and `clock` are kept, not owned;
    // `fileFrames` is the file's length at the working rate `rate`, `name`
    // the file's for the drop warning.
    KivMetaBufferPlay(KivRetireList& retired, KivMetaBufferSerials& serials, const Clock& clock,
                      std::int64_t fileFrames, double rate, std::string name);
    // Owner's thread, once nothing reads.
    ~KivMetaBufferPlay();
    KivMetaBufferPlay(const KivMetaBufferPlay&) = delete;
    KivMetaBufferPlay& operator=(const KivMetaBufferPlay&) = delete;

    // Owner's thread, before anything reads: the first state, from frame 0.
    void begin(std::vector<KivSlice> slices, std::uint64_t generation);

    // Render thread, at the start of each read.
    void beginRead() {
        _lastReadEndPoint = kNoEndPoint;
        _wantsChanged = false;
    }
    // Render thread: the next state handed over; both buffers are retired.
    void take(KivMetaBufferReset& reset);
    // Render thread: a buffer the tend step made for `slot`.
    void offer(std::size_t slot, KivMetaBufferDelivery* delivery);
    // Render thread: the next slice that would loop back plays this pass to
    // its end and play runs on.
    void devamp();
    // Render thread: `n` frames into `destination` from `offset`, silence
    // where no audio is ready or play has ended.
    void read(std::uint32_t n, const AudioChannels& destination, std::uint32_t offset);

    // Render thread: the requests changed since beginRead(); these are they,
    // with the generation of the state that makes them.
    bool wantsChanged() const { return _wantsChanged; }
    const KivMetaBufferWant* wants() const { return _wants; }
    std::uint64_t generation() const { return _generation; }
    // Render thread: the times for others to see.
    void publish(KivMetaBufferTimes& times) const;

    // Render thread, of the last read (see KivAudioMetaBuffer).
    std::int64_t lastReadStartFrame() const { return _lastReadStartFrame; }
    std::int64_t lastReadFramesToEndPoint() const { return _lastReadEndPoint; }
    // Any thread: every frame silenced by an underrun.
    std::uint64_t droppedFrames() const { return _droppedFrames.load(std::memory_order_relaxed); }

    // Manual mode, the reader's own thread: one fill step of the buffers held
    // in `slot`.
    void fillOnce(std::size_t slot);

private:
    void install(std::size_t slot, KivMetaBufferDelivery* delivery);
    void retire(KivMetaBufferDelivery*& delivery);
    void readSegment(std::uint32_t frames, const AudioChannels& destination, std::uint32_t offset);
    // The jump point is reached: retires the playing buffer and switches to
    // the pre-roll, or starts over from the position when there is none.
    void jump();
    // Retires both buffers and asks for a fresh start from the position.
    void startOver();
    // Asks for the pre-roll of the next jump in the free slot, if any.
    void askForPreRoll();
    void warnOfDroppedFrames();

    KivRetireList& _retired;
    KivMetaBufferSerials& _serials;
    const Clock& _clock;
    std::int64_t _fileFrames = 0;
    double _rate = 0.0;
    std::string _name;

    std::vector<KivSlice> _slices; // passes left counted down
    KivMetaBufferPosition _position;
    std::uint64_t _generation = 0; // of the state taken last
    KivMetaBufferDelivery* _installed[2] = {nullptr, nullptr};
    // Buffers for a state handed over but not taken yet.
    KivMetaBufferDelivery* _early[2] = {nullptr, nullptr};
    KivMetaBufferWant _wants[2];
    int _playing = -1; // the slot that plays; -1 none
    bool _wantsChanged = false;
    bool _isFinished = false;
    double _timeWeNoticedWeWereFinished = 0.0;
    std::int64_t _lastReadStartFrame = 0;
    std::int64_t _lastReadEndPoint = kNoEndPoint;
    std::uint64_t _totalDroppedFrames = 0; // the warning resets
    double _lastTimeWeLoggedDroppedFrames = 0.0;
    std::atomic<std::uint64_t> _droppedFrames{0};
};
