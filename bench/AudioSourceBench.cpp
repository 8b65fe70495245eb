// The audio source on the render path, with files read from disk by the real
// read-ahead threads, the sources on the real clock:
// - renderVoices/voices:N/effects:E/starved:0: one whole 512-frame device
//   cycle with N looping stereo voices, each through E effects (0, or 2 real
//   LV2 plugins of mda-lv2: a delay and a limiter), paced at the real period
//   so that read-ahead keeps up as it must in a show. The time is the render
//   call alone; "core_fraction" is its mean share of one core over the
//   11.6 ms period at 44.1 kHz (target: 256 voices below 0.5),
//   "process_core_fraction" the cores the whole process used meanwhile (the
//   read-ahead threads included), "us_per_voice" the mean cost of one voice
//   in the render call, "cpu_us_per_voice" the same in the render thread's
//   CPU time, which preemption on a busy machine does not inflate (compare
//   it with pluginsAlone's, PluginFloorBench.cpp), "dropped_frames" the
//   frames the read-ahead could not supply, from the meta buffers' own count. "idle_kib_per_voice"
//   and "playing_kib_per_voice" are the resident memory each voice adds, loaded and playing,
//   measured in a fresh process (audio_source_memory N E).
// - renderVoices/.../starved:1: the same cycles back to back, as fast as the
//   render call goes, and every voice sought to another place every 60
//   cycles, the next cycle following at once, so that the read-ahead starts
//   over with nothing read and cannot catch up in time; dropped_frames shows
//   what it missed.
// - firstFrame/N: N voices started in one synchronised batch, each a constant
//   of its own bit on an output of its own group of 16 voices, so that every
//   voice is told apart in the mix. "cycle_offset" counts the cycles after
//   endSyncedActions before the last voice sounds (must be 0: the very next
//   cycle), "frame_offset" the latest frame of its cycle on which a voice
//   first sounds (must be 0), "voices_on_first_frame" how many sound on the
//   first frame (must be N).
#include "OfflineBenchDevice.h"
#include "SourceVoices.h"
#include "foundation/KivLog.h"
#include "foundation/ManualScheduler.h"
#include "foundation/ThreadRole.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr std::uint32_t kFrames = 512;
constexpr double kRate = SourceVoices::kFileRate;
// firstFrame: voice i plays 2^(i % 16) / 65536 on output i / 16.
constexpr std::uint32_t kVoicesPerOutput = 16;
constexpr float kLowestBit = 1.0f / 65536.0f;
// renderVoices starved: cycles between seeks of every voice.
constexpr std::int64_t kCyclesPerSeek = 60;

// An open offline device of 512-frame cycles whose render the benchmark
// calls itself, as the stream's thread would.
class Bench {
public:
    explicit Bench(std::uint32_t channels = 2)
        : device(openOfflineBenchDevice(kRate, kFrames, channels))
        , _samples(channels, std::vector<float>(kFrames))
        , _outputs(channels) {
        for (std::uint32_t k = 0; k < channels; ++k) {
            _outputs[k] = _samples[k].data();
        }
        _buffer = AudioOutputBuffer{_outputs.data(), channels, kFrames, false};
    }
    ~Bench() {
        voices.clear();
        if (device) {
            device->close();
        }
        device.reset();
        KivAudioHardware::setCurrent(nullptr);
    }

    bool load(std::size_t count, bool effects) {
        const auto paths = SourceVoices::writeFiles(folder, count, 4);
        for (const auto& path : paths) {
            auto voice = SourceVoices::loopingVoice(path, device, scheduler, clock);
            if (voice && (!effects || SourceVoices::addTwoEffects(*voice))) {
                voices.push_back(std::move(voice));
            }
        }
        return voices.size() == count;
    }

