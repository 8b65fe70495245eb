#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"
#include "platform/effects/Lv2Processor.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr std::uint32_t kFrames = 512;

// One stereo voice's chain of two test gains, run for one 512-frame cycle per
// iteration the way a source's render path runs it: under its render lock.
void runChain(benchmark::State& state, const char* uri) {
    setenv("LV2_PATH", PONDRA_TEST_LV2_DIR, 1);
    static const std::shared_ptr<Lv2World> world = Lv2World::load();
    std::mutex renderLock;
    std::vector<std::unique_ptr<Lv2Processor>> chain;
    for (int i = 0; i < 2; ++i) {
        std::int32_t status = 0;
        auto processor = Lv2Processor::create(world, uri, renderLock, status);
        EffectRenderLock held(renderLock);
        if (!processor || processor->prepare(held, 48000.0, kFrames, 2) != kEffectNoErr) {
            state.SkipWithError("the test plugin could not be prepared");
            return;
        }
        processor->setParameter(0, -3.0f);
        chain.push_back(std::move(processor));
    }
    std::vector<float> left(kFrames), right(kFrames);
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        left[i] = right[i] = static_cast<float>(std::sin(i * 0.05));
    }
    float* channels[] = {left.data(), right.data()};
    ScopedThreadRole role(ThreadRole::Render);
    for (auto _ : state) {
        std::lock_guard held(renderLock);
        for (auto& processor : chain) {
            processor->process(channels, channels, kFrames);
        }
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.SetItemsProcessed(state.iterations());
}

// The mono gain runs one instance per channel.
void MonoGainChainPerStereoCycle(benchmark::State& state) {
    runChain(state, "http://pondra.invalid/test/gain");
}
BENCHMARK(MonoGainChainPerStereoCycle);

void StereoGainChainPerStereoCycle(benchmark::State& state) {
    runChain(state, "http://pondra.invalid/test/gain-stereo");
}
BENCHMARK(StereoGainChainPerStereoCycle);

} // namespace
