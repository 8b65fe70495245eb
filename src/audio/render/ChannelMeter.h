#pragma once

#include <atomic>
#include <cstdint>

// Post-fader level of one mixer channel.
//
// Ballistics, chosen to suit a show's level meter read every 50 ms:
// - average power: the mean square of the signal through a one-pole smoother
//   with a 300 ms time constant, shown as 10 log10 (a full-scale sine reads
//   -3 dB once settled);
// - peak hold: the largest absolute sample, held for 1 s after it was last
//   reached, then falling at 20 dB per second; shown as 20 log10 (a
//   full-scale sine reads 0 dB).
// Both read kMeterFloorDb (-120 dB) for silence.
inline constexpr float kMeterFloorDb = -120.0f;

// Written by the render thread only; the levels are read from any thread.
struct ChannelMeter {
    std::atomic<float> meanSquare{0.0f};
    std::atomic<float> peak{0.0f};
    // Render thread only.
    std::uint32_t holdFramesLeft = 0;

    float averagePowerDb() const;
    float peakHoldLevelDb() const;
    // Render thread: the channel fell silent or is no longer read.
    void reset();
};

// The per-block coefficients of the ballistics for one sample rate.
class MeterBallistics {
public:
    explicit MeterBallistics(double sampleRate);

    // Coefficients for blocks of `frames` frames. Computed once per block,
    // not per channel, since they cost an exp() each.
    struct Step {
        std::uint32_t frames = 0;
        float averageCoefficient = 0.0f;
        float peakDecay = 1.0f;
    };
    Step step(std::uint32_t frames) const;

    // Render thread. Folds in one block whose largest absolute sample was
    // `blockPeak` and whose mean square was `blockMeanSquare`.
    void apply(ChannelMeter& meter, float blockPeak, float blockMeanSquare, const Step& step) const;

private:
    double _sampleRate;
    std::uint32_t _holdFrames;
};

// Largest absolute sample and mean square of a block, in one pass.
struct BlockLevel {
    float peak = 0.0f;
    float meanSquare = 0.0f;
};
BlockLevel measureBlock(const float* samples, std::uint32_t frames);