    // Voices that firstFrame tells apart: mono files of one level each.
    bool loadTellable(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::string path = folder.path("level" + std::to_string(i) + ".wav");
            const float level = kLowestBit * static_cast<float>(1u << (i % kVoicesPerOutput));
            const auto output = static_cast<std::uint32_t>(i / kVoicesPerOutput);
            if (!AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                             std::vector<float>(SourceVoices::kFileRate, level), 1,
                                             SourceVoices::kFileRate)) {
                return false;
            }
            auto voice = SourceVoices::loopingVoice(path, device, scheduler, clock);
            if (!voice) {
                return false;
            }
            // The device routes feed channel k to output k.
            voice->setCrosspointVolume(0.0f, 0, 0);
            voice->setCrosspointVolume(1.0f, 0, output);
            voices.push_back(std::move(voice));
        }
        return true;
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
    const std::vector<float>& output(std::uint32_t channel) const { return _samples[channel]; }

    std::shared_ptr<KivAudioDevice> device;
    std::vector<std::shared_ptr<KivAudioSource>> voices;
    AudioFixtures::TempFolder folder;
    // The voices loop forever, so their cleanup timers need never run.
    ManualClock timerClock;
    ManualScheduler scheduler{timerClock};
    SteadyClock clock;

private:
    std::vector<std::vector<float>> _samples;
    std::vector<float*> _outputs;
    AudioOutputBuffer _buffer;
    AudioRenderTime _time;
};

// CPU time of every thread of the process, read-ahead workers included.
double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct VoiceMemory {
    double idleKiB = -1.0;
    double playingKiB = -1.0;
};

// Resident memory per voice, measured by a fresh process so that nothing
// this one has freed before makes the voices look cheaper.
VoiceMemory measureInFreshProcess(std::size_t count, bool effects) {
    VoiceMemory memory;
    const std::string command = std::string(PONDRA_SOURCE_MEMORY_EXE) + " " +
                                std::to_string(count) + " " + (effects ? "2" : "0");
    if (FILE* child = popen(command.c_str(), "r")) {
        if (std::fscanf(child, "idle_kib_per_voice %lf playing_kib_per_voice %lf", &memory.idleKiB,
                        &memory.playingKiB) != 2) {
            memory = VoiceMemory{};
        }
        pclose(child);
    }
    return memory;
}

void renderVoices(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const bool effects = state.range(1) != 0;
    const bool starved = state.range(2) != 0;
    if (effects && !SourceVoices::useInstalledEffects()) {
        state.SkipWithError("mda-lv2 is not installed (scripts/install-deps installs it)");
        return;
    }
    const VoiceMemory memory = starved ? VoiceMemory{} : measureInFreshProcess(count, effects);
    Bench bench;
    if (!bench.device || !bench.load(count, effects)) {
        state.SkipWithError("the device or the voices could not be set up");
        return;
    }
    if (!starved) {
        SourceVoices::letReadAheadFill();
    }
    for (const auto& voice : bench.voices) {
        voice->play();
    }
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kFrames / kRate));
    auto next = std::chrono::steady_clock::now();
    const auto wallStart = next;
    const double cpuStart = processCpuSeconds();
    double total = 0.0;
    double cpuTotal = 0.0;
    std::int64_t cycles = 0;
    for (auto _ : state) {
        if (starved && cycles++ % kCyclesPerSeek == 0) {
            for (const auto& voice : bench.voices) {
                voice->goToTime(0.5 + static_cast<double>(cycles / kCyclesPerSeek % 3));
            }
        }
        double took = 0.0;
        {
            ScopedThreadRole role(ThreadRole::Render);
            const double cpu = SourceVoices::threadCpuSeconds();
            took = bench.cycle();
            cpuTotal += SourceVoices::threadCpuSeconds() - cpu;
        }
        state.SetIterationTime(took);
        total += took;
        if (!starved) {
            next += period;
            std::this_thread::sleep_until(next);
        }
    }
    // The meta buffers' own warnings, queued on the render thread, to stderr.
    drainRealtimeLog();
    const double cpu = processCpuSeconds() - cpuStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["core_fraction"] = mean / (kFrames / kRate);
    state.counters["process_core_fraction"] = cpu / wall;
    state.counters["us_per_voice"] = mean * 1e6 / static_cast<double>(count);
    state.counters["cpu_us_per_voice"] =
        cpuTotal * 1e6 / static_cast<double>(state.iterations()) / static_cast<double>(count);
    state.counters["dropped_frames"] =
        static_cast<double>(SourceVoices::droppedFrames(bench.voices));
    if (!starved) {
        state.counters["idle_kib_per_voice"] = memory.idleKiB;
        state.counters["playing_kib_per_voice"] = memory.playingKiB;
    }
}

