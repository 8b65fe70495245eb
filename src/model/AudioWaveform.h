#pragma once

#include "audio/KivAudioBuffer.h"
#include "model/AudioWaveformExecutor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class KivAlias;

// A min/max overview of one audio file, computed in order from the start on
// a background executor from a read-ahead buffer, one point per
// framesPerPoint() frames, while the owner's thread draws from the points
// computed so far. Passes hold the overview alive; the owner sets it not
// live before letting go, and nothing is computed or delivered after that.
class AudioWaveform : public std::enable_shared_from_this<AudioWaveform> {
public:
    // Frames per point the editor asks for; a file under kShortFileSeconds
    // gets a point per frame.
    static constexpr double kEditorFramesPerPoint = 10.0;
    static constexpr double kShortFileSeconds = 10.0;
    // Seconds of audio the read-ahead ring holds.
    static constexpr double kRingSeconds = 20.0;
    // Long files get a coarser level so that memory stays bounded: 2^21
    // points (16 MB) is over 47 minutes at the editor's density.
    static constexpr std::uint32_t kMostPoints = 1u << 21;
    // Pause before the next pass when the buffer had nothing to give.
    static constexpr double kPassPause = 0.01;
    // Frames one pass reads at most before it hands over and redraws.
    static constexpr std::uint32_t kPassFrames = 1u << 20;

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
    double framesPerSecond() const { return _framesPerSecond; }
    std::uint32_t totalPoints() const { return _totalPoints; }
    // Any thread: points computed so far, published after their values.
    std::uint32_t validPoints() const { return _validPoints.load(std::memory_order_acquire); }
    // Any thread: no pass will run again.
    bool isComplete() const { return _complete.load(std::memory_order_acquire); }

    // Owner's thread: the peaks of the computed points of a span; 0 for an
    // empty span or one with no computed point. The max is at most 1.0; the
    // min has no lower limit.
    float maxValueBetween(double startTime, double endTime) const;
    float minValueBetween(double startTime, double endTime) const;
    // Owner's thread: one computed point's values (index below validPoints()).
    float pointMax(std::uint32_t index) const { return _max[index]; }
    float pointMin(std::uint32_t index) const { return _min[index]; }

    // Tests made with KivAudioBufferWorker::Manual pump its fill steps.
    KivAudioBuffer& buffer() { return *_buffer; }

private:
    AudioWaveform() = default;

    void schedulePass(double delay);
    void runPass();
    // Background: one point's peaks over frames [from, from + n) of the scratch.
    void storePoint(std::uint32_t from, std::uint32_t n);
    // Point indices [first, last) of a span, `last` cut at the computed ones.
    std::pair<std::uint32_t, std::uint32_t> pointsBetween(double startTime, double endTime) const;

    std::unique_ptr<KivAudioBuffer> _buffer;
    std::shared_ptr<AudioWaveformExecutor> _executor;
    std::function<void()> _redraw;
    std::uint32_t _framesPerPointWhole = 1;
    double _framesPerPoint = 1.0;
    double _framesPerSecond = 0.0;
    std::uint32_t _totalPoints = 0;
    std::vector<float> _max;
    std::vector<float> _min;
    // Pass only: one read's frames, one vector per channel.
    std::vector<std::vector<float>> _scratch;
    std::vector<float*> _scratchChannels;
    std::atomic<bool> _live{true};
    std::atomic<std::uint32_t> _validPoints{0};
    std::atomic<bool> _complete{false};
};
