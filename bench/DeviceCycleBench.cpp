// Render cost of one whole 512-frame cycle of an open KivAudioDevice (on the
// offline backend): the synchronised actions, then the pull of N attached
// stereo renderers through the render map into the device's 500-bus mixer,
// mixed to its stereo output. "percentOfCycle" is the share of one core, in
// percent, of the cycle's 10.7 ms at 48 kHz (printed with an "s").
#include "OfflineBenchDevice.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "audio/device/KivAudioPlayable.h"
#include "foundation/ThreadRole.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::uint32_t kFrames = 512;
constexpr double kRate = 48000.0;

// Stands in for a source: copies a stereo block into the channels asked for.
class StereoRenderer final : public KivAudioPlayable {
public:
    StereoRenderer(KivAudioDevice* device, const std::vector<float>* sides)
        : _device(device)
        , _sides(sides) {}
    KivAudioDevice* device() const override { return _device; }
    std::string description() const override { return "stereo"; }
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
    KivAudioDevice* _device;
    const std::vector<float>* _sides;
};

void BM_DeviceCycle(benchmark::State& state) {
    const auto count = static_cast<std::uint32_t>(state.range(0));
    auto device = openOfflineBenchDevice(kRate, kFrames);
    if (!device) {
        state.SkipWithError("the offline device does not open");
        return;
    }

    std::vector<float> sides[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        sides[0][i] = 0.25f * std::sin(0.01f * i);
        sides[1][i] = 0.25f * std::cos(0.01f * i);
    }
    std::vector<StereoRenderer> renderers(count, StereoRenderer(device.get(), sides));
    for (auto& renderer : renderers) {
        device->_attachAudio(renderer);
    }

    // The stream's own render thread is not run: the cycle is called here,
    // as the stream would call it.
    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    float* outputs[2] = {left.data(), right.data()};
    const AudioOutputBuffer buffer{outputs, 2, kFrames, false};
    AudioRenderTime time;
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (auto _ : state) {
            device->render(time, buffer);
            time.sampleTime += kFrames;
            benchmark::DoNotOptimize(left.data());
            benchmark::DoNotOptimize(right.data());
        }
    }
    state.counters["percentOfCycle"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / kRate / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    for (auto& renderer : renderers) {
        device->_detachAudio(renderer);
    }
    device->close();
    device.reset();
    KivAudioHardware::setCurrent(nullptr);
}

} // namespace

BENCHMARK(BM_DeviceCycle)->Arg(1)->Arg(64)->Arg(256)->Arg(500)->Unit(benchmark::kMicrosecond);
