// Renders the workspace window with the inspector showing a cue (its
// waveform drawn) and with the warnings slid in, to PNG files under the
// build tree's gallery folder, at 1x and 2x, for people judging the look.
#include "audio/effects/KivLv2Catalogue.h"
#include "model/AudioWaveform.h"
#include "model/PondraColor.h"
#include "platform/effects/TestPlugins.h"
#include "support/Gallery.h"
#include "window/InspectorFixture.h"
#include "window/warnings/BrokenCueController.h"
#include "window/waveform/AudioWaveformView.h"

#include <QElapsedTimer>
#include <QMenu>

#include <cmath>

class InspectorGallery : public InspectorFixture {
protected:
    void SetUp() override { setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld())); }
    void TearDown() override { setComponentCatalogue(nullptr); }

    // Rain that swells and falls back over eight seconds.
    std::string rain() {
        constexpr int frames = 8 * kRate;
        std::vector<float> samples(frames);
        std::uint32_t noise = 12345;
        for (int f = 0; f < frames; ++f) {
            noise = noise * 1664525u + 1013904223u;
            const double t = double(f) / kRate;
            const double envelope =
                0.15 + 0.7 * std::pow(std::sin(t * 0.42), 2.0) * (0.7 + 0.3 * std::sin(t * 5.0));
            samples[static_cast<std::size_t>(f)] =
                float(envelope * (double(noise >> 8) / double(1 << 24) * 2.0 - 1.0));
        }
        const std::string path = files.path("Rain Ambience.wav");
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 1, kRate));
        return path;
    }

    // The overview is read on worker threads; the picture waits for it.
    void waitForWaveform() {
        QElapsedTimer waited;
        waited.start();
        const auto& waveform = cueInspector().waveformView()->waveform();
        while ((!waveform || !waveform->isComplete()) && waited.elapsed() < 20000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        ASSERT_TRUE(waveform && waveform->isComplete());
        QApplication::processEvents();
    }
};

TEST_F(InspectorGallery, TheInspectorWithACueAndWithTheWarnings) {
    openWindow();
    inspector().setAnimated(false);
    auto cue = placeCue(rain(), 5, "R");
    cue->setName("Rain Ambience (long loop)");
    cue->setColor(PondraColor::colorWithName("green"));
    cue->setLoops(true);
    cue->setMidiNote(64);
    cue->setVolume(0.8f);
    cue->setEndTime(7.2);
    cue->setStartTime(0.6);
    placeCue(wav("Door Slam.wav", 0.1f), 0, "Q")->setName("Door Slam");
    // Two cues on one hot key give the warnings list something to show.
    placeCue(wav("Thunder.wav", 0.1f), 1, "Q")->setName("Thunder Crack");
    PondraWindow& window = *controller->window();
    window.resize(960, 700);
    grid().gridView()->setSelectedIndex(5);
    for (QAction* maker : cueInspector().effectsMenu()->actions()) {
        if (maker->text() == QStringLiteral("Pondra Tests") && maker->menu()) {
            maker->menu()->actions().front()->trigger();
        }
    }
    QApplication::processEvents();
    waitForWaveform();
    saveToGallery(window, QStringLiteral("inspector-cue"));
    saveToGallery(inspector(), QStringLiteral("inspector-cue-pane"));

    inspector().toggleBrokenCueView();
    controller->brokenCueController().reloadDataNow();
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("inspector-warnings"));
}

TEST_F(InspectorGallery, TheEffectsListWithAnEffectThatCannotTakeTheCuesChannels) {
    openWindow();
    inspector().setAnimated(false);
    const std::string path = files.path("Surround Bed.wav");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                            std::vector<float>(3 * 2 * kRate, 0.2f), 3, kRate));
    placeCue(path, 0, "S")->setName("Surround Bed");
    controller->window()->resize(960, 700);
    grid().gridView()->setSelectedIndex(0);
    cueInspector().setEffectEditorOpener([](KivEffect&) {});
    for (QAction* maker : cueInspector().effectsMenu()->actions()) {
        if (maker->text() == QStringLiteral("Pondra Tests") && maker->menu()) {
            for (QAction* effect : maker->menu()->actions()) {
                if (effect->text() == "Test Gain" || effect->text() == "Test Gain Stereo") {
                    effect->trigger();
                }
            }
        }
    }
    QApplication::processEvents();
    waitForWaveform();
    saveToGallery(inspector(), QStringLiteral("inspector-effects-refused"));
}
