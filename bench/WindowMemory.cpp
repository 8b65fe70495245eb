// Resident memory of the workspace window of a 1,000-cue show (40 carts of
// 5 x 5 cues), once open and once every cart has been shown, measured in a
// process of its own at a scale factor (the offscreen platform's screen at
// 1x or 2x), so that nothing else the process did is counted. The window
// benchmark runs it; it can also be run alone:
//   window_memory <scale factor: 1 or 2>
// Prints "open_kib X visited_kib Y": the resident memory with the first cart
// drawn, and after each cart has been shown and drawn in turn and the first
// shown again.
#include "KivUI/services/KivPasteboard.h"
#include "KivUI/services/KivQtPrompts.h"
#include "ResidentMemory.h"
#include "app/QtScheduler.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "foundation/Clock.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/audio/NullBackend.h"
#include "platform/audiofile/AudioFixtures.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <sndfile.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kCarts = 40;
constexpr int kRate = 44100;

void runLoop(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// A cart's tab shown and drawn.
void show(WorkspaceController& controller, int tab) {
    controller.selectTab(tab);
    QApplication::processEvents();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (std::string(argv[1]) != "1" && std::string(argv[1]) != "2")) {
        std::fprintf(stderr, "usage: window_memory <scale factor: 1 or 2>\n");
        return 2;
    }
    setCurrentThreadRole(ThreadRole::Main);
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    qputenv("QT_SCALE_FACTOR", QByteArray(argv[1]));
    QApplication application(argc, argv);
    {
        std::vector<std::unique_ptr<AudioBackend>> backends;
        backends.push_back(std::make_unique<NullBackend>());
        KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
        auto device = KivAudioDevice::deviceWithUID(NullBackend::kUID);
        AudioFixtures::TempFolder folder;
        QtScheduler scheduler;
        SteadyClock clock;
        MainRunLoop::ScopedInstall install{scheduler, clock};
        KivQtPrompts prompts;
        KivPasteboard pasteboard;
        // Every cue plays the same two seconds: the files are not what is measured.
        std::vector<float> sine(2 * kRate);
        for (std::size_t i = 0; i < sine.size(); ++i) {
            sine[i] = 0.1f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / kRate));
        }
        const std::string path = folder.path("cue.wav");
        if (!AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, sine, 1, kRate)) {
            std::fprintf(stderr, "the sound file cannot be written\n");
            return 1;
        }
        auto workspace = std::make_shared<Workspace>(device, folder.path("cache"));
        for (int c = 0; c < kCarts; ++c) {
            auto cart = std::make_shared<Cart>();
            cart->setName("Cart " + std::to_string(c + 1));
            cart->setSize({5, 5});
            for (std::size_t slot = 0; slot < 25; ++slot) {
                auto cue = AudioCue::initWithFile(path, device);
                if (!cue) {
                    std::fprintf(stderr, "a cue cannot be made\n");
                    return 1;
                }
                cue->setName("Cue " + std::to_string(c * 25 + static_cast<int>(slot) + 1));
                cue->setHotkey(cart->defaultHotkeyForIndex(slot));
                cart->setCue(cue, slot);
            }
            workspace->addCart(cart);
        }
        auto controller = std::make_unique<WorkspaceController>(workspace, prompts, pasteboard, nullptr);
        for (const auto& cart : workspace->carts()) {
            controller->addControllerForCart(cart);
        }
        controller->showWindow();
        // The window's own size: what a show opens in.
        runLoop(0.5);
        show(*controller, 0);
        const double open = residentKiB();
        for (int tab = 1; tab < kCarts; ++tab) {
            show(*controller, tab);
        }
        show(*controller, 0);
        runLoop(0.2);
        const double visited = residentKiB();
        std::printf("open_kib %.0f visited_kib %.0f\n", open, visited);
        controller.reset();
        workspace.reset();
        KivAudioHardware::setCurrent(nullptr);
    }
    return 0;
}