// Starts the first `count` voices in one batch from the top of their files
// and renders until each has sounded (at most 100 cycles). Answers, per
// voice, the frame on which it first sounded, counted from the start of the
// first cycle after the batch (-1: never); `seconds` gets the time from the
// end of the batch to the end of the first cycle.
std::vector<long> startTogether(Bench& bench, std::size_t count, double& seconds) {
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
    std::vector<long> first(count, -1);
    std::size_t sounding = 0;
    for (long cycle = 0; cycle < 100 && sounding < count; ++cycle) {
        bench.cycle();
        if (cycle == 0) {
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        for (std::size_t output = 0; output * kVoicesPerOutput < count; ++output) {
            const auto& samples = bench.output(static_cast<std::uint32_t>(output));
            for (std::uint32_t f = 0; f < kFrames; ++f) {
                // The voices' master of 1/64 and the sum are exact in float.
                const auto bits =
                    static_cast<std::uint32_t>(std::lround(samples[f] * 64.0f / kLowestBit));
                for (std::size_t b = 0; b < kVoicesPerOutput; ++b) {
                    const std::size_t voice = output * kVoicesPerOutput + b;
                    if (voice < count && (bits >> b & 1u) != 0 && first[voice] < 0) {
                        first[voice] = cycle * kFrames + f;
                        ++sounding;
                    }
                }
            }
        }
    }
    return first;
}

void firstFrame(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto outputs = static_cast<std::uint32_t>(
        std::max<std::size_t>(2, (count + kVoicesPerOutput - 1) / kVoicesPerOutput));
    Bench bench(outputs);
    if (!bench.device || !bench.loadTellable(count)) {
        state.SkipWithError("the device or the voices could not be set up");
        return;
    }
    long latest = 0;
    long latestInCycle = 0;
    double fewestOnFirstFrame = static_cast<double>(count);
    for (auto _ : state) {
        double seconds = 0.0;
        const auto first = startTogether(bench, count, seconds);
        state.SetIterationTime(seconds);
        double onFirstFrame = 0;
        for (const long frame : first) {
            const long heard = frame < 0 ? 100 * static_cast<long>(kFrames) : frame;
            latest = std::max(latest, heard);
            latestInCycle = std::max(latestInCycle, heard % static_cast<long>(kFrames));
            onFirstFrame += frame == 0 ? 1 : 0;
        }
        fewestOnFirstFrame = std::min(fewestOnFirstFrame, onFirstFrame);
    }
    state.counters["cycle_offset"] = static_cast<double>(latest / kFrames);
    state.counters["frame_offset"] = static_cast<double>(latestInCycle);
    state.counters["voices_on_first_frame"] = fewestOnFirstFrame;
}

} // namespace

BENCHMARK(renderVoices)
    ->ArgNames({"voices", "effects", "starved"})
    ->Args({1, 0, 0})
    ->Args({64, 0, 0})
    ->Args({256, 0, 0})
    ->Args({64, 2, 0})
    ->Args({256, 2, 0})
    ->Args({256, 0, 1})
    ->Iterations(600)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(firstFrame)
    ->Arg(1)
    ->Arg(64)
    ->Arg(256)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
