#pragma once

#include "audio/core/AudioChannels.h"
#include "audio/render/ChannelMeter.h"
#include "audio/render/MatrixMixerInput.h"
#include "audio/render/MatrixMixerParameters.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// Every gain of a mixer, for saving and restoring it around a rebuild.
struct MatrixLevels {
    std::uint32_t inputChannels = 0;
    std::uint32_t outputChannels = 0;
    float master = 0.0f;
    std::vector<float> inputs;
    std::vector<float> outputs;
    std::vector<float> crosspoints; // input n, output m at n * outputChannels + m

    // The same levels for other channel counts: what both have is kept, a
    // new input gets gain 1.0 and its crosspoint to the output of its own
    // number 1.0, a new output gain 1.0.
    MatrixLevels resized(std::uint32_t newInputs, std::uint32_t newOutputs) const;

    bool operator==(const MatrixLevels&) const = default;
};

// The engine's matrix mixer: any number of input buses of any channel count,
// mixed through a crosspoint gain per input channel and output channel into
// output buses. Channels are numbered across the buses of a side, in bus
// order (the device's bus b channel k is input channel b * 48 + k).
//
//   out[m] = master * outputGain[m] * sum over n of crosspoint[n][m] * inputGain[n] * in[n]
//
// Gains and bus enables are atomics: set them from any thread while the
// render thread mixes. A gain change takes effect at the next block as a
// linear ramp across it, from the gain the last block ended on to the new one,
// reached exactly on the block's last frame, so that a fader move or a fade
// step does not click. The mixer's first block, a bus that was not mixed in
// the block before (newly enabled or failing) and the block after
// jumpToGains() take their gains at once. process() runs on one render
// thread at a time and allocates nothing, takes no lock and makes no system
// call. Its cost follows what is routed: an input channel whose crosspoints
// to the outputs being rendered are all zero (or whose input gain is zero) is
// neither read nor metered, and a disabled bus is not pulled.
//
// A new mixer has master, input and output gains at 1.0, every crosspoint at
// 0 (so it is silent until routed) and every input bus enabled.
class MatrixMixer {
public:
    struct Layout {
        std::vector<std::uint32_t> inputBusChannels;
        std::vector<std::uint32_t> outputBusChannels;
        std::uint32_t maxFramesPerBlock = 4096; // larger calls are mixed in blocks
        double sampleRate = 48000.0;            // for the meters' ballistics
        // Whether a side's meters run from the start; those of a side that
        // does not run from the first time one of them is read (that read
        // gives the floor), so a mixer whose meters nobody reads spends
        // nothing on them.
        bool meterInputs = true;
        bool meterOutputs = true;
    };

    // Main thread. Refuses (logs and answers null) a layout without buses, with
    // a bus of no channels, or with 65536 or more channels on a side, which
    // crosspoint element numbers cannot address.
    static std::unique_ptr<MatrixMixer> create(const Layout& layout);

    MatrixMixer(const MatrixMixer&) = delete;
    MatrixMixer& operator=(const MatrixMixer&) = delete;

    std::uint32_t inputBusCount() const { return static_cast<std::uint32_t>(_busFirst.size() - 1); }
    std::uint32_t inputChannelCount() const { return _inputChannels; }
    std::uint32_t outputChannelCount() const { return _outputChannels; }
    std::uint32_t firstInputChannelOfBus(std::uint32_t bus) const;

    // Any thread. Addressing as in MatrixMixerParameters.h: Volume in the
    // global scope at kMixerMasterElement (master) or mixerCrosspointElement()
    // (crosspoint), in the input or output scope at a channel; Enable in the
    // input scope at a bus. Gains must be finite. Answers a MixerStatus.
    std::int32_t setParameter(MixerParameter parameter, MixerScope scope, std::uint32_t element,
                              float value);
    // Any thread. Volume and Enable as set; the meters in dB, floor -120.
    std::int32_t parameter(MixerParameter parameter, MixerScope scope, std::uint32_t element,
                           float& value) const;

    // Any thread but the render thread (allocates).
    MatrixLevels levels() const;
    // Any thread. Refused (InvalidValue) when the channel counts differ.
    std::int32_t setLevels(const MatrixLevels& levels);

