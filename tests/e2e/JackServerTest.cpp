#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "support/CellMarks.h"

#include <signal.h>

#include <iostream>

using JackServer = EndToEnd;

TEST_F(JackServer, AServerKilledWhileACuePlaysIsToldAndTheShowPlaysOnWhenOneIsBack) {
    const std::string file = tone("long.wav", 0, 30);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({file}, map.cellCentre(0));
    selectCell(map, 0);
    record();
    std::size_t pressed = recordedFrames();
    x->key('1');
    std::vector<float> heard = recordFor(0.5);
    ASSERT_NE(Tones::onsetPeriod(heard, Tones::frequency(0), 0.05, pressed), std::string::npos);

    stopRecording();
    jack->kill(SIGKILL);
    const auto alert = waitForOtherWindow(15s);
    ASSERT_TRUE(alert) << "no alert told of the lost server";
    ASSERT_TRUE(program->running()) << output();
    x->focus(*alert);
    x->key(Keys::Return);
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == alert->id; }, 5s));

    // A server under the same name, which the program finds within a
    // second: chosen again, it takes the cue that played on meanwhile.
    ASSERT_TRUE(jack->start());
    std::this_thread::sleep_for(2500ms);
    chooseJackOutput(window);
    record();
    measure([&] {
        heard = recordFor(1.0);
        const std::size_t last = heard.size() / Tones::kPeriod;
        EXPECT_EQ(Tones::periodsSounding(heard, Tones::frequency(0), 0.05, last - 40, last), 40u)
            << "the cue does not play on through the new server";
    });
    EXPECT_TRUE(program->running());
}

TEST_F(JackServer, AServerBackWhileItsAlertIsUpIsTakenBackAtOnceAndTheCueMeanwhileShowsItsTime) {
    const std::string file = tone("long.wav", 0, 30);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    const WindowMap shown = WindowMap::inShowMode(window.frame);
    chooseJackOutput(window);
    dropFiles({file}, map.cellCentre(0));
    showMode(window);
    record();
    const std::size_t pressed = recordedFrames();
    x->key('1');
    const std::vector<float> before = recordFor(0.5);
    ASSERT_NE(Tones::onsetPeriod(before, Tones::frequency(0), 0.05, pressed), std::string::npos);

    recorder.reset();
    jack->kill(SIGKILL);
    const auto alert = waitForOtherWindow(15s);
    ASSERT_TRUE(alert) << "no alert told of the lost server";
    // The cue goes on where the show goes on: its time is no picture of the moment the
    // server went.
    const QImage times = x->grab(shown.cellTimes(0));
    std::this_thread::sleep_for(1500ms);
    EXPECT_GT(CellMarks::changedPixels(times, x->grab(shown.cellTimes(0))), 20)
        << "the playing cue's time stands still";
    EXPECT_TRUE(CellMarks::has(x->grab(shown.cellStatus(0)), CellMarks::Mark::Playing));

    // The server is back under its name, and the alert is left alone.
    const auto restarted = std::chrono::steady_clock::now();
    ASSERT_TRUE(jack->start());
    record();
    const auto back = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - restarted);
    std::cout << "time from the server's return to the program's ports: " << back.count()
              << " ms\n";
    EXPECT_LT(back, 5s) << "the device was not taken back at once";
    const std::vector<float> heard = recordFor(1.0);
    const std::size_t last = heard.size() / Tones::kPeriod;
    EXPECT_EQ(Tones::periodsSounding(heard, Tones::frequency(0), 0.05, last - 40, last), 40u)
        << "the cue does not play on through the server that came back";
    EXPECT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == alert->id; }, 5s))
        << "the alert still says the device has disappeared";
    EXPECT_TRUE(program->running());
}
