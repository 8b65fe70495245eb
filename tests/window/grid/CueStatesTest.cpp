// What a cell shows is what plays: a cell draws its cue's state as the model
// knows it on the GUI thread (playing, paused, stopped, fading, broken),
// whatever the render thread has or has not done yet.
#include "KivUI/PixelProbe.h"
#include "KivUI/controls/PondraProgressView.h"
#include "support/CellMarks.h"
#include "window/WindowFixture.h"
#include "window/grid/PondraButton.h"
#include "window/sheets/ImportProgressSheet.h"
#include "window/warnings/BrokenCueController.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

using CellMarks::Mark;

class CueStates : public WindowFixture {
protected:
    // The status corner of a cell in show mode, where a cue's mark sits.
    bool shows(std::size_t slot, Mark mark) {
        return CellMarks::has(cell(slot).grab().toImage(), mark, QRect(40, 10, 26, 26));
    }
    // The band of a cell's times, just above its progress bar.
    QImage times(std::size_t slot) {
        const QImage image = cell(slot).grab().toImage();
        return image.copy(10, image.height() - 40, image.width() - 20, 17);
    }
    std::size_t warnings() {
        controller->brokenCueController().reloadDataNow();
        return controller->brokenCueController().brokenOrFlaggedCues().size();
    }
    // A file that no reader takes.
    std::string junk(const std::string& name) {
        const std::string path = files.path(name);
        std::ofstream(path) << "RIFF not really a wave file at all";
        return path;
    }
    // A cue placed as a document that lost its media places it: not tended
    // by hand, since it has nothing to read.
    std::shared_ptr<AudioCue> placeBroken(const std::string& path, std::size_t slot,
                                          const std::string& hotkey) {
        auto cue = AudioCue::initWithFile(path, device);
        cue->setHotkey(hotkey);
        grid().addCue(cue, slot);
        return cue;
    }
    // A letter's key pressed and let go.
    void fire(char letter) {
        const QString text(QLatin1Char{letter});
        press(Qt::Key_A + (letter - 'a'), text);
        release(Qt::Key_A + (letter - 'a'), text);
    }
};

TEST_F(CueStates, CuesThatASoloCueStopsLoseTheirMarkBeforeTheDeviceHasRunTheStop) {
    openWindow();
    auto first = placeCue(wav("first.wav", 0.25f, 3.0), 0, "A");
    auto second = placeCue(wav("second.wav", 0.25f, 3.0), 1, "B");
    auto solo = placeCue(wav("solo.wav", 0.25f, 3.0), 2, "C");
    solo->setSolo(true);
    controller->setShowMode();
    fire('a');
    fire('b');
    render(2);
    ASSERT_TRUE(shows(0, Mark::Playing));
    ASSERT_TRUE(shows(1, Mark::Playing));

    // The stops wait for the device's next cycle; the cells do not.
    fire('c');
    EXPECT_FALSE(shows(0, Mark::Playing));
    EXPECT_FALSE(shows(1, Mark::Playing));
    EXPECT_TRUE(shows(2, Mark::Playing));
    render(2);
    EXPECT_FALSE(first->isPlaying());
    EXPECT_FALSE(second->isPlaying());
    EXPECT_FALSE(shows(0, Mark::Playing));
}

TEST_F(CueStates, APausedCueShowsThePausedMarkItsTimesAndItsProgress) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f, 4.0), 0, "A");
    controller->setShowMode();
    const QImage stopped = times(0);
    fire('a');
    // One second of sound, then the progress timer.
    render(750);
    scheduler.advance(0.1);
    ASSERT_TRUE(shows(0, Mark::Playing));

    controller->pauseAll();
    render(2);
    EXPECT_TRUE(shows(0, Mark::Paused));
    EXPECT_FALSE(shows(0, Mark::Playing));
    EXPECT_GT(CellMarks::changedPixels(stopped, times(0)), 40) << "no times shown";
    EXPECT_EQ(cell(0).remainingText(), QStringLiteral("-00:03.00"));
    EXPECT_TRUE(cell(0).progressView()->isVisible());
    EXPECT_TRUE(cell(0).progressView()->isPaused());
    EXPECT_NEAR(cell(0).progressView()->progress(), 0.25, 0.01);

    controller->resumeAll();
    render(2);
    EXPECT_TRUE(shows(0, Mark::Playing));
    EXPECT_FALSE(cell(0).progressView()->isPaused());
    cue->stop();
    EXPECT_FALSE(shows(0, Mark::Paused));
    EXPECT_EQ(CellMarks::changedPixels(stopped, times(0)), 0) << "a stopped cue shows times";
}

