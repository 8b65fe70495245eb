#include "audio/KivAudioMetaBuffer.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// How long a render call can wait for the meta buffer's lock while another
// thread keeps seeking and replacing slices, so buffers are retired and made
// all the time. The file is Ogg Vorbis at 48 kHz read at 44.1 kHz: each fill
// decodes and resamples half a second, a slow reader standing in for a slow
// disk. "max_call_us" is the longest render call seen, "p999_call_us" the
// 99.9th percentile; the target is below 50 microseconds.
namespace {

constexpr int kFileRate = 48000;
constexpr double kWorkingRate = 44100.0;
constexpr unsigned kChannels = 2;
constexpr std::uint32_t kCycle = 256;

void renderWhileRetiring(benchmark::State& state) {
    AudioFixtures::TempFolder folder;
    const std::string path = folder.path("slow.ogg");
    if (!AudioFixtures::writeSndfile(path, SF_FORMAT_OGG | SF_FORMAT_VORBIS,
                                     AudioFixtures::signal(10 * kFileRate, kChannels, kFileRate),
                                     kChannels, kFileRate)) {
        state.SkipWithError("could not write the Ogg file");
        return;
    }
    const KivAudioStreamDescription format(kWorkingRate, kChannels);
    auto meta = KivAudioMetaBuffer::create(KivAlias::aliasWithPath(path), &format);
    if (!meta) {
        state.SkipWithError("no meta buffer");
        return;
    }
    const auto loop =
        nlohmann::json::array({{{"startTime", 1.0}, {"endTime", 1.3}, {"playCount", -1}}});
    meta->setSlices(loop);
    meta->goToTime(0);

    const bool withChurn = state.range(0) != 0;
    std::atomic<bool> churning{withChurn};
    std::thread churn([&] {
        for (int i = 0; churning.load(std::memory_order_relaxed); ++i) {
            if (i % 4 == 0) {
                meta->setSlices(loop);
            }
            meta->goToTime(0.01 * (i % 100));
            // A seek a millisecond, far more than any operator makes; a
            // seeking loop with no pause at all only measures how unfair the
            // mutex is to the render thread.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    std::vector<float> left(kCycle);
    std::vector<float> right(kCycle);
    float* channels[kChannels] = {left.data(), right.data()};
    std::vector<double> calls;
    calls.reserve(static_cast<std::size_t>(state.max_iterations));
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            meta->readFrames(kCycle, {channels, kChannels, kCycle}, 0);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            calls.push_back(took.count());
            benchmark::DoNotOptimize(left.data());
        }
    }
    churning = false;
    churn.join();
    meta->killWorker();
    std::sort(calls.begin(), calls.end());
    state.counters["max_call_us"] = calls.back() * 1e6;
    state.counters["p999_call_us"] = calls[calls.size() * 999 / 1000] * 1e6;
}

// Argument 1: with the seeking thread; 0: the same calls without it, for the
// scheduler's own share of the longest call on a loaded machine.
BENCHMARK(renderWhileRetiring)->Arg(0)->Arg(1)->Iterations(200000)->UseRealTime();

} // namespace
