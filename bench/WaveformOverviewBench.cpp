#include "model/AudioWaveform.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The editor's overview of a one-hour stereo file, FLAC and MP3, made here
// with libsndfile: wall time from creation until every point is computed,
// on the shared read-ahead pool, the passes on their own threads and their
// pauses kept on this thread as an event loop would. "peak_rss_mb" is the
// process's peak resident memory during the overview (the peak is reset
// before it starts); the file's writing is not counted. The target is under
// 2 s and bounded memory.
namespace {

constexpr int kRate = 44100;
constexpr unsigned kChannels = 2;
constexpr int kSeconds = 3600;

class BenchExecutor final : public AudioWaveformExecutor {
public:
    using Clock = std::chrono::steady_clock;
    ~BenchExecutor() override { drain(); }
    void runInBackground(std::function<void()> work) override {
        std::lock_guard lock(_mutex);
        _threads.emplace_back(std::move(work));
    }
    void runOnOwner(double seconds, std::function<void()> work) override {
        std::lock_guard lock(_mutex);
        _owner.push_back({Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds)),
                          std::move(work)});
        _changed.notify_one();
    }
    // Joins every thread and drops the owner's work left, and with it the
    // overview it holds.
    void drain() {
        std::unique_lock lock(_mutex);
        while (!_threads.empty()) {
            auto threads = std::move(_threads);
            _threads.clear();
            lock.unlock();
            for (auto& thread : threads) {
                thread.join();
            }
            lock.lock();
        }
        _owner.clear();
    }
    // The owner's loop until `done` holds after some work.
    void runUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::unique_lock lock(_mutex);
            _changed.wait(lock, [this] { return !_owner.empty(); });
            auto earliest = _owner.begin();
            for (auto it = _owner.begin(); it != _owner.end(); ++it) {
                if (it->due < earliest->due) {
                    earliest = it;
                }
            }
            if (earliest->due > Clock::now()) {
                _changed.wait_until(lock, earliest->due);
                continue;
            }
            auto work = std::move(earliest->work);
            _owner.erase(earliest);
            lock.unlock();
            work();
        }
    }

private:
    struct Due {
        Clock::time_point due;
        std::function<void()> work;
    };
    std::mutex _mutex;
    std::condition_variable _changed;
    std::vector<std::thread> _threads;
    std::deque<Due> _owner;
};

// One hour of the test signal, written ten seconds at a time.
bool writeHour(const std::string& path, int format) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = kChannels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        return false;
    }
    const std::vector<float> block = AudioFixtures::signal(10 * kRate, kChannels, kRate);
    bool written = true;
    for (int i = 0; i < kSeconds / 10 && written; ++i) {
        written = sf_writef_float(file, block.data(), 10 * kRate) == 10 * kRate;
    }
    return sf_close(file) == 0 && written;
}

double peakResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void overview(benchmark::State& state, int format, const char* name) {
    AudioFixtures::TempFolder folder;
    const std::string path = folder.path(name);
    if (!writeHour(path, format)) {
        state.SkipWithError("libsndfile could not write the file");
        return;
    }
    for (auto _ : state) {
        resetPeakResident();
        const double before = peakResidentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        auto executor = std::make_shared<BenchExecutor>();
        auto waveform = AudioWaveform::create(
            KivAlias::aliasWithPath(path), AudioWaveform::kEditorFramesPerPoint, executor, [] {});
        if (!waveform) {
            state.SkipWithError("no overview");
            return;
        }
        executor->runUntil([&] { return waveform->isComplete(); });
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["wall_s"] = seconds;
        state.counters["peak_rss_mb"] = peakResidentMegabytes();
        state.counters["rss_before_mb"] = before;
        state.counters["points"] = waveform->validPoints();
        state.counters["frames_per_point"] = waveform->framesPerPoint();
        waveform->setLive(false);
        waveform.reset();
        executor->drain();
    }
}

} // namespace

BENCHMARK_CAPTURE(overview, flac_hour, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "hour.flac")
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(overview, mp3_hour, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "hour.mp3")
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
