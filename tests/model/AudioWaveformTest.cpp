#include "model/AudioWaveform.h"

#include "model/AudioWaveformSelection.h"
#include "model/ManualWaveformExecutor.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <functional>
#include <vector>

// Overviews over float WAV files, their passes and fill steps run by hand.
namespace {

constexpr int kRate = 44100;

class AudioWaveformTest : public ::testing::Test {
protected:
    ~AudioWaveformTest() override { _executor->discardPending(); }

    // A stereo file of `frames` frames whose sample at frame f is value(f).
    std::shared_ptr<KivAlias> file(const std::string& name, std::size_t frames,
                                   const std::function<float(std::size_t)>& value) {
        std::vector<float> samples(frames * 2);
        for (std::size_t f = 0; f < frames; ++f) {
            samples[2 * f] = value(f);
            samples[2 * f + 1] = value(f);
        }
        const std::string path = _folder.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 2, kRate));
        return KivAlias::aliasWithPath(path);
    }
    std::shared_ptr<KivAlias> constant(const std::string& name, double seconds, float value) {
        return file(name, std::size_t(seconds * kRate), [value](std::size_t) { return value; });
    }
    std::shared_ptr<AudioWaveform> overview(std::shared_ptr<KivAlias> alias) {
        return AudioWaveform::create(
            std::move(alias), AudioWaveform::kEditorFramesPerPoint, _executor,
            [this] { ++_redraws; }, KivAudioBufferWorker::Manual);
    }

    AudioFixtures::TempFolder _folder;
    std::shared_ptr<ManualWaveformExecutor> _executor = std::make_shared<ManualWaveformExecutor>();
    int _redraws = 0;
};

TEST_F(AudioWaveformTest, ShortFilesGetAPointPerFrameLongerOnesTheEditorsDensity) {
    auto shortFile = overview(constant("short.wav", 5.0, 0.5f));
    auto longFile = overview(constant("long.wav", 60.0, 0.5f));
    ASSERT_TRUE(shortFile && longFile);
    EXPECT_EQ(shortFile->totalPoints(), 220500u);
    EXPECT_EQ(shortFile->framesPerPoint(), 1.0);
    EXPECT_EQ(longFile->totalPoints(), 264600u);
    EXPECT_EQ(longFile->framesPerPoint(), 10.0);
    _executor->computeAll(*shortFile);
    _executor->computeAll(*longFile);
    EXPECT_EQ(shortFile->validPoints(), 220500u);
    EXPECT_EQ(longFile->validPoints(), 264600u);
    EXPECT_GT(_redraws, 0);
}

TEST_F(AudioWaveformTest, PointsHoldEachSpanPeaksAndTheQueriesClampOnlyTheMax) {
    auto silence = overview(constant("silence.wav", 1.0, 0.0f));
    auto half = overview(constant("half.wav", 1.0, 0.5f));
    auto loud = overview(file("loud.wav", kRate, [](std::size_t f) {
        return f == 100 ? 1.3f : (f == 200 ? -1.3f : 0.0f);
    }));
    for (auto* waveform : {silence.get(), half.get(), loud.get()}) {
        ASSERT_NE(waveform, nullptr);
        _executor->computeAll(*waveform);
        ASSERT_EQ(waveform->validPoints(), waveform->totalPoints());
    }
    for (std::uint32_t i : {0u, 5000u, 44099u}) {
        EXPECT_EQ(silence->pointMax(i), 0.0f);
        EXPECT_EQ(silence->pointMin(i), 0.0f);
        EXPECT_EQ(half->pointMax(i), 0.5f);
        EXPECT_EQ(half->pointMin(i), 0.5f);
    }
    EXPECT_EQ(silence->maxValueBetween(0.0, 1.0), 0.0f);
    EXPECT_EQ(half->maxValueBetween(0.0, 1.0), 0.5f);
    EXPECT_EQ(loud->pointMax(100), 1.3f);
    EXPECT_EQ(loud->maxValueBetween(0.0, 1.0), 1.0f);
    EXPECT_EQ(loud->minValueBetween(0.0, 1.0), -1.3f);
    EXPECT_EQ(loud->maxValueBetween(0.5, 0.5), 0.0f);
}

