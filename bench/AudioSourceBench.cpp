// The audio source on the render path, with files read from disk by the real
// read-ahead threads:
// - renderVoices/N: one whole 512-frame device cycle with N looping stereo
//   voices, paced at the real period so that read-ahead keeps up as it must
//   in a show. The time is the render call alone; "core_fraction" is its
//   mean share of the 11.6 ms period at 44.1 kHz (target: 256 voices below
//   0.5), "process_core_fraction" the cores the whole process used meanwhile
//   (the read-ahead threads included), "us_per_voice" the mean cost of one
//   voice in the render call, "dropped_frames" what
//   the read-ahead could not supply. "idle_kib_per_voice" and
//   "playing_kib_per_voice" are the resident memory each loaded voice adds,
//   before and after it plays.
// - firstFrame/N: N voices started in one synchronised batch; "cycle_offset"
//   counts the cycles after endSyncedActions before the first non-silent
//   frame (must be 0: the very next cycle), "frame_offset" where in that
//   cycle it lies (must be 0) and "voices_in_first_cycle" how many voices
//   sound in it (must be N).
#include "OfflineBenchDevice.h"
#include "SourceVoices.h"
#include "foundation/ManualScheduler.h"
#include "foundation/ThreadRole.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr std::uint32_t kFrames = 512;
constexpr double kRate = SourceVoices::kFileRate;

// An open offline device of 512-frame cycles whose render the benchmark
// calls itself, as the stream's thread would.
class Bench {
public:
    Bench()
        : device(openOfflineBenchDevice(kRate, kFrames)) {}
    ~Bench() {
        voices.clear();
        if (device) {
            device->close();
        }
        device.reset();
        KivAudioHardware::setCurrent(nullptr);
    }

    bool load(std::size_t count) {
        const auto paths = SourceVoices::writeFiles(folder, count, 4);
        for (const auto& path : paths) {
            if (auto voice = SourceVoices::loopingVoice(path, device, scheduler, clock)) {
                voices.push_back(std::move(voice));
            }
        }
        return voices.size() == count;
    }

    // One cycle; answers the seconds the render call took.
    double cycle() {
        const auto start = std::chrono::steady_clock::now();
        device->render(_time, _buffer);
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        _time.sampleTime += kFrames;
        return took;
    }
    const std::vector<float>& left() const { return _left; }

    std::shared_ptr<KivAudioDevice> device;
    std::vector<std::shared_ptr<KivAudioSource>> voices;
    AudioFixtures::TempFolder folder;
    ManualClock clock;
    ManualScheduler scheduler{clock};

private:
    std::vector<float> _left = std::vector<float>(kFrames);
    std::vector<float> _right = std::vector<float>(kFrames);
    float* _outputs[2] = {_left.data(), _right.data()};
    AudioOutputBuffer _buffer{_outputs, 2, kFrames, false};
    AudioRenderTime _time;
};

// CPU time of every thread of the process, read-ahead workers included.
double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void renderVoices(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const double before = SourceVoices::residentKiB();
    Bench bench;
    if (!bench.device || !bench.load(count)) {
        state.SkipWithError("the device or the voices could not be set up");
        return;
    }
    SourceVoices::letReadAheadFill();
    const double idle = SourceVoices::residentKiB();
    for (const auto& voice : bench.voices) {
        voice->play();
    }
    SourceVoices::DropCounter drops;
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kFrames / kRate));
    auto next = std::chrono::steady_clock::now();
    const auto wallStart = next;
    const double cpuStart = processCpuSeconds();
    double total = 0.0;
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (auto _ : state) {
            const double took = bench.cycle();
            state.SetIterationTime(took);
            total += took;
            next += period;
            std::this_thread::sleep_until(next);
        }
    }
    const double cpu = processCpuSeconds() - cpuStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double playing = SourceVoices::residentKiB();
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["core_fraction"] = mean / (kFrames / kRate);
    state.counters["process_core_fraction"] = cpu / wall;
    state.counters["us_per_voice"] = mean * 1e6 / static_cast<double>(count);
    state.counters["dropped_frames"] = static_cast<double>(drops.frames());
    state.counters["idle_kib_per_voice"] = (idle - before) / static_cast<double>(count);
    state.counters["playing_kib_per_voice"] = (playing - before) / static_cast<double>(count);
}

// Starts the first `count` voices in one batch from the top of their files
// and renders until a frame sounds. Answers the cycles rendered before that
// one; `heard` gets its left channel and `seconds` the time from the end of
// the batch to the end of that cycle.
int startTogether(Bench& bench, std::size_t count, std::vector<float>& heard, double& seconds) {
    for (const auto& voice : bench.voices) {
        voice->hardStop();
        voice->goToTime(0.0);
    }
    SourceVoices::letReadAheadFill();
    ScopedThreadRole role(ThreadRole::Render);
    bench.cycle();
    bench.device->startSyncedActions();
    for (std::size_t i = 0; i < count; ++i) {
        bench.voices[i]->play();
    }
    bench.device->endSyncedActions();
    const auto start = std::chrono::steady_clock::now();
    int silent = 0;
    for (; silent < 100; ++silent) {
        bench.cycle();
        const auto& left = bench.left();
        if (std::any_of(left.begin(), left.end(), [](float s) { return s != 0.0f; })) {
            break;
        }
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    heard = bench.left();
    return silent;
}

double energy(const std::vector<float>& samples) {
    double sum = 0.0;
    for (const float s : samples) {
        sum += std::abs(s);
    }
    return sum;
}

void firstFrame(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    Bench bench;
    if (!bench.device || !bench.load(count)) {
        state.SkipWithError("the device or the voices could not be set up");
        return;
    }
    std::vector<float> alone;
    double seconds = 0.0;
    startTogether(bench, 1, alone, seconds);
    int worstCycles = 0;
    double worstFrame = 0.0;
    double fewestVoices = static_cast<double>(count);
    for (auto _ : state) {
        std::vector<float> heard;
        worstCycles = std::max(worstCycles, startTogether(bench, count, heard, seconds));
        state.SetIterationTime(seconds);
        const auto first =
            std::find_if(heard.begin(), heard.end(), [](float s) { return s != 0.0f; });
        worstFrame = std::max(worstFrame, static_cast<double>(first - heard.begin()));
        fewestVoices = std::min(fewestVoices, std::round(energy(heard) / energy(alone)));
    }
    state.counters["cycle_offset"] = worstCycles;
    state.counters["frame_offset"] = worstFrame;
    state.counters["voices_in_first_cycle"] = fewestVoices;
}

} // namespace

BENCHMARK(renderVoices)
    ->Arg(1)
    ->Arg(64)
    ->Arg(256)
    ->Iterations(600)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(firstFrame)
    ->Arg(1)
    ->Arg(64)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
