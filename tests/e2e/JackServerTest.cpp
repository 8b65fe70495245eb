#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"

#include <signal.h>

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
