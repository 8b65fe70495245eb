// The window controller: outputs, device-list changes, the safety check,
// the master volume, the transport and the menus.
#include "KivUI/WidgetRender.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/drawing/KivMenuTheme.h"
#include "model/PondraLogger.h"
#include "window/WindowFixture.h"
#include "window/grid/CueCellController.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"
#include "window/warnings/BrokenCueController.h"
#include "window/workspace/ImageButton.h"
#include "window/workspace/LogController.h"
#include "window/workspace/PondraAudioLevelView.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

QStringList items(const QComboBox& popUp) {
    QStringList titles;
    for (int i = 0; i < popUp.count(); ++i) {
        titles << popUp.itemText(i);
    }
    return titles;
}

// One device whose opening waits until the test lets it go, or two seconds
// have passed, as with a JACK server that has stopped answering; then it
// fails, as a server that answers at last with a refusal.
class HangingBackend final : public AudioBackend {
public:
    void setListener(AudioBackendListener*) override {}
    std::vector<AudioDeviceInfo> devices() override { return {OfflineHardware::device("hung")}; }
    std::string defaultOutputUID() override { return {}; }
    std::unique_ptr<AudioOutputStream> openOutput(const std::string&, const AudioStreamConfig&,
                                                  AudioRenderCallback&) override {
        std::unique_lock lock(_mutex);
        ++_opening;
        _changed.wait_for(lock, std::chrono::seconds(2), [this] { return _released; });
        --_opening;
        _changed.notify_all();
        return nullptr;
    }
    void release() {
        std::unique_lock lock(_mutex);
        _released = true;
        _changed.notify_all();
        _changed.wait(lock, [this] { return _opening == 0; });
    }

private:
    std::mutex _mutex;
    std::condition_variable _changed;
    int _opening = 0;
    bool _released = false;
};

std::vector<std::unique_ptr<AudioBackend>> hangingBackend(HangingBackend*& made) {
    auto backend = std::make_unique<HangingBackend>();
    made = backend.get();
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::move(backend));
    return backends;
}

} // namespace

class HungDevice : public WindowFixture {
protected:
    HangingBackend* hung = nullptr;
    // In place of the fixture's hardware, with the hanging device after "card".
    OfflineHardware hangingHardware{hangingBackend(hung)};
    ~HungDevice() override { hung->release(); }
};

TEST_F(HungDevice, ADevicePickedThatNeverOpensHoldsUpNeitherTheWindowNorTheShow) {
    hangingHardware.backend->plug(OfflineHardware::device("card"));
    device = KivAudioDevice::deviceWithUID("card");
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f, 2.0), 0, "A");
    ASSERT_EQ(items(*controller->window()->outputs()),
              (QStringList{"Card card - channels 1/2", "Card hung - channels 1/2"}));

    GuiWatchdog watchdog;
    controller->window()->outputs()->setCurrentIndex(1);
    controller->output().changeOutputDevice(1);
    EXPECT_TRUE(controller->output().isOpeningOutput());
    // The show goes on where it was, and its keys still fire.
    press(Qt::Key_A, QStringLiteral("a"));
    GuiWatchdog::spinUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_LT(watchdog.longestStall(), GuiWatchdog::kFreeze);
    EXPECT_EQ(workspace->audioDevice()->deviceUID(), "card");
    cue->audioSource()->tendBuffers();
    hangingHardware.backend->render(kCycle);
    EXPECT_EQ(hangingHardware.backend->capturedOutput("card").back(), 0.25f);

    // The device answers at last, with a refusal: the pop-up goes back.
    hung->release();
    waitForOutput();
    EXPECT_EQ(workspace->audioDevice()->deviceUID(), "card");
    EXPECT_EQ(controller->window()->outputs()->currentIndex(), 0);
    workspace->undoManager().endTurn();
    EXPECT_NE(workspace->undoManager().undoActionName(), "Change Output");
}

