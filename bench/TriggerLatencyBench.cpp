// Trigger to first sound on the Null device, which paces its render thread
// against the monotonic clock as a sound card would. Each iteration fires a
// cue the way a hot key does (a batch of one play action) at a random moment
// of the cycle, and times from the trigger to the cycle that puts out the
// cue's first frame: the wait for the next cycle start, at most one period.
// On ALSA the stream's queue comes on top: with two periods, one more period
// (the one playing while the cue's is rendered). The Null device runs at
// 44.1 kHz; the argument is the buffer size set on the device.
//
// Through JACK the bench starts a server of its own with the dummy driver
// at 48 kHz and the argument as its period, and times the same way: to the
// process cycle that renders the cue's first frame. The server's playback
// latency comes on top (the counter playback_latency_ms, as the server
// reports it for our ports).
#include "audio/device/KivActionInfo.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "audio/device/KivAudioPlayable.h"
#include "foundation/KivClock.h"
#include "platform/audio/JackBackend.h"
#include "platform/audio/JackTestServer.h"
#include "platform/audio/NullBackend.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace {

// A cue whose every frame is full scale once played; it notes the host time
// at which its first frame leaves the render call.
class Cue final : public KivAudioPlayable {
public:
    explicit Cue(KivAudioDevice* device)
        : _device(device) {}
    void _play() { _playing.store(true); }
    void _stop() {
        _playing.store(false);
        firstSound.store(0);
    }
    static constexpr auto kPlay = kivAction<Cue, &Cue::_play>("_play");
    static constexpr auto kStop = kivAction<Cue, &Cue::_stop>("_stop");

    KivAudioDevice* device() const override { return _device; }
    std::string description() const override { return "cue"; }
    std::int32_t render(KivRenderFlags&, const KivRenderTimeStamp&, std::uint32_t,
                        const AudioChannels& data) override {
        const bool playing = _playing.load();
        for (std::uint32_t k = 0; k < data.channelCount; ++k) {
            if (float* out = data.channels[k]) {
                std::fill_n(out, data.frameCount, playing && k == 0 ? 1.0f : 0.0f);
            }
        }
        if (playing && firstSound.load() == 0) {
            firstSound.store(HostTimeNow());
        }
        return 0;
    }

    std::atomic<std::uint64_t> firstSound{0};

private:
    KivAudioDevice* _device;
    std::atomic<bool> _playing{false};
};

// Fires the cue once per iteration on an open device and times it.
void measure(benchmark::State& state, KivAudioDevice& device) {
    const double period =
        device.streamConfig()->framesPerBuffer / device.streamConfig()->sampleRate;
    Cue cue(&device);
    device._attachAudio(cue);
    std::mt19937 random(19);
    std::uniform_real_distribution<double> phase(0.0, period);
    double worst = 0.0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::duration<double>(phase(random)));
        const std::uint64_t trigger = HostTimeNow();
        device.startSyncedActions();
        device.performAction(Cue::kPlay, &cue);
        device.endSyncedActions();
        while (cue.firstSound.load() == 0) {
            std::this_thread::yield();
        }
        const double latency = SecondsFromHostTime(cue.firstSound.load() - trigger);
        worst = std::max(worst, latency);
        state.SetIterationTime(latency);
        device.performAction(Cue::kStop, &cue);
    }
    state.counters["period_ms"] = period * 1000.0;
    state.counters["worst_ms"] = worst * 1000.0;
    device._detachAudio(cue);
}

void BM_TriggerToFirstSound(benchmark::State& state) {
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::make_unique<NullBackend>());
    KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
    auto device = KivAudioDevice::deviceWithUID(NullBackend::kUID);
    if (!device || !device->setBufferSizeInFrames(frames) || !device->open() ||
        device->streamConfig()->framesPerBuffer != frames) {
        state.SkipWithError("the Null device does not open at that size");
        return;
    }
    measure(state, *device);
    device->close();
    device.reset();
    KivAudioHardware::setCurrent(nullptr);
}
BENCHMARK(BM_TriggerToFirstSound)
    ->Arg(512)
    ->Arg(256)
    ->Arg(128)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

void BM_TriggerToFirstSoundJack(benchmark::State& state) {
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    JackTestServer server(48000, frames);
    if (!server.start()) {
        state.SkipWithError("no JACK server: jackd (Debian package jackd2) is not installed");
        return;
    }
    JackBackend::Options options;
    options.serverName = server.name();
    auto backend = std::make_unique<JackBackend>(options);
    const std::string uid = backend->uid();
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::move(backend));
    KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
    auto device = KivAudioDevice::deviceWithUID(uid);
    if (!device || !device->open() || device->streamConfig()->framesPerBuffer != frames) {
        state.SkipWithError("the JACK device does not open at that period");
        return;
    }
    jack_status_t status{};
    jack_client_t* probe =
        jack_client_open("pondra-bench-probe", JackOptions(JackNoStartServer | JackServerName),
                         &status, server.name().c_str());
    if (probe) {
        jack_latency_range_t range{};
        if (jack_port_t* port = jack_port_by_name(probe, "system:playback_1")) {
            jack_port_get_latency_range(port, JackPlaybackLatency, &range);
        }
        state.counters["playback_latency_ms"] = range.max * 1000.0 / 48000.0;
        jack_client_close(probe);
    }
    measure(state, *device);
    device->close();
    device.reset();
    KivAudioHardware::setCurrent(nullptr);
}
BENCHMARK(BM_TriggerToFirstSoundJack)
    ->Arg(256)
    ->Arg(128)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200);

} // namespace
