#include "model/AudioWaveform.h"

#include "foundation/KivLog.h"
#include "platform/alias/KivAlias.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<AudioWaveform>
AudioWaveform::create(std::shared_ptr<KivAlias> alias, double framesPerPoint,
                      std::shared_ptr<AudioWaveformExecutor> executor, std::function<void()> redraw,
                      KivAudioBufferWorker worker) {
    const std::string description = alias ? alias->description() : std::string("(null)");
    const KivAudioStreamDescription format = KivAudioStreamDescription::description();
    auto buffer = KivAudioBuffer::create(
        std::move(alias), 0.0, 0.0, static_cast<std::uint32_t>(format.sampleRate() * kRingSeconds),
        &format, true, worker);
    if (!buffer) {
        logFormat("Error: AudioWaveform unable to create buffer with file: %s",
                  description.c_str());
        return nullptr;
    }
    std::shared_ptr<AudioWaveform> waveform(new AudioWaveform());
    waveform->_executor = std::move(executor);
    waveform->_redraw = std::move(redraw);
    const double frames = static_cast<double>(buffer->totalFramesToRead());
    double perPoint = buffer->fileLengthInSeconds() < kShortFileSeconds
                          ? 1.0
                          : std::max(1.0, std::floor(framesPerPoint));
    perPoint = std::max(perPoint, std::ceil(frames / kMostPoints));
    waveform->_framesPerPointWhole = static_cast<std::uint32_t>(perPoint);
    waveform->_framesPerPoint = perPoint;
    waveform->_framesPerSecond = buffer->readFormat().sampleRate();
    // The tail shorter than a point gets a point of its own.
    waveform->_totalPoints = static_cast<std::uint32_t>(std::ceil(frames / perPoint));
    waveform->_max.assign(waveform->_totalPoints, 0.0f);
    waveform->_min.assign(waveform->_totalPoints, 0.0f);
    const std::uint32_t scratchPoints = std::max(1u, 65536u / waveform->_framesPerPointWhole);
    waveform->_scratch.assign(buffer->readFormat().channels(),
                              std::vector<float>(scratchPoints * waveform->_framesPerPointWhole));
    for (auto& channel : waveform->_scratch) {
        waveform->_scratchChannels.push_back(channel.data());
    }
    waveform->_buffer = std::move(buffer);
    waveform->schedulePass(kPassPause);
    return waveform;
}

AudioWaveform::~AudioWaveform() {
    if (_buffer) {
        _buffer->killWorker();
    }
}

void AudioWaveform::schedulePass(double delay) {
    auto self = shared_from_this();
    if (delay <= 0.0) {
        _executor->runInBackground([self] { self->runPass(); });
        return;
    }
    _executor->runOnOwner(delay, [self] {
        if (self->live()) {
            self->_executor->runInBackground([self] { self->runPass(); });
        }
    });
}

void AudioWaveform::runPass() {
    const std::uint32_t perPoint = _framesPerPointWhole;
    const auto scratchFrames =
        static_cast<std::uint32_t>(_scratch.empty() ? 0 : _scratch[0].size());
    const AudioChannels destination{_scratchChannels.data(),
                                    static_cast<std::uint32_t>(_scratchChannels.size()),
                                    scratchFrames};
    std::uint32_t passed = 0;
    bool done = false;
    while (live() && passed < kPassFrames) {
        std::uint32_t valid = _validPoints.load(std::memory_order_relaxed);
        // Finished first: from then on count() only falls, so it is the tail.
        const bool finished = _buffer->isFinished();
        const std::uint32_t available = _buffer->count();
        if (valid >= _totalPoints || (finished && available == 0) ||
            destination.channelCount == 0) {
            done = true;
            break;
        }
        std::uint32_t frames = std::min(available, scratchFrames);
        if (!finished || frames < available) {
            frames -= frames % perPoint;
        }
        if (frames == 0) {
            break;
        }
        // Never more than the buffer holds: a short read would owe frames.
        const std::uint32_t read = _buffer->readFrames(frames, destination, 0);
        for (std::uint32_t from = 0; from < read && valid < _totalPoints; from += perPoint) {
            storePoint(from, std::min(perPoint, read - from));
            _validPoints.store(++valid, std::memory_order_release);
        }
        passed += read;
        if (read == 0) {
            break;
        }
    }
    if (!live()) {
        return;
    }
    if (done) {
        _complete.store(true, std::memory_order_release);
    } else {
        schedulePass(passed >= kPassFrames ? 0.0 : kPassPause);
    }
    auto self = shared_from_this();
    _executor->runOnOwner(0.0, [self] {
        if (self->live() && self->_redraw) {
            self->_redraw();
        }
    });
}

void AudioWaveform::storePoint(std::uint32_t from, std::uint32_t n) {
    float high = -1.0f;
    float low = 1.0f;
    for (const auto& channel : _scratch) {
        for (std::uint32_t i = from; i < from + n; ++i) {
            high = std::max(high, channel[i]);
            low = std::min(low, channel[i]);
        }
    }
    const std::uint32_t index = _validPoints.load(std::memory_order_relaxed);
    if (low > high) {
        high = 0.0f;
        low = 0.0f;
    }
    _max[index] = high;
    _min[index] = low;
}

std::pair<std::uint32_t, std::uint32_t> AudioWaveform::pointsBetween(double startTime,
                                                                     double endTime) const {
    const std::uint32_t valid = validPoints();
    if (!(endTime > startTime) || valid == 0) {
        return {0, 0};
    }
    const double scale = _framesPerSecond / _framesPerPoint;
    const double first = std::floor(std::max(0.0, startTime) * scale);
    // Ceil: a span narrower than a point still takes the point it lies in.
    const double last = std::ceil(std::max(0.0, endTime) * scale);
    const auto cut = [valid](double index) {
        return static_cast<std::uint32_t>(std::min(index, static_cast<double>(valid)));
    };
    return {cut(first), cut(last)};
}

float AudioWaveform::maxValueBetween(double startTime, double endTime) const {
    const auto [first, last] = pointsBetween(startTime, endTime);
    float value = 0.0f;
    for (std::uint32_t i = first; i < last; ++i) {
        value = std::max(value, _max[i]);
    }
    return std::min(value, 1.0f);
}

float AudioWaveform::minValueBetween(double startTime, double endTime) const {
    const auto [first, last] = pointsBetween(startTime, endTime);
    float value = 0.0f;
    for (std::uint32_t i = first; i < last; ++i) {
        value = std::min(value, _min[i]);
    }
    return value;
}
