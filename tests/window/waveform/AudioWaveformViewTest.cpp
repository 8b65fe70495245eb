#include "window/waveform/AudioWaveformView.h"

#include "KivUI/WidgetRender.h"
#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/AudioWaveform.h"
#include "model/ManualWaveformExecutor.h"
#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>
#include <memory>

// The editor widget over a cue of an offline device, its overview computed
// by hand.
namespace {

constexpr int kRate = 44100;

class AudioWaveformViewTest : public ::testing::Test {
protected:
    ~AudioWaveformViewTest() override { executor->discardPending(); }

    AudioWaveformViewTest() {
        hardware.backend->plug(OfflineHardware::device("card"));
        device = KivAudioDevice::deviceWithUID("card");
        view.resize(600, 160);
    }

    // A stereo cue of `seconds` of swelling and fading tones.
    std::shared_ptr<AudioCue> cue(const std::string& name, double seconds) {
        const auto frames = static_cast<std::size_t>(seconds * kRate);
        std::vector<float> samples = AudioFixtures::signal(frames, 2, kRate);
        for (std::size_t f = 0; f < frames; ++f) {
            const double t = double(f) / kRate;
            const auto envelope = float(0.35 + 0.6 * std::pow(std::sin(t * 0.45), 2.0) *
                                                   (0.6 + 0.4 * std::sin(t * 7.0)));
            samples[2 * f] *= envelope;
            samples[2 * f + 1] *= envelope;
        }
        const std::string path = files.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 2, kRate));
        auto made = AudioCue::initWithFile(path, device);
        EXPECT_TRUE(made);
        made->audioSource()->useManualBuffers();
        return made;
    }

    void wheel(int deltaY) {
        QWheelEvent event(QPointF(300, 80), view.mapToGlobal(QPointF(300, 80)), QPoint(),
                          QPoint(0, deltaY), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(view.viewport(), &event);
    }

    OfflineHardware hardware;
    std::shared_ptr<KivAudioDevice> device;
    AudioFixtures::TempFolder files;
    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    std::shared_ptr<ManualWaveformExecutor> executor = std::make_shared<ManualWaveformExecutor>();
    AudioWaveformView view{executor, KivAudioBufferWorker::Manual, nullptr};
};

TEST_F(AudioWaveformViewTest, ACueOfAnotherFileFitsTheViewAndGetsItsOverview) {
    view.show();
    auto thirty = cue("thirty.wav", 30.0);
    view.setCue(thirty);
    ASSERT_TRUE(view.waveform());
    EXPECT_EQ(view.pixelsPerSecond(), 600.0 / 30.0);
    EXPECT_EQ(view.editor().rulerSpacing(), 5.0);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    const auto* first = view.waveform().get();
    // The same file keeps its overview and the zoom.
    view.setPixelsPerSecond(40.0);
    view.setCue(thirty);
    EXPECT_EQ(view.waveform().get(), first);
    EXPECT_EQ(view.pixelsPerSecond(), 40.0);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 1200 - 600);
    view.setCue(nullptr);
    EXPECT_FALSE(view.waveform());
    EXPECT_EQ(view.editor().contentWidth(), 0.0f);
}

TEST_F(AudioWaveformViewTest, SelectingAllTakesTheWholeFileAndClearingDropsIt) {
    view.show();
    auto thirty = cue("thirty.wav", 30.0);
    view.setCue(thirty);
    view.setPixelsPerSecond(40.0);
    view.selectAll();
    EXPECT_EQ(view.editor().userSelection().leftPixel(), 0.0f);
    EXPECT_EQ(view.editor().userSelection().rightPixel(), 1200.0f)
        << "the whole file, not just what the view shows";
    view.setStartAndEndFromSelection();
    EXPECT_DOUBLE_EQ(thirty->startTime(), 0.0);
    EXPECT_NEAR(thirty->endTime(), 30.0, 1e-6);
    view.clearSelection();
    EXPECT_EQ(view.editor().userSelection().leftPixel(), -1.0f);
    EXPECT_EQ(view.editor().userSelection().width(), 0.0f);
}

TEST_F(AudioWaveformViewTest, TheWheelZoomsAboutThePlayhead) {
    view.show();
    auto thirty = cue("thirty.wav", 30.0);
    thirty->setStartTime(15.0);
    view.setCue(thirty);
    ASSERT_TRUE(thirty->isLoaded());
    EXPECT_EQ(view.editor().cursorPosition(), 300.0f);
    wheel(120);
    EXPECT_EQ(view.pixelsPerSecond(), 25.0);
    // 15 s stays in the middle of 600 px.
    EXPECT_EQ(view.scrollX(), 15 * 25 - 300);
    EXPECT_EQ(view.editor().cursorPosition(), 375.0f);
    wheel(-120);
    EXPECT_EQ(view.pixelsPerSecond(), 20.0);
}

TEST_F(AudioWaveformViewTest, ClosingTheViewMidPassLeavesThePassNothingToReach) {
    auto waveformView =
        std::make_unique<AudioWaveformView>(executor, KivAudioBufferWorker::Manual, nullptr);
    waveformView->resize(600, 160);
    waveformView->setCue(cue("long.wav", 60.0));
    std::weak_ptr<AudioWaveform> waveform = waveformView->waveform();
    auto& buffer = waveform.lock()->buffer();
    buffer.fillOnce();
    ASSERT_TRUE(executor->runOne()); // the pause before the first pass
    ASSERT_TRUE(executor->runOne()); // a pass: more to come
    EXPECT_GT(waveform.lock()->validPoints(), 0u);
    EXPECT_FALSE(waveform.lock()->isComplete());
    waveformView.reset();
    // The queued redraw and the next pass run with the view gone.
    while (executor->runOne()) {
    }
    EXPECT_TRUE(waveform.expired());
}

TEST_F(AudioWaveformViewTest, GalleryRendersAThirtySecondCue) {
    view.show();
    auto thirty = cue("thirty.wav", 30.0);
    thirty->setEndTime(24.5);
    thirty->setStartTime(3.25);
    view.setCue(thirty);
    executor->computeAll(*view.waveform());
    ASSERT_TRUE(view.waveform()->isComplete());
    // A selection from 9 s to 14 s.
    sendMouse(*view.viewport(), QEvent::MouseButtonPress, QPointF(180, 100));
    sendMouse(*view.viewport(), QEvent::MouseMove, QPointF(280, 100));
    sendMouse(*view.viewport(), QEvent::MouseButtonRelease, QPointF(280, 100));
    EXPECT_EQ(view.editor().userSelection().leftPixel(), 180.0f);
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = renderWidget(view, ratio);
        const QString file =
            QStringLiteral(PONDRA_GALLERY_DIR "/waveform-30s@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(file)) << file.toStdString();
    }
    // Zoomed in about the selection's middle, the ruler's ticks get closer.
    for (int i = 0; i < 6; ++i) {
        wheel(120);
    }
    EXPECT_NEAR(view.scrollX() + 300, 11.5 * view.pixelsPerSecond(), 1.0);
    const QImage zoomed = renderWidget(view, 2.0);
    EXPECT_TRUE(zoomed.save(QStringLiteral(PONDRA_GALLERY_DIR "/waveform-30s-zoomed@2x.png")));
}

} // namespace
