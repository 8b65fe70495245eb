// Render cost of the device's mixer for one 512-frame cycle: N attached
// stereo sources on 48-channel buses mixed to a stereo output, with steady
// gains (0), with the master moving every cycle as in a fade or a duck (1),
// and with every source's gains moving too, as in fader moves on all of them
// at once (2); a moving gain ramps across the cycle. The counter
// "percentOfCycle" is the share of one core, in percent, that the mix takes
// of the cycle's 10.7 ms at 48 kHz (the library prints it with an "s").
#include "audio/render/MatrixMixer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr std::uint32_t kBuses = 500;
constexpr std::uint32_t kFeedChannels = 48;
constexpr std::uint32_t kFrames = 512;
constexpr double kRate = 48000.0;

// Stands in for attached sources: each bus copies the same stereo block into
// the channels the mixer asks for, as a source's own mixer would.
class StereoSources : public MatrixMixerInput {
public:
    StereoSources()
        : _left(kFrames)
        , _right(kFrames) {
        for (std::uint32_t i = 0; i < kFrames; ++i) {
            _left[i] = 0.25f * std::sin(0.01f * i);
            _right[i] = 0.25f * std::cos(0.01f * i);
        }
    }
    std::int32_t renderBus(std::uint32_t, const AudioChannels& channels) override {
        const std::vector<float>* sides[2] = {&_left, &_right};
        for (std::uint32_t k = 0; k < channels.channelCount; ++k) {
            if (float* out = channels.channels[k]) {
                if (k < 2) {
                    std::copy_n(sides[k]->data(), channels.frameCount, out);
                } else {
                    std::fill_n(out, channels.frameCount, 0.0f);
                }
            }
        }
        return 0;
    }

private:
    std::vector<float> _left;
    std::vector<float> _right;
};

enum Gains { Steady = 0, MasterMoves = 1, AllMove = 2 };

void BM_DeviceMixerCycle(benchmark::State& state) {
    const auto sources = static_cast<std::uint32_t>(state.range(0));
    const auto gains = static_cast<Gains>(state.range(1));
    auto mixer = MatrixMixer::create(
        {std::vector<std::uint32_t>(kBuses, kFeedChannels), {2}, kFrames, kRate});
    // The device's default routing: feed channel i to output i on every bus;
    // buses without a source are disabled.
    for (std::uint32_t bus = 0; bus < kBuses; ++bus) {
        const std::uint32_t first = bus * kFeedChannels;
        mixer->setParameter(MixerParameter::Volume, MixerScope::Global,
                            mixerCrosspointElement(first, 0), 1.0f);
        mixer->setParameter(MixerParameter::Volume, MixerScope::Global,
                            mixerCrosspointElement(first + 1, 1), 1.0f);
        mixer->setParameter(MixerParameter::Enable, MixerScope::Input, bus,
                            bus < sources ? 1.0f : 0.0f);
    }
    mixer->setParameter(MixerParameter::Volume, MixerScope::Global, kMixerMasterElement, 0.8f);

    StereoSources input;
    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    float* outputs[2] = {left.data(), right.data()};
    float level = 0.8f;
    for (auto _ : state) {
        if (gains != Steady) {
            level = level == 0.8f ? 0.7f : 0.8f;
            mixer->setParameter(MixerParameter::Volume, MixerScope::Global, kMixerMasterElement,
                                level);
        }
        if (gains == AllMove) {
            for (std::uint32_t bus = 0; bus < sources; ++bus) {
                mixer->setParameter(MixerParameter::Volume, MixerScope::Input, bus * kFeedChannels,
                                    level);
                mixer->setParameter(MixerParameter::Volume, MixerScope::Input,
                                    bus * kFeedChannels + 1, level);
            }
        }
        mixer->process(input, AudioChannels{outputs, 2, kFrames});
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    // Inverted rate: CPU time / (iterations * cycle seconds / 100) is percent.
    state.counters["percentOfCycle"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / kRate / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_DeviceMixerCycle)
    ->ArgNames({"sources", "gains"})
    ->ArgsProduct({{1, 64, 256, 500}, {Steady, MasterMoves, AllMove}})
    ->Unit(benchmark::kMicrosecond);