TEST_F(AudioWaveformTest, SpansWithoutComputedPointsGiveZeroAndPartlyComputedOnesTheirPart) {
    auto waveform = overview(
        file("steps.wav", 5 * kRate, [](std::size_t f) { return f < 20000 ? 0.25f : 0.75f; }));
    ASSERT_NE(waveform, nullptr);
    EXPECT_EQ(waveform->maxValueBetween(0.0, 5.0), 0.0f);
    EXPECT_EQ(waveform->minValueBetween(0.0, 5.0), 0.0f);
    // The head alone: one pass computes its 8192 points, then waits for more.
    waveform->buffer().fillOnce();
    ASSERT_TRUE(_executor->runOne());
    ASSERT_TRUE(_executor->runOne());
    EXPECT_EQ(waveform->validPoints(), KivAudioBuffer::kHeadFrames);
    EXPECT_EQ(waveform->maxValueBetween(0.0, 5.0), 0.25f);
    EXPECT_EQ(waveform->maxValueBetween(1.0, 5.0), 0.0f);
}

TEST_F(AudioWaveformTest, TheTailShorterThanAPointIsComputedAndThePassesEnd) {
    // 10 s and 5 frames: the last point holds five frames, the last of them loud.
    const std::size_t frames = 10 * kRate + 5;
    auto waveform = overview(file(
        "tail.wav", frames, [frames](std::size_t f) { return f + 1 == frames ? 0.9f : 0.1f; }));
    ASSERT_NE(waveform, nullptr);
    EXPECT_EQ(waveform->totalPoints(), 44101u);
    _executor->computeAll(*waveform);
    EXPECT_TRUE(waveform->isComplete());
    EXPECT_EQ(waveform->validPoints(), 44101u);
    EXPECT_EQ(waveform->pointMax(44100), 0.9f);
    EXPECT_EQ(waveform->pointMin(44100), 0.1f);
    // Nothing polls on: the last redraw was the last work.
    while (_executor->runOne()) {
    }
    EXPECT_EQ(_executor->pending(), 0u);
}

TEST_F(AudioWaveformTest, ASpanNarrowerThanAPointTakesThePointItLiesIn) {
    auto waveform = overview(constant("zoomed.wav", 12.0, 0.5f));
    ASSERT_NE(waveform, nullptr);
    _executor->computeAll(*waveform);
    // One pixel at 5000 px/s is under one point of ten frames.
    for (double x = 5000.0; x < 5010.0; x += 1.0) {
        EXPECT_EQ(waveform->maxValueBetween(x / 5000.0, (x + 1.0) / 5000.0), 0.5f) << x;
    }
}

TEST_F(AudioWaveformTest, ANotLiveOverviewComputesAndRedrawsNoMore) {
    auto waveform = overview(constant("stopped.wav", 5.0, 0.5f));
    ASSERT_NE(waveform, nullptr);
    waveform->setLive(false);
    _executor->computeAll(*waveform);
    EXPECT_EQ(waveform->validPoints(), 0u);
    EXPECT_EQ(_redraws, 0);
    EXPECT_EQ(_executor->pending(), 0u);
}

TEST_F(AudioWaveformTest, AFileThatDoesNotOpenIsLogged) {
    AudioFixtures::writeBytes(_folder.path("none.wav"), "not audio");
    CapturingLogSink log;
    EXPECT_EQ(overview(KivAlias::aliasWithPath(_folder.path("none.wav"))), nullptr);
    EXPECT_EQ(log.lines().back(), "Error: AudioWaveform unable to create buffer with file: " +
                                      _folder.path("none.wav"));
}

TEST(AudioWaveformSelectionTest, EdgesAreOrderedAndScaleWithTheZoom) {
    AudioWaveformSelection selection;
    EXPECT_EQ(selection.leftPixel(), 0.0f);
    EXPECT_EQ(selection.rightPixel(), 0.0f);
    selection.updateWithPixels(30.0f, 10.0f);
    EXPECT_EQ(selection.leftPixel(), 10.0f);
    EXPECT_EQ(selection.rightPixel(), 30.0f);
    selection.updateWithFactor(2.0f);
    EXPECT_EQ(selection.leftPixel(), 20.0f);
    EXPECT_EQ(selection.rightPixel(), 60.0f);
    EXPECT_EQ(selection.width(), 40.0f);
}

} // namespace
