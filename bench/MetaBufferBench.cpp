#include "audio/source/KivAudioMetaBuffer.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// What a render call costs while another thread keeps seeking and replacing
// slices, so buffers are retired and made all the time. The file is Ogg
// Vorbis at 48 kHz read at 44.1 kHz: each fill decodes and resamples half a
// second, a slow reader standing in for a slow disk. Render calls are paced
// as a device pulls them; between them the thread keeps making calls for no
// frames, which take the hand-overs (a seek, new slices, a buffer made) the
// way a render call does, so "max_probe_us" is the longest such call alone;
// the target is below 50 microseconds (the read takes no lock, so nothing
// but the machine's own preemption should come near it).
// "max_call_us" and "p999_call_us" time whole render calls. The measuring
// thread asks for real-time priority ("realtime" 1 when granted), as a render
// thread has, so that preemption by other threads is not counted.
namespace {

constexpr int kFileRate = 48000;
constexpr double kWorkingRate = 44100.0;
constexpr unsigned kChannels = 2;
constexpr std::uint32_t kCycle = 256;

bool raiseToRealtime() {
    sched_param parameter{};
    parameter.sched_priority = 50;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameter) == 0;
}

void restoreNormalPriority() {
    sched_param parameter{};
    pthread_setschedparam(pthread_self(), SCHED_OTHER, &parameter);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

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
            // A seek a millisecond, far more than any operator makes.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    std::vector<float> left(kCycle);
    std::vector<float> right(kCycle);
    float* channels[kChannels] = {left.data(), right.data()};
    std::vector<double> calls;
    calls.reserve(static_cast<std::size_t>(state.max_iterations));
    double longestProbe = 0.0;
    std::int64_t probes = 0;
    std::int64_t probesOverTarget = 0;
    const bool realtime = raiseToRealtime();
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kCycle / kWorkingRate));
    auto nextCycle = std::chrono::steady_clock::now();
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            meta->readFrames(kCycle, {channels, kChannels, kCycle}, 0);
            calls.push_back(secondsSince(start));
            benchmark::DoNotOptimize(left.data());
            // Between cycles, keep probing so that every hand-over the
            // seeking thread makes is likely to be met by a call.
            nextCycle += period;
            while (std::chrono::steady_clock::now() < nextCycle) {
                const auto probeStart = std::chrono::steady_clock::now();
                meta->readFrames(0, {channels, kChannels, kCycle}, 0);
                const double took = secondsSince(probeStart);
                longestProbe = std::max(longestProbe, took);
                probesOverTarget += took > 50e-6 ? 1 : 0;
                ++probes;
                // A pause, or the kernel throttles a real-time thread that
                // never sleeps and the throttling reads as a slow call.
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
        }
    }
    if (realtime) {
        restoreNormalPriority();
    }
    churning = false;
    churn.join();
    meta->killWorker();
    std::sort(calls.begin(), calls.end());
    state.counters["max_probe_us"] = longestProbe * 1e6;
    state.counters["realtime"] = realtime ? 1 : 0;
    state.counters["probes"] = static_cast<double>(probes);
    state.counters["probes_over_50us"] = static_cast<double>(probesOverTarget);
    state.counters["max_call_us"] = calls.back() * 1e6;
    state.counters["p999_call_us"] = calls[calls.size() * 999 / 1000] * 1e6;
}

// Argument 1: with the seeking thread; 0: the same calls without it, for the
// machine's own share of the longest call. 2000 cycles of 256 frames at the
// working rate: about 12 seconds each, paced as a device would pull.
BENCHMARK(renderWhileRetiring)->Arg(0)->Arg(1)->Iterations(2000)->UseRealTime();

} // namespace
