// What a cell shows is what plays: the marks of cues that play, are paused
// or cannot play, read off the screen beside what the recording hears.
#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/CellMarks.h"
#include "support/TextContrast.h"

#include <filesystem>

using CellMarks::Mark;

class CueStates : public EndToEnd {
protected:
    // A window with tones 0 .. count - 1 dropped from cell 0 on, on the keys
    // 1, 2, 3 ...; the warnings button's place is noted while it is hidden.
    TopLevel openShow(int count, double seconds = 8.0) {
        std::vector<std::string> files;
        for (int n = 0; n < count; ++n) {
            files.push_back(tone("tone" + std::to_string(n) + ".wav", n, seconds));
        }
        const TopLevel window = launch();
        place(window);
        noWarnings = x->grab(map->warningButtonArea());
        dropFiles(files, map->cellCentre(0));
        return window;
    }

    void place(const TopLevel& window) {
        map = std::make_unique<WindowMap>(window.frame);
        shown = std::make_unique<WindowMap>(WindowMap::inShowMode(window.frame));
    }
    // In show mode.
    bool shows(int cell, Mark mark) {
        return CellMarks::has(x->grab(shown->cellStatus(cell)), mark);
    }
    bool warningsShown() {
        return CellMarks::changedPixels(noWarnings, x->grab(map->warningButtonArea())) > 100;
    }
    bool sounds(const std::vector<float>& heard, int n, std::size_t fromFrame) const {
        return Tones::onsetPeriod(heard, Tones::frequency(n), kSounding, fromFrame) !=
               std::string::npos;
    }
    // The tone sounds through the last `periods` periods heard, or not at all.
    bool soundsToTheEnd(const std::vector<float>& heard, int n, std::size_t periods) const {
        const std::size_t last = heard.size() / Tones::kPeriod;
        return Tones::periodsSounding(heard, Tones::frequency(n), kSounding, last - periods,
                                      last) == periods;
    }
    bool silentToTheEnd(const std::vector<float>& heard, int n, std::size_t periods) const {
        const std::size_t last = heard.size() / Tones::kPeriod;
        return Tones::periodsSounding(heard, Tones::frequency(n), kSounding, last - periods,
                                      last) == 0;
    }

    static constexpr double kSounding = 0.05;
    std::unique_ptr<WindowMap> map;
    std::unique_ptr<WindowMap> shown;
    QImage noWarnings;
};

TEST_F(CueStates, CuesASoloCueStopsLoseTheirPlayingMarkAtOnce) {
    // Eight cues on 1 2 3 4 Q W E R, the solo one on A.
    const TopLevel window = openShow(9);
    // Solo is the third entry of a cell's menu.
    contextMenuEntry(*map, 8, 2);
    showMode(window);
    record();
    // Which stopped cell kept its mark was a race with the device: a few rounds.
    for (int round = 0; round < 3; ++round) {
        measure(
            [&] {
                for (const char key : {'1', '2', '3', '4', 'q', 'w', 'e', 'r'}) {
                    x->key(key);
                }
                recordFor(0.5);
                for (int cell = 0; cell < 8; ++cell) {
                    EXPECT_TRUE(shows(cell, Mark::Playing))
                        << "round " << round << ", cell " << cell;
                }

                x->key('a');
                x->settle(500ms);
                const std::vector<float> heard = recordFor(0.5);
                for (int cell = 0; cell < 8; ++cell) {
                    EXPECT_TRUE(silentToTheEnd(heard, cell, 40))
                        << "round " << round << ", tone " << cell;
                    EXPECT_FALSE(shows(cell, Mark::Playing))
                        << "round " << round << ", cell " << cell << " looks as if it played";
                }
                EXPECT_TRUE(soundsToTheEnd(heard, 8, 40));
                EXPECT_TRUE(shows(8, Mark::Playing));
                // Its key again stops it for the next round.
                x->key('a');
                x->settle(300ms);
            },
            [&] { stopAllAndWait(window); });
    }
}