    // Render thread. Mixes outputs.frameCount frames into `outputs`, which must
    // have outputChannelCount() channels; a null channel is not rendered.
    // Pulls each enabled input bus from `input` once per block. Answers 0, or
    // the first non-zero status of a bus (that bus is left out, the rest is
    // mixed), or ChannelCountMismatch (outputs silenced).
    std::int32_t process(MatrixMixerInput& input, const AudioChannels& outputs);

    // Render thread. The next block applies every gain at once rather than
    // ramping from the last block's: for a mixer that starts again after
    // cycles in which it was not processed (a source that starts playing).
    void jumpToGains() { _jumpGains = true; }

private:
    explicit MatrixMixer(const Layout& layout);

    // One input channel's path to one output in a block: its gain (input
    // gain times crosspoint) ramps from `from` to `to`.
    struct Route {
        std::uint32_t output;
        float from;
        float to;
    };

    void setCrosspoint(std::uint32_t input, std::uint32_t output, float gain);
    std::int32_t mixBus(MatrixMixerInput& input, std::uint32_t bus, std::uint32_t frames,
                        const MeterBallistics::Step& step, bool jump);
    void finishOutputs(std::uint32_t frames, const MeterBallistics::Step& step, bool jump);
    void resetStaleInputMeters();

    // Fixed at construction.
    std::uint32_t _inputChannels = 0;
    std::uint32_t _outputChannels = 0;
    std::uint32_t _maxFrames = 0;
    std::uint32_t _maxBusChannels = 0;
    std::vector<std::uint32_t> _busFirst; // first channel of each bus, then the channel count
    MeterBallistics _ballistics;

    // Written by any thread, read by the render thread.
    std::atomic<float> _master{1.0f};
    std::unique_ptr<std::atomic<float>[]> _inputGains;
    std::unique_ptr<std::atomic<float>[]> _outputGains;
    std::unique_ptr<std::atomic<float>[]> _crosspoints; // n * _outputChannels + m
    // Non-zero crosspoints of each input channel, kept by the setters so the
    // render thread skips unrouted channels without scanning their rows.
    std::unique_ptr<std::atomic<std::uint32_t>[]> _routeCounts;
    std::unique_ptr<std::atomic<bool>[]> _busEnabled;

    // Set from the start or by the first read of a meter of the side; read
    // by the render thread once a block.
    mutable std::atomic<bool> _meteringInputs;
    mutable std::atomic<bool> _meteringOutputs;
    // Written by the render thread, read by any thread.
    std::unique_ptr<ChannelMeter[]> _inputMeters;
    std::unique_ptr<ChannelMeter[]> _outputMeters;

    // Render thread only: scratch sized at construction.
    std::vector<float> _busSamples;             // _maxBusChannels * _maxFrames
    std::vector<float*> _busChannels;           // _maxBusChannels
    std::vector<float> _busInputGains;          // _maxBusChannels
    std::vector<Route> _routes;                 // _maxBusChannels * _outputChannels
    std::vector<std::uint32_t> _routeBegin;     // _maxBusChannels + 1
    std::vector<float*> _blockOutputs;          // _outputChannels
    std::vector<std::uint64_t> _meteredInCycle; // per input channel
    std::vector<std::uint32_t> _metered;        // input channels metered this cycle
    std::vector<std::uint32_t> _meteredBefore;  // ... and in the cycle before
    std::uint32_t _meteredCount = 0;
    std::uint32_t _meteredBeforeCount = 0;
    std::uint64_t _cycle = 0;

    // Render thread only: the gains the last block ended on, where the next
    // block's ramps start.
    std::vector<float> _appliedRoutes;           // n * _outputChannels + m: input gain * crosspoint
    std::vector<std::uint8_t> _rowApplied;       // per input channel: a non-zero entry in its row
    std::vector<float> _appliedOutputs;          // master * output gain
    std::vector<std::uint64_t> _busMixedInBlock; // per bus: the last block it was mixed in
    std::uint64_t _block = 0;
    bool _jumpGains = true;
};