TEST_F(WindowFixture, OutputsOfferOverlappingPairsAndSkipOneChannelDevices) {
    hardware.backend->plug(OfflineHardware::device("eight", 8));
    hardware.backend->plug(OfflineHardware::device("mono", 1));
    openWindow();
    const QStringList titles = items(*controller->window()->outputs());
    EXPECT_EQ(titles.size(), 8);
    ASSERT_EQ(controller->outputDevices().size(), 8u) << "one entry per pop-up item";
    EXPECT_EQ(controller->outputDevices()[3].device->deviceUID(), "eight");
    EXPECT_EQ(controller->outputDevices()[3].channel, 3);
    EXPECT_EQ(&controller->outputDevices(), &controller->output().outputs());
    EXPECT_EQ(titles.front(), QStringLiteral("Card card - channels 1/2"));
    EXPECT_EQ(titles[1], QStringLiteral("Card eight - channels 1/2"));
    EXPECT_EQ(titles.back(), QStringLiteral("Card eight - channels 7/8"));
    EXPECT_EQ(controller->window()->outputs()->currentIndex(), 0);
    EXPECT_TRUE(prompts.alerts.empty());

    // Channels 3/4 of the eight-channel device.
    chooseOutput(3);
    EXPECT_EQ(workspace->audioDevice()->deviceUID(), "eight");
    EXPECT_EQ(workspace->deviceChannel(), 3);
    workspace->undoManager().endTurn();
    EXPECT_EQ(workspace->undoManager().undoActionName(), "Change Output");
    ASSERT_TRUE(workspace->undoManager().undo());
    waitForOutput();
    EXPECT_EQ(workspace->audioDevice()->deviceUID(), "card");
    EXPECT_EQ(workspace->deviceChannel(), 1);
    EXPECT_EQ(controller->window()->outputs()->currentIndex(), 0);
}

TEST_F(WindowFixture, AMissingDeviceIsShownWithAnAlertAndTheWorkspacePlaysOnTheDefaultDevice) {
    hardware.backend->plug(OfflineHardware::device("other"));
    openWindow();
    auto cue = AudioCue::initWithFile(wav("a.wav", 0.25f), workspace->audioDevice());
    grid().addCue(cue, 0);
    workspace->undoManager().endTurn();
    const bool edited = workspace->isDocumentEdited();
    hardware.backend->unplug("card");
    QApplication::processEvents();
    waitForOutput();
    // On this window only.
    EXPECT_TRUE(prompts.alerts.empty());
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(prompts.sheets[0].messageText, QStringLiteral("Device disappeared"));
    EXPECT_EQ(prompts.sheetWindows[0], controller->window());

    // Nobody has to choose: the default device takes over, and says so.
    EXPECT_EQ(workspace->audioDevice()->deviceUID(), "other");
    EXPECT_EQ(cue->audioDevice()->deviceUID(), "other");
    EXPECT_EQ(controller->window()->outputs()->currentText(),
              QStringLiteral("Card other - channels 1/2"));
    EXPECT_EQ(controller->window()->outputs()->count(), 1);
    EXPECT_EQ(workspace->isDocumentEdited(), edited);
    cue->audioSource()->useManualBuffers();
    cue->play();
    cue->audioSource()->tendBuffers();
    hardware.backend->render(kCycle);
    EXPECT_EQ(hardware.backend->capturedOutput("other").at(0), 0.25f);
}

TEST_F(WindowFixture, WithoutAnyDeviceLeftThePopUpShowsTheDeviceMissing) {
    openWindow();
    hardware.backend->unplug("card");
    QApplication::processEvents();
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(controller->window()->outputs()->currentText(), QStringLiteral("Device missing"));
}

TEST_F(WindowFixture, DeviceListChangesReachThePopUpOnTheGuiThreadOnly) {
    openWindow();
    ASSERT_EQ(controller->window()->outputs()->count(), 1);
    std::thread([this] { hardware.backend->plug(OfflineHardware::device("usb", 4)); }).join();
    EXPECT_EQ(controller->window()->outputs()->count(), 1);
    QApplication::processEvents();
    EXPECT_EQ(controller->window()->outputs()->count(), 4);
}