TEST_F(CueStates, PauseAllShowsEachPausedCueWithItsMarkAndTimesAndResumeBringsThemBack) {
    const TopLevel window = openShow(2);
    showMode(window);
    const QImage stoppedTimes = x->grab(shown->cellTimes(0));
    record();
    measure(
        [&] {
            x->key('1');
            x->key('2');
            recordFor(1.0);

            x->key('[');
            x->settle(500ms);
            const std::vector<float> heard = recordFor(0.5);
            for (int cell = 0; cell < 2; ++cell) {
                EXPECT_TRUE(silentToTheEnd(heard, cell, 40))
                    << "tone " << cell << " sounds while paused";
                EXPECT_TRUE(shows(cell, Mark::Paused))
                    << "cell " << cell << " shows no paused mark";
                EXPECT_FALSE(shows(cell, Mark::Playing)) << "cell " << cell;
            }
            const QImage pausedTimes = x->grab(shown->cellTimes(0));
            EXPECT_GT(CellMarks::changedPixels(stoppedTimes, pausedTimes), 40) << "no time shown";
            // Held where Resume takes it up.
            std::this_thread::sleep_for(500ms);
            EXPECT_EQ(CellMarks::changedPixels(pausedTimes, x->grab(shown->cellTimes(0))), 0);

            x->key(']');
            x->settle(500ms);
            EXPECT_TRUE(soundsToTheEnd(recordFor(0.5), 0, 40));
            EXPECT_TRUE(shows(0, Mark::Playing));
            EXPECT_TRUE(shows(1, Mark::Playing));
        },
        [&] { stopAllAndWait(window); });
}

TEST_F(CueStates, MediaDeletedWhileTheShowIsOpenAreFoundAtTheTriggerAndAtTheSave) {
    const TopLevel window = openShow(2);
    const std::string package = path("Show.pondra");
    saveAs(window, package);
    ASSERT_TRUE(std::filesystem::remove(package + "/Media/tone0.wav"));
    showMode(window);
    record();

    // Fired, the first is found missing: nothing plays, the cell says so.
    std::size_t pressed = recordedFrames();
    x->key('1');
    x->settle(500ms);
    std::vector<float> heard = recordFor(0.5);
    EXPECT_FALSE(sounds(heard, 0, pressed)) << "a deleted file played";
    EXPECT_TRUE(shows(0, Mark::Broken));
    EXPECT_FALSE(shows(0, Mark::Playing));
    EXPECT_TRUE(warningsShown());

    // The second is found by the save, before anyone fires it.
    ASSERT_TRUE(std::filesystem::remove(package + "/Media/tone1.wav"));
    EXPECT_FALSE(shows(1, Mark::Broken));
    x->focus(window);
    x->key('s', Control);
    x->settle(1000ms);
    EXPECT_TRUE(shows(1, Mark::Broken)) << "the save did not tell of the missing file";
    pressed = recordedFrames();
    x->key('2');
    x->settle(500ms);
    heard = recordFor(0.5);
    EXPECT_FALSE(sounds(heard, 1, pressed));
    EXPECT_FALSE(shows(1, Mark::Playing)) << "a silent cue looks as if it played";
}

TEST_F(CueStates, ACueWhoseMediaAreMissingAtOpenLooksBrokenAndItsKeyPlaysNothing) {
    const TopLevel first = openShow(2);
    const std::string package = path("Show.pondra");
    saveAs(first, package);
    ASSERT_TRUE(quit(first));
    ASSERT_TRUE(std::filesystem::remove(package + "/Media/tone0.wav"));

    const TopLevel window = launch({package});
    place(window);
    // The warnings open by themselves at the first refresh; a click elsewhere
    // closes them.
    if (waitForOtherWindow(5s)) {
        x->click(map->cellName(10));
        x->settle();
    }
    EXPECT_TRUE(warningsShown());
    showMode(window);
    EXPECT_TRUE(shows(0, Mark::Broken));
    EXPECT_FALSE(shows(1, Mark::Broken));
    record();
    const std::size_t pressed = recordedFrames();
    x->key('1');
    x->key('2');
    x->settle(500ms);
    const std::vector<float> heard = recordFor(0.5);
    EXPECT_FALSE(sounds(heard, 0, pressed));
    EXPECT_TRUE(sounds(heard, 1, pressed));
    EXPECT_FALSE(shows(0, Mark::Playing));
    EXPECT_TRUE(shows(0, Mark::Broken));
    EXPECT_TRUE(shows(1, Mark::Playing));
}

