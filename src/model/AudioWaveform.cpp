#include "model/AudioWaveform.h"

#include "audio/source/KivReadAheadPool.h"
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
    const auto ringFrames = static_cast<std::uint32_t>(format.sampleRate() * kRingSeconds);
    auto first = KivAudioBuffer::create(alias, 0.0, 0.0, ringFrames, &format, true, worker);
    if (!first) {
        logFormat("Error: AudioWaveform unable to create buffer with file: %s",
                  description.c_str());
        return nullptr;
    }
    std::shared_ptr<AudioWaveform> waveform(new AudioWaveform());
    waveform->_executor = std::move(executor);
    waveform->_redraw = std::move(redraw);
    const double frames = static_cast<double>(first->totalFramesToRead());
    const double length = first->fileLengthInSeconds();
    double perPoint = length < kShortFileSeconds ? 1.0 : std::max(1.0, std::floor(framesPerPoint));
    perPoint = std::max(perPoint, std::ceil(frames / kMostPoints));
    waveform->_framesPerPointWhole = static_cast<std::uint32_t>(perPoint);
    waveform->_framesPerPoint = perPoint;
    waveform->_framesPerSecond = first->readFormat().sampleRate();
    // The tail shorter than a point gets a point of its own.
    const auto total = static_cast<std::uint32_t>(std::ceil(frames / perPoint));
    waveform->_totalPoints = total;
    waveform->_max.assign(total, 0.0f);
    waveform->_min.assign(total, 0.0f);

    const std::uint32_t count = length >= kSegmentedSeconds ? KivReadAheadPool::kWorkers : 1;
    const std::uint32_t pointsEach = (total + count - 1) / count;
    const std::uint32_t channels = first->readFormat().channels();
    const std::uint32_t scratchPoints = std::max(1u, 65536u / waveform->_framesPerPointWhole);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto segment = std::make_unique<Segment>();
        segment->first = std::min(total, i * pointsEach);
        segment->end = std::min(total, segment->first + pointsEach);
        if (i == 0) {
            segment->buffer = std::move(first);
        } else {
            const double start = segment->first * perPoint / waveform->_framesPerSecond;
            // The last segment reads to the file's end (an end time of 0).
            const double end =
                i + 1 == count ? 0.0 : segment->end * perPoint / waveform->_framesPerSecond;
            segment->buffer =
                KivAudioBuffer::create(alias, start, end, ringFrames, &format, true, worker);
            if (!segment->buffer) {
                logFormat("Error: AudioWaveform unable to create buffer with file: %s",
                          description.c_str());
                return nullptr;
            }
        }
        segment->scratch.assign(channels,
                                std::vector<float>(scratchPoints * waveform->_framesPerPointWhole));
        for (auto& channel : segment->scratch) {
            segment->scratchChannels.push_back(channel.data());
        }
        waveform->_segments.push_back(std::move(segment));
    }
    for (auto& segment : waveform->_segments) {
        waveform->schedulePass(*segment, kPassPause);
    }
    return waveform;
}

AudioWaveform::~AudioWaveform() {
    for (auto& segment : _segments) {
        segment->buffer->killWorker();
    }
}

std::uint32_t AudioWaveform::validPoints() const {
    std::uint32_t valid = 0;
    for (const auto& segment : _segments) {
        valid += segment->valid.load(std::memory_order_acquire);
    }
    return valid;
}

bool AudioWaveform::isComplete() const {
    return std::all_of(_segments.begin(), _segments.end(), [](const auto& segment) {
        return segment->complete.load(std::memory_order_acquire);
    });
}

void AudioWaveform::schedulePass(Segment& segment, double delay) {
    auto self = shared_from_this();
    Segment* passing = &segment;
    if (delay <= 0.0) {
        _executor->runInBackground([self, passing] { self->runPass(*passing); });
        return;
    }
    _executor->runOnOwner(delay, [self, passing] {
        if (self->live()) {
            self->_executor->runInBackground([self, passing] { self->runPass(*passing); });
        }
    });
}

void AudioWaveform::runPass(Segment& segment) {
    const std::uint32_t perPoint = _framesPerPointWhole;
    const auto scratchFrames =
        static_cast<std::uint32_t>(segment.scratch.empty() ? 0 : segment.scratch[0].size());
    const AudioChannels destination{segment.scratchChannels.data(),
                                    static_cast<std::uint32_t>(segment.scratchChannels.size()),
                                    scratchFrames};
    KivAudioBuffer& buffer = *segment.buffer;
    const std::uint32_t points = segment.end - segment.first;
    std::uint32_t passed = 0;
    bool done = false;
    while (live() && passed < kPassFrames) {
        std::uint32_t valid = segment.valid.load(std::memory_order_relaxed);
        // Finished first: from then on count() only falls, so it is the tail.
        const bool finished = buffer.isFinished();
        const std::uint32_t available = buffer.count();
        if (valid >= points || (finished && available == 0) || destination.channelCount == 0) {
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
        const std::uint32_t read = buffer.readFrames(frames, destination, 0);
        for (std::uint32_t from = 0; from < read && valid < points; from += perPoint) {
            storePoint(segment, segment.first + valid, from, std::min(perPoint, read - from));
            segment.valid.store(++valid, std::memory_order_release);
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
        segment.complete.store(true, std::memory_order_release);
    } else {
        schedulePass(segment, passed >= kPassFrames ? 0.0 : kPassPause);
    }
    auto self = shared_from_this();
    _executor->runOnOwner(0.0, [self] {
        if (self->live() && self->_redraw) {
            self->_redraw();
        }
    });
}

void AudioWaveform::storePoint(const Segment& segment, std::uint32_t index, std::uint32_t from,
                               std::uint32_t n) {
    float high = -1.0f;
    float low = 1.0f;
    for (const auto& channel : segment.scratch) {
        for (std::uint32_t i = from; i < from + n; ++i) {
            high = std::max(high, channel[i]);
            low = std::min(low, channel[i]);
        }
    }
    if (low > high) {
        high = 0.0f;
        low = 0.0f;
    }
    _max[index] = high;
    _min[index] = low;
}

template <typename Combine>
float AudioWaveform::combine(double startTime, double endTime, Combine pick) const {
    float value = 0.0f;
    if (!(endTime > startTime)) {
        return value;
    }
    const double scale = _framesPerSecond / _framesPerPoint;
    const double first = std::floor(std::max(0.0, startTime) * scale);
    // Ceil: a span narrower than a point still takes the point it lies in.
    const double last = std::ceil(std::max(0.0, endTime) * scale);
    for (const auto& segment : _segments) {
        const double computed = segment->first + segment->valid.load(std::memory_order_acquire);
        const auto from = static_cast<std::uint32_t>(std::max(first, double(segment->first)));
        const auto to = static_cast<std::uint32_t>(std::min(last, computed));
        for (std::uint32_t i = from; i < to; ++i) {
            value = pick(value, i);
        }
    }
    return value;
}

float AudioWaveform::maxValueBetween(double startTime, double endTime) const {
    const float value = combine(startTime, endTime,
                                [this](float v, std::uint32_t i) { return std::max(v, _max[i]); });
    return std::min(value, 1.0f);
}

float AudioWaveform::minValueBetween(double startTime, double endTime) const {
    return combine(startTime, endTime,
                   [this](float v, std::uint32_t i) { return std::min(v, _min[i]); });
}
