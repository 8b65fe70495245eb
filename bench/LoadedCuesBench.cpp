// What loaded, idle cues cost the machine: N audio sources of stereo files on
// one offline device, each set up as a cue sets it (its whole file once, or
// looping forever) and sought to its start, none playing. "threads" is the
// process's thread count (/proc/self/task) once they are loaded,
// "threads_added" what loading them added, "rss_mib_added" the resident
// memory they added and "rss_kib_per_cue" that per cue. The read-ahead is
// given a second to fill each cue's start first. Run one size per process
// (--benchmark_filter) so freed memory of an earlier run is not counted.
#include "OfflineBenchDevice.h"
#include "SourceVoices.h"
#include "foundation/ManualScheduler.h"

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <chrono>
#include <thread>

namespace {

constexpr double kRate = SourceVoices::kFileRate;
// Cues share files beyond this many, as cues of one show often do.
constexpr std::size_t kMaxFiles = 125;

std::size_t threadCount() {
    std::size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] != '.') {
                ++count;
            }
        }
        closedir(tasks);
    }
    return count;
}

void loadedCues(benchmark::State& state) {
    const auto cues = static_cast<std::size_t>(state.range(0));
    const bool looping = state.range(1) != 0;
    AudioFixtures::TempFolder folder;
    const auto paths = SourceVoices::writeFiles(folder, std::min(cues, kMaxFiles), 2);
    auto device = openOfflineBenchDevice(kRate, 512);
    if (paths.empty() || !device) {
        state.SkipWithError("no files or no device");
        return;
    }
    ManualClock clock;
    ManualScheduler scheduler{clock};
    for (auto _ : state) {
        const std::size_t threadsBefore = threadCount();
        const double residentBefore = residentKiB();
        std::vector<std::shared_ptr<KivAudioSource>> sources;
        for (std::size_t i = 0; i < cues; ++i) {
            auto source = KivAudioSource::create(scheduler, clock);
            source->setDevice(device);
            source->setAlias(KivAlias::aliasWithPath(paths[i % paths.size()]));
            const double length = source->fileLengthInSeconds();
            source->setSlices(nlohmann::json::array(
                {{{"startTime", 0.0}, {"endTime", length}, {"playCount", looping ? -1 : 1}}}));
            source->goToTime(0.0);
            if (!source->isValid()) {
                state.SkipWithError("a cue did not load");
                return;
            }
            sources.push_back(std::move(source));
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const std::size_t threads = threadCount();
        const double added = residentKiB() - residentBefore;
        state.counters["threads"] = static_cast<double>(threads);
        state.counters["threads_added"] = static_cast<double>(threads - threadsBefore);
        state.counters["rss_mib_added"] = added / 1024.0;
        state.counters["rss_kib_per_cue"] = added / static_cast<double>(cues);
        sources.clear();
    }
    device->close();
    KivAudioHardware::setCurrent(nullptr);
}

BENCHMARK(loadedCues)
    ->ArgNames({"cues", "loop"})
    ->ArgsProduct({{125, 1000}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
