#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectBus.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "audio/effects/KivStream.h"
#include "foundation/ThreadRole.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr std::uint32_t kFrames = 512;

// The chain's input: a fixed stereo block, as a source's final render would
// hand over frames it has already read.
class BlockInput : public KivAudioRendering {
public:
    BlockInput() {
        for (std::uint32_t i = 0; i < kFrames; ++i) {
            _block[i] = static_cast<float>(std::sin(i * 0.05));
        }
    }
    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            std::copy_n(_block, data.frameCount, data.channels[k]);
        }
        return 0;
    }

private:
    float _block[kFrames];
};

// One stereo voice's chain of two test gains, pulled through KivEffectBus
// for one 512-frame cycle per iteration, under the stream's render lock.
void runBus(benchmark::State& state, const char* uri) {
    setenv("LV2_PATH", PONDRA_TEST_LV2_DIR, 1);
    static const auto catalogue = std::make_shared<KivLv2Catalogue>(Lv2World::load());
    setComponentCatalogue(catalogue);
    KivStream stream(kFrames);
    stream.create();
    KivEffectBus bus(2);
    for (int i = 0; i < 2; ++i) {
        bus.addEffect(KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, uri)));
    }
    bus.addEffectsToStream(stream);
    bus.setFormat(KivAudioStreamDescription(48000.0, 2));
    bus.setProperties();
    stream.initialize();
    bus.setParameters();
    if (bus.usedEffects().size() != 2) {
        state.SkipWithError("the test plugins could not be placed");
        return;
    }
    for (const auto& effect : bus.usedEffects()) {
        effect->setValueForParameter(0, -3.0f);
    }
    bus.connectEffects();
    BlockInput input;
    KivRenderInfo inputInfo;
    input.registerRenderInfo(&inputInfo);
    bus.setRenderCallback(inputInfo);
    KivRenderInfo output;
    bus.registerRenderInfo(&output);

    std::vector<float> left(kFrames), right(kFrames);
    float* channels[] = {left.data(), right.data()};
    const AudioChannels data{channels, 2, kFrames};
    ScopedThreadRole role(ThreadRole::Render);
    for (auto _ : state) {
        KivStreamLock lock(stream, std::try_to_lock);
        KivRenderFlags flags = 0;
        benchmark::DoNotOptimize(output.call(flags, KivRenderTimeStamp{}, 0, data));
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.SetItemsProcessed(state.iterations());
}

// The mono gain runs one instance per channel.
void MonoGainBusPerStereoCycle(benchmark::State& state) {
    runBus(state, "http://pondra.invalid/test/gain");
}
BENCHMARK(MonoGainBusPerStereoCycle);

void StereoGainBusPerStereoCycle(benchmark::State& state) {
    runBus(state, "http://pondra.invalid/test/gain-stereo");
}
BENCHMARK(StereoGainBusPerStereoCycle);

} // namespace