TEST_F(CueStates, MediaDeletedWhileTheShowIsOpenAreFoundAtTheTriggerAndAtTheSave) {
    openWindow();
    const std::string firstFile = wav("first.wav", 0.25f, 2.0);
    const std::string secondFile = wav("second.wav", 0.25f, 2.0);
    auto first = placeCue(firstFile, 0, "A");
    auto second = placeCue(secondFile, 1, "B");
    controller->setShowMode();
    ASSERT_EQ(warnings(), 0u);

    // Its file is still open for reading; fired, it is found gone all the same.
    std::filesystem::remove(firstFile);
    fire('a');
    const std::size_t cycle = render(2);
    EXPECT_TRUE(silentFrom(cycle));
    EXPECT_FALSE(first->isPlaying());
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(shows(0, Mark::Broken));
    EXPECT_EQ(warnings(), 1u);

    // A save finds the second without a trigger.
    std::filesystem::remove(secondFile);
    KivError error;
    ASSERT_TRUE(workspace->contentsForSaving(error)) << error.description;
    workspace->didSave(true);
    EXPECT_TRUE(shows(1, Mark::Broken));
    EXPECT_EQ(warnings(), 2u);
    fire('b');
    EXPECT_TRUE(silentFrom(render(2)));
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_FALSE(shows(1, Mark::Playing));
}

TEST_F(CueStates, ABrokenOrMissingCueLooksBrokenInBothModesAndItsTriggerOnlyBeeps) {
    openWindow();
    placeBroken(files.path("gone.wav"), 0, "A");
    placeBroken(junk("junk.wav"), 1, "B");
    placeCue(wav("good.wav", 0.25f), 2, "C");

    // Edit mode: the mark takes the play button's place.
    for (std::size_t slot : {0u, 1u}) {
        EXPECT_FALSE(cell(slot).playButton()->isVisible()) << slot;
        EXPECT_FALSE(cell(slot).progressView()->isVisible()) << slot;
        EXPECT_TRUE(
            CellMarks::has(cell(slot).grab().toImage(), Mark::Broken, QRect(10, 10, 26, 26)))
            << slot;
    }
    EXPECT_TRUE(cell(2).playButton()->isVisible());

    controller->setShowMode();
    EXPECT_TRUE(shows(0, Mark::Broken));
    EXPECT_TRUE(shows(1, Mark::Broken));
    EXPECT_FALSE(shows(2, Mark::Broken));
    // Missing and unreadable are told apart.
    const QRect corner(40, 10, 26, 26);
    EXPECT_GT(CellMarks::changedPixels(cell(0).grab().toImage().copy(corner),
                                       cell(1).grab().toImage().copy(corner)),
              40);

    fire('a');
    fire('b');
    EXPECT_TRUE(silentFrom(render(2)));
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_FALSE(shows(0, Mark::Playing));
    EXPECT_FALSE(shows(1, Mark::Playing));
    EXPECT_TRUE(shows(0, Mark::Broken));
    EXPECT_EQ(warnings(), 2u);
}

TEST_F(CueStates, FilesCutOffAfterTheirFirstKilobytesAreRefusedLikeUnreadableOnes) {
    openWindow();
    // Noise: the cut falls inside the first block of frames. A quiet sine:
    // the first block is whole and the cut comes after it.
    std::mt19937 random(34);
    std::uniform_real_distribution<float> level(-0.5f, 0.5f);
    std::vector<float> noise(12 * kRate);
    std::vector<float> sine(12 * kRate);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = level(random);
        sine[i] = 0.25f * static_cast<float>(std::sin(2 * M_PI * 750.0 * i / kRate));
    }
    std::vector<std::string> cut;
    for (const auto& [name, samples] : {std::pair{"noise.flac", &noise}, {"sine.flac", &sine}}) {
        cut.push_back(files.path(name));
        ASSERT_TRUE(AudioFixtures::writeSndfile(cut.back(), SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                                                *samples, 1, kRate));
        std::filesystem::resize_file(cut.back(), 3000);
    }

    for (const std::string& file : cut) {
        dropFiles({file}, 0);
    }
    EXPECT_EQ(cart().count(), 0u);
    ASSERT_EQ(prompts.sheets.size(), 2u);
    EXPECT_TRUE(prompts.sheets[0].informativeText.contains(QStringLiteral("noise.flac")));
    EXPECT_TRUE(prompts.sheets[1].informativeText.contains(QStringLiteral("sine.flac")));
    EXPECT_FALSE(controller->window()->importProgress()->isVisible());
}
