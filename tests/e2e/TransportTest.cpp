// The transport as an operator hears it: a hold cue held past the keyboard's
// repeat and let go, Pause All and Resume All over several cues, Stop All,
// the panic's fade, the master volume and its duck, and the cues of one key
// landing together.
#include "e2e/support/EndToEnd.h"
#include "e2e/support/KeyboardRepeat.h"
#include "e2e/support/Ladder.h"
#include "e2e/support/Listening.h"
#include "e2e/support/Tones.h"

#include <cstdio>

using Listening::npos;

namespace {

class Transport : public EndToEnd {
protected:
    // Drops the files on the first cells of a fresh window.
    TopLevel openShow(const std::vector<std::string>& files) {
        const TopLevel window = launch();
        map = std::make_unique<WindowMap>(window.frame);
        dropFiles(files, map->cellCentre(0));
        return window;
    }

    // A ladder written to a file of the case's own.
    std::string ladderFile(const std::string& name, const Ladder& ladder) {
        const std::string file = path(name);
        EXPECT_TRUE(ladder.write(file)) << name;
        return file;
    }

    // Checks that from `from` to `to` the ladder is heard rung after rung as
    // a file played without a break from `onset` on.
    static void expectPlayedOnFrom(const std::vector<float>& heard, const Ladder& ladder,
                                   std::size_t onset, std::size_t from, std::size_t to,
                                   const std::string& what) {
        for (std::size_t at = from; at + Tones::kPeriod <= to; at += Tones::kPeriod) {
            const auto first = static_cast<int>((at - onset) / Ladder::kRungFrames);
            const auto last =
                static_cast<int>((at + Tones::kPeriod - 1 - onset) / Ladder::kRungFrames);
            const int rung = ladder.rungAt(heard, at);
            ASSERT_TRUE(rung == first || rung == last)
                << what << ": " << Listening::seconds(at - onset) << " s in, rung " << rung
                << " is heard where rung " << first << " plays on";
        }
    }

    // From a key's release to the last sound of its hold cue: the X server,
    // the program and a period of the server.
    static constexpr double kReleaseBound = 0.05;
    std::unique_ptr<WindowMap> map;
};

} // namespace

// With the X server's auto-repeat on, a key held past its delay (about
// 0.66 s) comes as a release and a press every 40 ms: none of them may stop
// the cue or start it again.
TEST_F(Transport, AHoldCueSoundsWhileItsKeyIsDownPastTheKeyboardsRepeatAndStopsAtItsRelease) {
    ASSERT_TRUE(KeyboardRepeat::set(display->name(), true)) << "no auto-repeat";
    const Ladder ladder = Ladder::rising(30);
    const TopLevel window = openShow({ladderFile("held.wav", ladder)});
    // Hold is the second entry of a cell's menu.
    contextMenuEntry(*map, 0, 1);
    showMode(window);
    record();
    for (int round = 0; round < 4; ++round) {
        const std::size_t pressed = recordedFrames();
        x->keyDown('1');
        std::this_thread::sleep_for(1600ms);
        const std::size_t released = recordedFrames();
        x->keyUp('1');
        const std::vector<float> heard = recordFor(0.5);
        const std::size_t onset = Listening::firstSound(heard, pressed);
        ASSERT_NE(onset, npos) << "round " << round << ": the held key's cue never sounded";
        expectPlayedOnFrom(heard, ladder, onset, onset + Tones::kPeriod, released,
                           "round " + std::to_string(round) + ", key held");
        const std::size_t last = Listening::lastSound(heard, onset);
        std::printf("round %d: sounded %.3f s, stopped %.1f ms after the release\n", round,
                    Listening::seconds(last - onset),
                    1000.0 * (static_cast<double>(last) - static_cast<double>(released)) /
                        Tones::kRate);
        EXPECT_LT(last, released + Listening::frames(kReleaseBound))
            << "round " << round << ": the cue sounds on after its key was let go";
    }
}