TEST_F(CueStates, AFileCutOffAfterItsFirstKilobytesIsRefusedWithTheAlertOfAnUnreadableOne) {
    const std::string cut = tone("cut.flac", 0, 12);
    std::filesystem::resize_file(cut, 3000);
    const TopLevel window = launch();
    const WindowMap here(window.frame);

    dropFiles({cut}, here.cellCentre(0));
    const auto alert = waitForOtherWindow();
    ASSERT_TRUE(alert) << "the cut-off file was taken";
    x->focus(*alert);
    x->key(Keys::Return);
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == alert->id; }, 5s));
    EXPECT_EQ(workspaceWindows().front().title, QStringLiteral("Untitled \u2014 Pondra"));
}

TEST_F(CueStates, TimesRunOnWhileAnAlertIsUp) {
    const TopLevel window = openShow(1, 30.0);
    x->key('1');
    x->settle(500ms);
    // A save into a "folder" that is a file ends in an alert.
    const std::string notAFolder = path("notes.txt");
    AudioFixtures::writeBytes(notAFolder, "not a folder");
    answerSaveAs(window, notAFolder + "/Show.pondra");
    const auto alert = waitForOtherWindow();
    ASSERT_TRUE(alert) << "no alert";

    const QImage before = x->grab(map->cellTimes(0));
    std::this_thread::sleep_for(1000ms);
    EXPECT_GT(CellMarks::changedPixels(before, x->grab(map->cellTimes(0))), 20)
        << "the times stood still under the alert";
    x->focus(*alert);
    x->key(Keys::Return);
}

TEST_F(CueStates, SaveAsShowsTheSavedNameWithoutTheEditedMarkAtOnce) {
    const TopLevel window = openShow(1);
    EXPECT_EQ(workspaceWindows().front().title, QStringLiteral("Untitled* \u2014 Pondra"));
    saveAs(window, path("Show.pondra"));
    EXPECT_TRUE(waitForTitle(QStringLiteral("Show"), 3s))
        << "the title is " << workspaceWindows().front().title.toStdString();
}

TEST_F(CueStates, WithTwoCartsTheCellsOfTheWindowAsItOpensShowTheirTimes) {
    const TopLevel window = launch();
    x->focus(window);
    x->key('t', Control);
    x->settle(500ms);
    // The second cart is shown, under the tab row.
    const WindowMap tabs(window.frame, true);
    dropFiles({tone("tone0.wav", 0, 8.0), tone("tone1.wav", 1, 8.0)}, tabs.cellCentre(0));
    x->settle(500ms);
    for (int cell = 0; cell < 2; ++cell) {
        const TextContrast::Reading times = TextContrast::measurePixels(
            x->grab(tabs.cellTimes(cell)), QRect(0, 0, tabs.cellTimes(cell).width(), 16));
        EXPECT_GT(times.ink, 60) << "cell " << cell << " shows no times";
        EXPECT_GE(times.ratio, 4.5) << "cell " << cell;
    }
    // Played, its times run on.
    x->click(tabs.cellPlayButton(0));
    x->settle(300ms);
    const QImage before = x->grab(tabs.cellTimes(0));
    std::this_thread::sleep_for(700ms);
    EXPECT_GT(CellMarks::changedPixels(before, x->grab(tabs.cellTimes(0))), 20)
        << "the times stood still";
}
