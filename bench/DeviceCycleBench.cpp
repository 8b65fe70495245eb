// Render cost of one whole 512-frame device cycle: the synchronised actions,
// then the bus map's pull of N attached stereo renderers through the render
// map into the device mixer, mixed to a stereo output. "percentOfCycle" is the
// share of one core, in percent, of the cycle's 10.7 ms at 48 kHz (printed
// with an "s").
#include "audio/KivAudioBusMap.h"
#include "audio/KivDeviceVolumes.h"
#include "audio/KivSyncedActions.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::uint32_t kFrames = 512;
constexpr double kRate = 48000.0;

// Stands in for a source: copies a stereo block into the channels asked for.
class StereoRenderer : public KivAudioRendering {
public:
    explicit StereoRenderer(const std::vector<float>* sides)
        : _sides(sides) {}
    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            if (float* out = data.channels[k]) {
                if (k < 2) {
                    std::copy_n(_sides[k].data(), data.frameCount, out);
                } else {
                    std::fill_n(out, data.frameCount, 0.0f);
                }
            }
        }
        return 0;
    }

private:
    const std::vector<float>* _sides;
};

void BM_DeviceCycle(benchmark::State& state) {
    const auto count = static_cast<std::uint32_t>(state.range(0));
    auto mixer = MatrixMixer::create(
        {std::vector<std::uint32_t>(KivAudioBusMap::kBusCount, KivAudioBusMap::kChannelsPerBus),
         {2},
         kFrames,
         kRate});
    KivAudioBusMap buses(*mixer);
    KivDeviceVolumes(*mixer, KivAudioBusMap::kChannelsPerBus).setDefaultVolumes();
    KivSyncedActions actions;
    actions.setRendering(true);

    std::vector<float> sides[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        sides[0][i] = 0.25f * std::sin(0.01f * i);
        sides[1][i] = 0.25f * std::cos(0.01f * i);
    }
    std::vector<StereoRenderer> renderers(count, StereoRenderer(sides));
    for (auto& renderer : renderers) {
        buses.attach(renderer, "Device", "source");
    }

    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    float* outputs[2] = {left.data(), right.data()};
    KivRenderTimeStamp timeStamp;
    for (auto _ : state) {
        KivRenderFlags flags = 0;
        actions.runPending();
        buses.pull(flags, timeStamp, AudioChannels{outputs, 2, kFrames});
        timeStamp.sampleTime += kFrames;
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.counters["percentOfCycle"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / kRate / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_DeviceCycle)->Arg(1)->Arg(64)->Arg(256)->Arg(500)->Unit(benchmark::kMicrosecond);