TEST_F(WindowFixture, TheSafetyCheckLooksAtTheCuesAsTheyAreWhenShowModeIsEntered) {
    openWindow();
    controller->settings().setShouldPerformSafetyChecks(true);
    placeCue(wav("a.wav", 0.1f), 0, "A");
    placeCue(wav("b.wav", 0.1f), 1, "A");
    controller->setShowMode();
    EXPECT_TRUE(workspace->isLocked());
    BrokenCueController& warnings = controller->brokenCueController();
    ASSERT_NE(warnings.popover(), nullptr);
    EXPECT_EQ(warnings.brokenOrFlaggedCues().size(), 1u);
    warnings.hidePopover();

    controller->setEditMode();
    cart().cueAtIndex(1)->setHotkey("B");
    controller->setShowMode();
    EXPECT_TRUE(workspace->isLocked());
    EXPECT_EQ(warnings.popover(), nullptr);
    EXPECT_TRUE(warnings.brokenOrFlaggedCues().empty());
    EXPECT_TRUE(prompts.alerts.empty());
}

TEST_F(WindowFixture, ToggleModeSwitchesBetweenEditAndShowModeWithTheSafetyCheck) {
    openWindow();
    controller->settings().setShouldPerformSafetyChecks(true);
    placeCue(wav("a.wav", 0.1f), 0, "A");
    placeCue(wav("b.wav", 0.1f), 1, "A");
    ASSERT_TRUE(controller->inEditMode());
    controller->toggleMode();
    EXPECT_TRUE(workspace->isLocked());
    EXPECT_TRUE(controller->inShowMode());
    EXPECT_NE(controller->brokenCueController().popover(), nullptr) << "checked on the way in";
    controller->brokenCueController().hidePopover();
    controller->toggleMode();
    EXPECT_FALSE(workspace->isLocked());
    EXPECT_TRUE(controller->inEditMode());
    controller->toggleMode();
    EXPECT_TRUE(controller->inShowMode());
}

// The average and the lightest grey of a menu as it shows.
std::pair<double, int> greysOf(QMenu& menu) {
    menu.popup(QPoint(40, 40));
    QApplication::processEvents();
    const QImage shown = renderWidget(menu);
    double sum = 0;
    int lightest = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const int grey = qGray(shown.pixel(x, y));
            sum += grey;
            lightest = std::max(lightest, grey);
        }
    }
    menu.hide();
    return {sum / (shown.width() * shown.height()), lightest};
}

TEST_F(WindowFixture, TheMenuBarsMenusACellsMenuAndTheEffectsMenuAreDarkWithLightTitles) {
    const QPalette before = QApplication::palette("QMenu");
    installDarkMenuTheme(); // as the program's start-up does
    openWindow();
    placeCue(wav("a.wav", 0.1f), 0, "A");
    grid().gridView()->setSelectedIndex(0);
    QApplication::processEvents();
    std::vector<QMenu*> menus;
    for (QAction* title : controller->window()->menuBar()->actions()) {
        menus.push_back(title->menu());
    }
    const std::unique_ptr<QMenu> contextual = cell(0).controller().makeContextMenu();
    menus.push_back(contextual.get());
    QMenu* effects = controller->inspectorController()->cueInspectorController().effectsMenu();
    ASSERT_EQ(effects->actions().size(), 1);
    EXPECT_EQ(effects->actions().front()->text(), QStringLiteral("No effects installed"));
    menus.push_back(effects);
    for (QMenu* menu : menus) {
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> entries = menu->actions();
        const bool anyEnabled = std::any_of(entries.begin(), entries.end(), [](QAction* entry) {
            return entry->isEnabled() && !entry->isSeparator();
        });
        const auto [average, lightest] = greysOf(*menu);
        const std::string name = menu->title().toStdString();
        EXPECT_LT(average, 80) << name << ": a light menu";
        if (anyEnabled) {
            EXPECT_GT(lightest, 150) << name << ": no light titles";
        } else {
            // Greyed out throughout (the Help menu here, the empty effects menu).
            EXPECT_GT(lightest, 90) << name << ": greyed-out titles too dark to read";
            EXPECT_LT(lightest, 150) << name << ": greyed-out titles drawn light";
        }
    }
    QApplication::setPalette(before, "QMenu");
}

