// Resident memory of loaded and playing voices, measured in a process of its
// own so that memory freed by earlier work cannot hide what voices cost. The
// voices benchmark runs it; it can also be run alone:
//   audio_source_memory <voices> <effects per voice: 0 or 2>
// Prints "idle_kib_per_voice X playing_kib_per_voice Y": what each voice
// adds to the resident memory once loaded (read-ahead filled), and once it
// has played for a second. One voice is made before the baseline, so that
// libraries, plugins and first-use costs of the process are not counted.
#include "OfflineBenchDevice.h"
#include "SourceVoices.h"
#include "foundation/ManualScheduler.h"
#include "foundation/ThreadRole.h"

#include <cstdlib>

namespace {

constexpr std::uint32_t kFrames = 512;
constexpr double kRate = SourceVoices::kFileRate;

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: audio_source_memory <voices> <effects per voice: 0 or 2>\n");
        return 2;
    }
    const auto count = static_cast<std::size_t>(std::atol(argv[1]));
    const bool effects = std::atoi(argv[2]) != 0;
    if (count == 0 || (effects && !SourceVoices::useInstalledEffects())) {
        std::fprintf(stderr, "no voices, or mda-lv2 is not installed\n");
        return 1;
    }
    auto device = openOfflineBenchDevice(kRate, kFrames);
    if (!device) {
        std::fprintf(stderr, "the offline device does not open\n");
        return 1;
    }
    AudioFixtures::TempFolder folder;
    const auto paths = SourceVoices::writeFiles(folder, count + 1, 4);
    ManualClock timerClock;
    ManualScheduler scheduler(timerClock);
    SteadyClock clock;
    std::vector<std::shared_ptr<KivAudioSource>> voices;
    const auto addVoice = [&](const std::string& path) {
        auto voice = SourceVoices::loopingVoice(path, device, scheduler, clock);
        if (voice && (!effects || SourceVoices::addTwoEffects(*voice))) {
            voices.push_back(std::move(voice));
        }
    };
    addVoice(paths.front());
    SourceVoices::letReadAheadFill();
    const double before = residentKiB();
    for (std::size_t i = 1; i < paths.size(); ++i) {
        addVoice(paths[i]);
    }
    if (voices.size() != count + 1) {
        std::fprintf(stderr, "a voice could not be made\n");
        return 1;
    }
    SourceVoices::letReadAheadFill();
    const double idle = residentKiB();

    for (const auto& voice : voices) {
        voice->play();
    }
    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    float* outputs[2] = {left.data(), right.data()};
    const AudioOutputBuffer buffer{outputs, 2, kFrames, false};
    AudioRenderTime time;
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kFrames / kRate));
    auto next = std::chrono::steady_clock::now();
    {
        ScopedThreadRole role(ThreadRole::Render);
        for (double played = 0.0; played < 1.0; played += kFrames / kRate) {
            device->render(time, buffer);
            time.sampleTime += kFrames;
            next += period;
            std::this_thread::sleep_until(next);
        }
    }
    const double playing = residentKiB();
    std::printf("idle_kib_per_voice %.1f playing_kib_per_voice %.1f\n",
                (idle - before) / static_cast<double>(count),
                (playing - before) / static_cast<double>(count));
    voices.clear();
    device->close();
    KivAudioHardware::setCurrent(nullptr);
    return 0;
}
