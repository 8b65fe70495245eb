#pragma once

#include "KivUI/ScriptedPrompts.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/services/KivPasteboard.h"
#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/GuiWatchdog.h"
#include "window/grid/CueCellView.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/grid/MediaImport.h"
#include "window/workspace/WorkspaceTabCommands.h"
#include "window/workspace/DocumentActions.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"
#include "window/workspace/WorkspaceEditCommands.h"
#include "window/workspace/WorkspaceKeyRouter.h"
#include "window/workspace/WorkspaceOutputController.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// A workspace window on an offline device, rendered by hand in 64-frame
// cycles. Cues' read-ahead and fades run only when the test renders, and the
// main loop's timers and clock are the test's, so every frame is known.
class WindowFixture : public ::testing::Test {
protected:
    static constexpr std::uint32_t kCycle = 64;
    static constexpr int kRate = 48000;

    WindowFixture() {
        hardware.backend->plug(OfflineHardware::device("card"));
        device = KivAudioDevice::deviceWithUID("card");
    }
    ~WindowFixture() override {
        controller.reset();
        workspace.reset();
    }

    // An untitled workspace with one cart "Cart 1", in its window.
    WorkspaceController& openWindow() {
        workspace = std::make_shared<Workspace>(device, files.path("cache"));
        workspace->initializeUntitled();
        return showWorkspace(workspace);
    }
    WorkspaceController& showWorkspace(std::shared_ptr<Workspace> shown) {
        workspace = std::move(shown);
        controller =
            std::make_unique<WorkspaceController>(workspace, prompts, pasteboard, documents);
        for (const auto& cart : workspace->carts()) {
            controller->addControllerForCart(cart);
        }
        controller->showWindow();
        QApplication::processEvents();
        return *controller;
    }

    // Picks an entry of the window's output pop-up as a user does and waits
    // for its device, which opens off the GUI thread.
    void chooseOutput(int index) {
        controller->window()->outputs()->setCurrentIndex(index);
        controller->output().changeOutputDevice(index);
        waitForOutput();
    }
    void waitForOutput() {
        EXPECT_TRUE(
            GuiWatchdog::spinUntil([this] { return !controller->output().isOpeningOutput(); }));
    }

    GridController& grid() const { return *controller->selectedController(); }
    Cart& cart() const { return *grid().cart(); }
    CueCellView& cell(std::size_t index) const { return *grid().gridView()->cellAt(index); }

    // A mono WAV of one level throughout.
    std::string wav(const std::string& name, float level, double seconds = 1.0) {
        const std::string path = files.path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(
            path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
            std::vector<float>(static_cast<std::size_t>(seconds * kRate), level), 1, kRate));
        return path;
    }

    // A cue of the file placed at the slot, tended by hand.
    std::shared_ptr<AudioCue> placeCue(const std::string& path, std::size_t slot,
                                       const std::string& hotkey = {}) {
        auto cue = AudioCue::initWithFile(path, device);
        EXPECT_TRUE(cue);
        cue->setHotkey(hotkey);
        grid().addCue(cue, slot);
        byHand(*cue);
        return cue;
    }
    void byHand(AudioCue& cue) {
        cue.audioSource()->useManualBuffers();
        cue.audioSource()->useSteppedFades(clock);
        _byHand.push_back(cue.shared_from_this());
    }
    void everyCueByHand() {
        for (const auto& c : workspace->carts()) {
            for (const auto& [index, cue] : c->cues()) {
                byHand(*cue);
            }
        }
    }

    // Drops local files on a cell as a file manager would and waits for the
    // import to end.
    void dropFiles(const std::vector<std::string>& paths, std::size_t slot) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data.setUrls(urls);
        CueCellView& target = cell(slot);
        // The drop goes where the drag entered, as on screen.
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        waitForImport();
    }
    void waitForImport() { waitForImport(grid()); }
    static void waitForImport(const GridController& grid) {
        if (MediaImport* import = grid.currentImport()) {
            QEventLoop loop;
            QObject::connect(import, &QObject::destroyed, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }

    // Renders cycles, the cues' read-ahead tended before each; answers the
    // index of the first.
    std::size_t render(std::uint32_t cycles = 1) {
        const std::size_t first = capturedCycles();
        for (std::uint32_t c = 0; c < cycles; ++c) {
            for (const auto& cue : _byHand) {
                cue->audioSource()->tendBuffers();
            }
            hardware.backend->render(kCycle);
        }
        return first;
    }
    std::size_t capturedCycles() const {
        return hardware.backend->capturedOutput("card").size() / (kCycle * 2);
    }
    // Frame 0 of the left channel of each cycle from `first` on.
    std::vector<float> firstFrames(std::size_t first) const {
        const auto captured = hardware.backend->capturedOutput("card");
        std::vector<float> frames;
        for (std::size_t c = first; c < capturedCycles(); ++c) {
            frames.push_back(captured.at(c * kCycle * 2));
        }
        return frames;
    }
    bool silentFrom(std::size_t first) const {
        const auto frames = firstFrames(first);
        return std::all_of(frames.begin(), frames.end(), [](float f) { return f == 0.0f; });
    }

    // Key presses as the offscreen platform sends them: no native scan code.
    void key(QEvent::Type type, int qtKey, const QString& text,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, modifiers, text, autoRepeat);
        QApplication::sendEvent(grid().gridView(), &event);
    }
    void press(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        key(QEvent::KeyPress, qtKey, text, modifiers);
    }
    void release(int qtKey, const QString& text) { key(QEvent::KeyRelease, qtKey, text); }

    OfflineHardware hardware;
    std::shared_ptr<KivAudioDevice> device;
    AudioFixtures::TempFolder files;
    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    ScriptedPrompts prompts;
    KivPasteboard pasteboard;
    // The application's side of the window's menus; none unless a test sets it.
    DocumentActions* documents = nullptr;
    std::shared_ptr<Workspace> workspace;
    std::unique_ptr<WorkspaceController> controller;

private:
    std::vector<std::shared_ptr<AudioCue>> _byHand;
};
