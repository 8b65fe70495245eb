#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/DocumentController.h"
#include "model/Workspace.h"
#include "platform/audio/OfflineBackend.h"
#include "platform/audiofile/AudioFixtures.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Opening and saving in place a show of 125 cues, 25 in each of 5 carts, each
// on a 3-minute stereo file. The files are hard links to one recording, so
// the benchmark needs one file's disk space while every cue has a file of its
// own. Targets: open below 1 s, save in place below 0.5 s.
namespace {

constexpr int kRate = 48000;
constexpr int kSeconds = 180;
constexpr int kCarts = 5;
constexpr int kCuesPerCart = 25;

class Show {
public:
    Show() {
        auto offline = std::make_unique<OfflineBackend>();
        offline->plug(offlineDevice());
        std::vector<std::unique_ptr<AudioBackend>> backends;
        backends.push_back(std::move(offline));
        _hardware = std::make_shared<KivAudioHardware>(std::move(backends));
        KivAudioHardware::setCurrent(_hardware);
        device = KivAudioDevice::deviceWithUID("card");

        const std::string recording = folder.path("recording.wav");
        ok = AudioFixtures::writeSndfile(recording, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                         AudioFixtures::signal(kSeconds * kRate, 2, kRate), 2,
                                         kRate);
        auto workspace = std::dynamic_pointer_cast<Workspace>(controller.newDocument());
        workspace->removeCart(workspace->carts().front());
        for (int c = 0; c < kCarts && ok; ++c) {
            auto cart = std::make_shared<Cart>();
            cart->setName("Cart " + std::to_string(c + 1));
            cart->setSize({5, 5});
            workspace->addCart(cart);
            const std::string cartFolder = folder.path("cart" + std::to_string(c));
            std::filesystem::create_directories(cartFolder);
            for (int i = 0; i < kCuesPerCart; ++i) {
                const std::string file = cartFolder + "/cue" + std::to_string(i) + ".wav";
                std::filesystem::create_hard_link(recording, file);
                cart->setCue(AudioCue::initWithFile(file, device), static_cast<std::size_t>(i));
            }
        }
        KivError error;
        controller.saveDocumentAs(*workspace, package, [&](const KivError& e) { error = e; });
        controller.finishSaving(*workspace);
        ok = ok && !error;
        saved = workspace;
    }
    ~Show() {
        saved.reset();
        while (!controller.documents().empty()) {
            controller.closeDocument(*controller.documents().front());
        }
        device.reset();
        KivAudioHardware::setCurrent(nullptr);
    }

    static AudioDeviceInfo offlineDevice() {
        AudioDeviceInfo info;
        info.uid = "card";
        info.name = "Card";
        info.outputChannels = 2;
        info.nominalSampleRate = kRate;
        info.bufferSizeInFrames = 512;
        info.minBufferSizeInFrames = 64;
        info.maxBufferSizeInFrames = 4096;
        return info;
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    AudioFixtures::TempFolder folder;
    const std::string package = folder.path("Show.pondra");
    std::shared_ptr<KivAudioHardware> _hardware;
    std::shared_ptr<KivAudioDevice> device;
    DocumentController::DocumentFactory factory = [this] {
        return std::make_shared<Workspace>(device, folder.path("cache"));
    };
    DocumentController controller{factory, PackageWriter(), scheduler};
    std::shared_ptr<Workspace> saved;
    bool ok = false;
};

void openShow(benchmark::State& state) {
    Show show;
    if (!show.ok) {
        state.SkipWithError("could not make the show");
        return;
    }
    for (auto _ : state) {
        DocumentController reader(show.factory, PackageWriter(), show.scheduler);
        KivError error;
        auto document = reader.openDocument(show.package, error);
        if (!document) {
            state.SkipWithError(error.description.c_str());
            return;
        }
        state.PauseTiming();
        reader.closeDocument(*document);
        document.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(openShow)->Unit(benchmark::kMillisecond)->Iterations(5);

void saveShowInPlace(benchmark::State& state) {
    Show show;
    if (!show.ok) {
        state.SkipWithError("could not make the show");
        return;
    }
    for (auto _ : state) {
        KivError error;
        show.controller.saveDocument(*show.saved, [&](const KivError& e) { error = e; });
        show.controller.finishSaving(*show.saved);
        if (error) {
            state.SkipWithError(error.description.c_str());
            return;
        }
    }
}
BENCHMARK(saveShowInPlace)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
