#include "audio/render/ChannelMeter.h"

#include "audio/render/KivVectorMath.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kAverageTimeConstantSeconds = 0.3;
constexpr double kPeakHoldSeconds = 1.0;
constexpr double kPeakFallDbPerSecond = 20.0;
// Below the floor the levels snap to zero, so the smoothers never run into
// denormal numbers on the render thread.
constexpr float kSilentMeanSquare = 1e-12f; // -120 dB of power
constexpr float kSilentPeak = 1e-6f;        // -120 dB of amplitude

float toDb(float value, float scale) {
    if (!(value > 0.0f)) {
        return kMeterFloorDb;
    }
    return std::max(kMeterFloorDb, scale * std::log10(value));
}
} // namespace

float ChannelMeter::averagePowerDb() const {
    return toDb(meanSquare.load(std::memory_order_relaxed), 10.0f);
}

float ChannelMeter::peakHoldLevelDb() const {
    return toDb(peak.load(std::memory_order_relaxed), 20.0f);
}

void ChannelMeter::reset() {
    if (meanSquare.load(std::memory_order_relaxed) != 0.0f) {
        meanSquare.store(0.0f, std::memory_order_relaxed);
    }
    if (peak.load(std::memory_order_relaxed) != 0.0f) {
        peak.store(0.0f, std::memory_order_relaxed);
    }
    holdFramesLeft = 0;
}

MeterBallistics::MeterBallistics(double sampleRate)
    : _sampleRate(sampleRate > 0.0 ? sampleRate : 48000.0)
    , _holdFrames(static_cast<std::uint32_t>(kPeakHoldSeconds * _sampleRate)) {}

MeterBallistics::Step MeterBallistics::step(std::uint32_t frames) const {
    const double seconds = frames / _sampleRate;
    Step result;
    result.frames = frames;
    result.averageCoefficient =
        static_cast<float>(1.0 - std::exp(-seconds / kAverageTimeConstantSeconds));
    result.peakDecay = static_cast<float>(std::pow(10.0, -kPeakFallDbPerSecond * seconds / 20.0));
    return result;
}

void MeterBallistics::apply(ChannelMeter& meter, float blockPeak, float blockMeanSquare,
                            const Step& step) const {
    float meanSquare = meter.meanSquare.load(std::memory_order_relaxed);
    meanSquare += (blockMeanSquare - meanSquare) * step.averageCoefficient;
    if (meanSquare < kSilentMeanSquare) {
        meanSquare = 0.0f;
    }
    meter.meanSquare.store(meanSquare, std::memory_order_relaxed);

    float peak = meter.peak.load(std::memory_order_relaxed);
    if (blockPeak >= peak) {
        peak = blockPeak;
        meter.holdFramesLeft = _holdFrames;
    } else if (meter.holdFramesLeft > step.frames) {
        meter.holdFramesLeft -= step.frames;
    } else {
        meter.holdFramesLeft = 0;
        peak = std::max(blockPeak, peak * step.peakDecay);
    }
    if (peak < kSilentPeak) {
        peak = 0.0f;
    }
    meter.peak.store(peak, std::memory_order_relaxed);
}

BlockLevel measureBlock(const float* samples, std::uint32_t frames) {
    if (frames == 0) {
        return {};
    }
    BlockLevel level;
    float sumOfSquares = 0.0f;
    KivVectorMath::levelOf(samples, frames, level.peak, sumOfSquares);
    level.meanSquare = sumOfSquares / static_cast<float>(frames);
    return level;
}
