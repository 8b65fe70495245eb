#pragma once

#include "audio/source/KivAudioBuffer.h"
#include "model/AudioWaveformExecutor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class KivAlias;

// A min/max overview of one audio file, one point per framesPerPoint()
// frames, computed on a background executor from read-ahead buffers while
// the owner's thread draws from the points computed so far. A long file is
// cut into segments computed side by side, each in order from its start, so
// that decoding it takes every read-ahead worker. Passes hold the overview
// alive; the owner sets it not live before letting go, and nothing is
// computed or delivered after that.
class AudioWaveform : public std::enable_shared_from_this<AudioWaveform> {
public:
    // Frames per point the editor asks for; a file under kShortFileSeconds
    // gets a point per frame.
    static constexpr double kEditorFramesPerPoint = 10.0;
    static constexpr double kShortFileSeconds = 10.0;
    // Seconds of audio the read-ahead ring holds.
    static constexpr double kRingSeconds = 20.0;
    // Long files get a coarser level so that memory stays bounded: 2^21
    // points (16 MB) hold about 8 minutes at the editor's density, and an
    // hour at 76 frames a point.
    static constexpr std::uint32_t kMostPoints = 1u << 21;
    // Pause before the next pass when the buffer had nothing to give.
    static constexpr double kPassPause = 0.01;
    // Frames one pass reads at most before it hands over and redraws.
    static constexpr std::uint32_t kPassFrames = 1u << 20;
    // Files of this many seconds or more are cut into segments, one per
    // read-ahead worker.
    static constexpr double kSegmentedSeconds = 600.0;

    // Owner's thread. Null, logged, when the file's buffer cannot be made.
    // `redraw` runs on the owner's thread, only while the overview is live.
    static std::shared_ptr<AudioWaveform>
    create(std::shared_ptr<KivAlias> alias, double framesPerPoint,
           std::shared_ptr<AudioWaveformExecutor> executor, std::function<void()> redraw,
           KivAudioBufferWorker worker = KivAudioBufferWorker::Thread);
    AudioWaveform(const AudioWaveform&) = delete;
    AudioWaveform& operator=(const AudioWaveform&) = delete;
    ~AudioWaveform();

    // Any thread.
    bool live() const { return _live.load(std::memory_order_acquire); }
    void setLive(bool live) { _live.store(live, std::memory_order_release); }

    // Fixed once made.
    double framesPerPoint() const { return _framesPerPoint; }
    std::uint32_t totalPoints() const { return _totalPoints; }
    std::size_t segmentCount() const { return _segments.size(); }
    // Any thread: points computed so far, each published after its values.
    std::uint32_t validPoints() const;
    // Any thread: no pass will run again.
    bool isComplete() const;

    // Owner's thread: the peaks of the computed points of a span; 0 for an
    // empty span or one with no computed point. The max is at most 1.0; the
    // min has no lower limit.
    float maxValueBetween(double startTime, double endTime) const;
    float minValueBetween(double startTime, double endTime) const;
    // Owner's thread: one computed point's values (index below validPoints()).
    float pointMax(std::uint32_t index) const { return _max[index]; }
    float pointMin(std::uint32_t index) const { return _min[index]; }

    // Tests made with KivAudioBufferWorker::Manual pump the fill steps of the
    // (first) segment's buffer.
    KivAudioBuffer& buffer() { return *_segments.front()->buffer; }

private:
    // Points [first, end) read from a buffer over their frames; passes of
    // one segment run one at a time.
    struct Segment {
        std::unique_ptr<KivAudioBuffer> buffer;
        std::uint32_t first = 0;
        std::uint32_t end = 0;
        // Pass only: one read's frames, one vector per channel.
        std::vector<std::vector<float>> scratch;
        std::vector<float*> scratchChannels;
        // Points computed from `first` on, published after their values.
        std::atomic<std::uint32_t> valid{0};
        std::atomic<bool> complete{false};
    };

    AudioWaveform() = default;

    void schedulePass(Segment& segment, double delay);
    void runPass(Segment& segment);
    // Background: the peaks of frames [from, from + n) of the scratch into `index`.
    void storePoint(const Segment& segment, std::uint32_t index, std::uint32_t from,
                    std::uint32_t n);
    // `pick` over the computed points of a span, from 0; 0 for an empty span.
    template <typename Combine>
    float combine(double startTime, double endTime, Combine pick) const;

    std::vector<std::unique_ptr<Segment>> _segments;
    std::shared_ptr<AudioWaveformExecutor> _executor;
    std::function<void()> _redraw;
    std::uint32_t _framesPerPointWhole = 1;
    double _framesPerPoint = 1.0;
    double _framesPerSecond = 0.0;
    std::uint32_t _totalPoints = 0;
    std::vector<float> _max;
    std::vector<float> _min;
    std::atomic<bool> _live{true};
};
