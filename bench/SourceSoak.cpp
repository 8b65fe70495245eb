// Soak run of the engine, not a test: 64 looping stereo voices from files on
// disk, each through two effects of the test gain plugin, on the null
// backend's real-time render thread for a given time (default 10 minutes).
// Reports the frames the read-ahead could not supply (the meta buffers' own
// count; the voices run on the real clock, so the engine's once-a-second
// warnings show in the log too), the longest render cycle as a fraction of
// the period and how many cycles took more than half the period or more than
// all of it.
//   audio_source_soak [seconds]
#include "SourceVoices.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "foundation/KivLog.h"
#include "foundation/ManualScheduler.h"
#include "platform/audio/NullBackend.h"
#include "platform/effects/Lv2World.h"
#include "platform/effects/TestPlugins.h"

#include <cstdlib>

namespace {

constexpr std::size_t kVoices = 64;

// Times every cycle of the stream it wraps.
class TimedCallback final : public AudioRenderCallback {
public:
    TimedCallback(AudioRenderCallback& inner, double rate)
        : _inner(inner)
        , _rate(rate) {}
    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override {
        const auto start = std::chrono::steady_clock::now();
        _inner.render(time, buffer);
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (took > worst.load(std::memory_order_relaxed)) {
            worst.store(took, std::memory_order_relaxed);
        }
        cycles.fetch_add(1, std::memory_order_relaxed);
        frames = buffer.frames;
        const double period = buffer.frames / _rate;
        overHalf.fetch_add(took > 0.5 * period ? 1 : 0, std::memory_order_relaxed);
        overPeriod.fetch_add(took > period ? 1 : 0, std::memory_order_relaxed);
    }
    std::atomic<double> worst{0.0};
    std::atomic<std::uint64_t> cycles{0};
    std::atomic<std::uint32_t> frames{0};
    std::atomic<std::uint64_t> overHalf{0};
    std::atomic<std::uint64_t> overPeriod{0};

private:
    AudioRenderCallback& _inner;
    const double _rate;
};

// The null backend, its streams timed.
class TimedNullBackend final : public AudioBackend {
public:
    void setListener(AudioBackendListener* listener) override { _null.setListener(listener); }
    std::vector<AudioDeviceInfo> devices() override { return _null.devices(); }
    std::string defaultOutputUID() override { return _null.defaultOutputUID(); }
    std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback) override {
        const double rate = config.sampleRate > 0.0 ? config.sampleRate
                                                    : NullBackend::deviceInfo().nominalSampleRate;
        timed = std::make_unique<TimedCallback>(callback, rate);
        return _null.openOutput(uid, config, *timed);
    }
    std::unique_ptr<TimedCallback> timed;

private:
    NullBackend _null;
};

std::shared_ptr<KivEffect> stereoGain() {
    return KivEffect::effectWithDescription(
        KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, kTestGainStereoUri));
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 600.0;
    setenv("LV2_PATH", PONDRA_TEST_LV2_DIR, 1);
    setComponentCatalogue(std::make_shared<KivLv2Catalogue>(Lv2World::load()));
    auto timedBackend = std::make_unique<TimedNullBackend>();
    TimedNullBackend* backend = timedBackend.get();
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::move(timedBackend));
    KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
    auto device = KivAudioDevice::deviceWithUID(NullBackend::kUID);
    if (!device || !device->open()) {
        std::fprintf(stderr, "the null device does not open\n");
        return 1;
    }
    AudioFixtures::TempFolder folder;
    const auto paths = SourceVoices::writeFiles(folder, kVoices, 4);
    // The voices loop forever, so their cleanup timers need never run.
    ManualClock timerClock;
    ManualScheduler scheduler(timerClock);
    SteadyClock clock;
    std::vector<std::shared_ptr<KivAudioSource>> voices;
    for (const auto& path : paths) {
        auto voice = SourceVoices::loopingVoice(path, device, scheduler, clock);
        if (!voice) {
            std::fprintf(stderr, "a voice could not be made\n");
            return 1;
        }
        voice->setEffects({stereoGain(), stereoGain()});
        voice->setDefaultVolumes();
        voice->setMasterVolume(1.0f / 64.0f);
        voices.push_back(std::move(voice));
    }
    SourceVoices::letReadAheadFill();
    device->startSyncedActions();
    for (const auto& voice : voices) {
        voice->play();
    }
    device->endSyncedActions();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    drainRealtimeLog();

    const TimedCallback& timed = *backend->timed;
    const double period = timed.frames.load() / device->nominalSampleRate();
    std::printf("voices %zu, effects %zu, seconds %.0f, cycles %llu\n", voices.size(),
                2 * voices.size(), seconds, static_cast<unsigned long long>(timed.cycles.load()));
    std::printf("dropped frames %llu\n",
                static_cast<unsigned long long>(SourceVoices::droppedFrames(voices)));
    std::printf("cycles over half the period %llu, over the whole period %llu\n",
                static_cast<unsigned long long>(timed.overHalf.load()),
                static_cast<unsigned long long>(timed.overPeriod.load()));
    std::printf("worst render %.1f us of a %.1f us period: %.3f\n", timed.worst.load() * 1e6,
                period * 1e6, timed.worst.load() / period);
    voices.clear();
    device->close();
    KivAudioHardware::setCurrent(nullptr);
    setComponentCatalogue(nullptr);
    return 0;
}