TEST_F(WindowFixture, TheSliderRunsFrom0To1000ForTheMasterVolume) {
    openWindow();
    EXPECT_EQ(controller->window()->volumeSlider()->value(), 1000);
    controller->window()->volumeSlider()->setValue(250);
    EXPECT_FLOAT_EQ(workspace->masterVolume(), 0.25f);
    controller->setVolumeMin();
    EXPECT_FLOAT_EQ(workspace->masterVolume(), 0.0f);
    EXPECT_EQ(controller->window()->volumeSlider()->value(), 0);
}

TEST_F(WindowFixture, ThePauseAndDuckButtonsFollowTheWorkspace) {
    openWindow();
    controller->window()->pauseAllButton()->click();
    EXPECT_TRUE(workspace->isPaused());
    EXPECT_EQ(controller->window()->pauseAllButton()->currentImage(),
              QStringLiteral("pause_button_highlighted"));
    controller->window()->pauseAllButton()->click();
    EXPECT_FALSE(workspace->isPaused());
    controller->window()->duckingButton()->click();
    EXPECT_TRUE(workspace->isDucked());
    EXPECT_EQ(controller->window()->duckingButton()->currentImage(),
              QStringLiteral("ducking_button_highlighted"));
}

TEST_F(WindowFixture, MenusFollowTheModeTheSelectionAndTheUndoSteps) {
    openWindow();
    PondraWindow& window = *controller->window();
    placeCue(wav("a.wav", 0.1f), 0);
    workspace->undoManager().endTurn();
    controller->validateMenus();
    EXPECT_TRUE(window.action(QStringLiteral("undo"))->isEnabled());
    EXPECT_EQ(window.action(QStringLiteral("undo"))->text(), QStringLiteral("&Undo Add Cue"));
    EXPECT_FALSE(window.action(QStringLiteral("copy"))->isEnabled());
    grid().gridView()->setSelectedIndex(0);
    EXPECT_TRUE(window.action(QStringLiteral("copy"))->isEnabled());
    EXPECT_TRUE(window.action(QStringLiteral("delete"))->isEnabled());

    controller->setShowMode();
    EXPECT_FALSE(window.action(QStringLiteral("undo"))->isEnabled());
    EXPECT_FALSE(window.action(QStringLiteral("setShowMode"))->isEnabled());
    EXPECT_TRUE(window.action(QStringLiteral("setEditMode"))->isEnabled());
    EXPECT_FALSE(window.action(QStringLiteral("paste"))->isEnabled());
}

TEST_F(WindowFixture, PasteIsOfferedAsSoonAsACueIsCopiedElsewhere) {
    openWindow();
    QGuiApplication::clipboard()->clear();
    QAction& paste = *controller->window()->action(QStringLiteral("paste"));
    EXPECT_FALSE(paste.isEnabled());
    // A copy in another window touches nothing of this one but the clipboard.
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(AudioCue::kPasteboardType), QByteArray("{}"));
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_TRUE(paste.isEnabled());
}

