// What the workspace window costs the GUI thread, which also takes the hot
// keys: a real window (offscreen) on the Null device, whose render thread
// paces itself as a sound card would, with the application's own timers.
//
// BM_FullCartPlaying: all 25 cues of a 5 x 5 cart play in the shown tab. It
// reports the GUI thread's CPU time over wall time (gui_cpu_share, one core
// = 1), then, in a second stretch with a 1 ms probe timer on the loop, the
// longest the loop was late to the probe (longest_stall_ms): the longest a
// key press could have waited behind other work.
//
// BM_CartTabSwitch: two such carts in two tabs (nothing playing); each
// iteration selects the other tab and lets the window draw it.
//
// BM_ThousandCueShowVisitingEveryCart/<scale>: the resident memory of the
// window of a show of 40 carts of 25 cues at a scale factor of 1 or 2, open
// (open_mib) and once every cart has been shown (visited_mib), and what the
// visit added (grown_mib), measured by window_memory in a fresh process.
#include "KivUI/services/KivPasteboard.h"
#include "KivUI/services/KivQtPrompts.h"
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
#include "window/grid/GridController.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace {

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs the GUI thread's loop for `seconds`.
void runLoop(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// A workspace window on the Null device with carts of 5 x 5 cues, each its
// own sine file of 60 s.
class Show {
public:
    explicit Show(int carts) {
        std::vector<std::unique_ptr<AudioBackend>> backends;
        backends.push_back(std::make_unique<NullBackend>());
        KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));
        device = KivAudioDevice::deviceWithUID(NullBackend::kUID);
        workspace = std::make_shared<Workspace>(device, folder.path("cache"));
        const std::size_t frames = 60 * kRate;
        std::vector<float> sine(frames);
        for (std::size_t i = 0; i < frames; ++i) {
            sine[i] = 0.1f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / kRate));
        }
        for (int c = 0; c < carts; ++c) {
            auto cart = std::make_shared<Cart>();
            cart->setName("Cart " + std::to_string(c + 1));
            cart->setSize({5, 5});
            for (std::size_t slot = 0; slot < 25; ++slot) {
                const std::string path =
                    folder.path("cue" + std::to_string(c) + "-" + std::to_string(slot) + ".wav");
                AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, sine, 1, kRate);
                auto cue = AudioCue::initWithFile(path, device);
                cue->setName("Cue " + std::to_string(slot + 1));
                cue->setHotkey(cart->defaultHotkeyForIndex(slot));
                cart->setCue(cue, slot);
            }
            workspace->addCart(cart);
        }
        controller = std::make_unique<WorkspaceController>(workspace, prompts, pasteboard, nullptr);
        for (const auto& cart : workspace->carts()) {
            controller->addControllerForCart(cart);
        }
        controller->showWindow();
        controller->window()->resize(1100, 800);
        runLoop(0.5);
    }
    ~Show() {
        for (const auto& cart : workspace->carts()) {
            for (const auto& [index, cue] : cart->cues()) {
                cue->hardStop();
            }
        }
        controller.reset();
        workspace.reset();
        device.reset();
        KivAudioHardware::setCurrent(nullptr);
    }

    static constexpr int kRate = 44100;
    AudioFixtures::TempFolder folder;
    QtScheduler scheduler;
    SteadyClock clock;
    MainRunLoop::ScopedInstall install{scheduler, clock};
    KivQtPrompts prompts;
    KivPasteboard pasteboard;
    std::shared_ptr<KivAudioDevice> device;
    std::shared_ptr<Workspace> workspace;
    std::unique_ptr<WorkspaceController> controller;
};

void BM_FullCartPlaying(benchmark::State& state) {
    Show show(1);
    for (const auto& [index, cue] : show.workspace->carts().front()->cues()) {
        cue->triggerDown();
    }
    // The cues' first progress ticks and the meters settle in.
    runLoop(0.5);
    double share = 0.0;
    double stall = 0.0;
    for (auto _ : state) {
        constexpr double kStretch = 3.0;
        QElapsedTimer wall;
        wall.start();
        const double cpu = threadSeconds();
        runLoop(kStretch);
        share = (threadSeconds() - cpu) / (static_cast<double>(wall.nsecsElapsed()) * 1e-9);

        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(1);
        QElapsedTimer since;
        qint64 longest = 0;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longest = std::max(longest, since.nsecsElapsed());
            since.restart();
        });
        since.start();
        probe.start();
        runLoop(kStretch);
        probe.stop();
        stall = std::max(0.0, static_cast<double>(longest) * 1e-6 - 1.0);
        state.SetIterationTime(kStretch * 2);
    }
    state.counters["gui_cpu_share"] = share;
    state.counters["longest_stall_ms"] = stall;
}
BENCHMARK(BM_FullCartPlaying)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_CartTabSwitch(benchmark::State& state) {
    Show show(2);
    int tab = 0;
    double worst = 0.0;
    for (auto _ : state) {
        tab = 1 - tab;
        QElapsedTimer wall;
        wall.start();
        show.controller->selectTab(tab);
        // Everything the switch asked for, the drawing included.
        QApplication::processEvents();
        QApplication::processEvents();
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worst * 1000.0;
}
BENCHMARK(BM_CartTabSwitch)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

void BM_ThousandCueShowVisitingEveryCart(benchmark::State& state) {
    double open = 0.0;
    double visited = 0.0;
    for (auto _ : state) {
        const std::string command =
            std::string(PONDRA_WINDOW_MEMORY_EXE) + " " + std::to_string(state.range(0));
        FILE* child = popen(command.c_str(), "r");
        if (!child) {
            state.SkipWithError("window_memory does not start");
            return;
        }
        const bool read = std::fscanf(child, "open_kib %lf visited_kib %lf", &open, &visited) == 2;
        if (pclose(child) != 0 || !read) {
            state.SkipWithError("window_memory failed");
            return;
        }
    }
    state.counters["open_mib"] = open / 1024.0;
    state.counters["visited_mib"] = visited / 1024.0;
    state.counters["grown_mib"] = (visited - open) / 1024.0;
}
BENCHMARK(BM_ThousandCueShowVisitingEveryCart)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    setCurrentThreadRole(ThreadRole::Main);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