TEST_F(WindowFixture, ADragOfTheVolumeSliderIsOneUndoStep) {
    openWindow();
    VornSlider& slider = *controller->window()->volumeSlider();
    UndoManager& undo = workspace->undoManager();
    undo.removeAllActions();
    const QPointF start = slider.knobRect().center();
    sendMouse(slider, QEvent::MouseButtonPress, start);
    for (int step = 1; step <= 4; ++step) {
        sendMouse(slider, QEvent::MouseMove, start - QPointF(15 * step, 0));
        undo.endTurn();
    }
    sendMouse(slider, QEvent::MouseButtonRelease, start - QPointF(60, 0));
    undo.endTurn();
    const float dragged = workspace->masterVolume();
    EXPECT_LT(dragged, 1.0f);
    ASSERT_TRUE(undo.undo());
    EXPECT_FLOAT_EQ(workspace->masterVolume(), 1.0f);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(WindowFixture, TheMasterSliderFollowsUndoAndRedoOfAVolumeChange) {
    openWindow();
    PondraWindow& window = *controller->window();
    VornSlider& slider = *window.volumeSlider();
    UndoManager& undo = workspace->undoManager();
    undo.removeAllActions();
    const QPointF start = slider.knobRect().center();
    sendMouse(slider, QEvent::MouseButtonPress, start);
    sendMouse(slider, QEvent::MouseMove, start - QPointF(60, 0));
    sendMouse(slider, QEvent::MouseButtonRelease, start - QPointF(60, 0));
    undo.endTurn();
    const int dragged = slider.value();
    ASSERT_LT(dragged, 1000);
    ASSERT_EQ(undo.undoActionName(), "Volume Change");

    window.action(QStringLiteral("undo"))->trigger();
    EXPECT_FLOAT_EQ(workspace->masterVolume(), 1.0f);
    EXPECT_EQ(slider.value(), 1000);
    window.action(QStringLiteral("redo"))->trigger();
    EXPECT_EQ(slider.value(), dragged);
    EXPECT_FLOAT_EQ(workspace->masterVolume(), static_cast<float>(dragged) / 1000.0f);
}

TEST_F(WindowFixture, TheSliderFollowsADuckForOneSecond) {
    openWindow();
    controller->toggleDucking();
    EXPECT_TRUE(controller->isFollowingDucking());
    scheduler.advance(0.5);
    EXPECT_EQ(controller->window()->volumeSlider()->value(),
              static_cast<int>(std::lround(workspace->masterVolume() * 1000)));
    scheduler.advance(0.6);
    EXPECT_FALSE(controller->isFollowingDucking());
}

TEST_F(WindowFixture, TheLogMenuItemShowsTheWorkspacesLog) {
    openWindow();
    workspace->logger()->appendLog("Door Slam (door.wav)");
    controller->window()->action(QStringLiteral("showLog"))->trigger();
    LogController* log = controller->logWindow();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_EQ(log->logger(), workspace->logger());
    EXPECT_EQ(log->textView()->toPlainText().toStdString(),
              workspace->logger()->stringWithContentsOfLog());
}

TEST(PondraAudioLevelView, DecibelsMapOntoTheMeterScale) {
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(-60), -4);
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(-100), -4);
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(-15), -2);
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(0), 0);
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(6), 0.5);
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(12), 1);
    EXPECT_FLOAT_EQ(PondraAudioLevelView::meterValue(std::nanf("")), -4);
}

TEST_F(WindowFixture, TheMeterShowsWhatTheDevicePlaysEveryTwentiethOfASecond) {
    openWindow();
    auto cue = placeCue(wav("loud.wav", 0.5f, 2.0), 0);
    PondraAudioLevelView& meter = *controller->window()->audioLevel();
    scheduler.advance(0.05);
    EXPECT_EQ(meter.leftChannelPower(), PondraAudioLevelView::kFloor);
    cue->play();
    render(200);
    scheduler.advance(0.05);
    // A level of 0.5 peaks at -6 dB.
    EXPECT_GT(meter.leftChannelPower(), -2.0f);
    EXPECT_NEAR(meter.rightChannelPeak(),
                PondraAudioLevelView::meterValue(20.0f * std::log10(0.5f)), 0.02f);
}
