// The transport as an operator hears it: a hold cue held past the keyboard's
// repeat and let go, Pause All and Resume All over several cues, Stop All,
// the panic's fade, the master volume and its duck, and the cues of one key
// landing together.
#include "e2e/support/HeardCase.h"
#include "e2e/support/KeyboardRepeat.h"
#include "e2e/support/Ladder.h"
#include "e2e/support/Listening.h"
#include "e2e/support/SheetMap.h"
#include "e2e/support/Tones.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

using Listening::npos;

namespace {

class Transport : public HeardCase {
protected:
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

    // Checks that from `from` to `to` the ladder, wherever it sounds, is
    // heard rung after rung as a file played on through every silence.
    static void expectPlayedOnThroughPauses(const std::vector<float>& heard, const Ladder& ladder,
                                            std::size_t from, std::size_t to,
                                            const std::string& what) {
        constexpr std::size_t period = Tones::kPeriod;
        std::size_t sounded = 0;
        for (std::size_t at = from / period * period; at + period <= to; at += period) {
            // Above what a neighbour's change of rung spills into its bin.
            const int rung = ladder.rungAt(heard, at, Tones::kPeriod, 0.4 * ladder.amplitude());
            if (rung < 0) {
                continue;
            }
            // Where in its file this period lies, give or take the periods
            // a pause and a resume fade through.
            const std::size_t position = sounded++ * period;
            const auto earliest = static_cast<int>(
                (position > 2 * period ? position - 2 * period : 0) / Ladder::kRungFrames);
            const auto latest = static_cast<int>((position + 3 * period) / Ladder::kRungFrames);
            ASSERT_TRUE(rung >= earliest && rung <= latest)
                << what << ": rung " << rung << " is heard " << Listening::seconds(position)
                << " s into what it played, where rung " << position / Ladder::kRungFrames
                << " plays";
        }
        EXPECT_GT(sounded, 0u) << what << " never sounded";
    }

    // Whether no rung of the ladder sounds in [from, to).
    static bool silentBetween(const std::vector<float>& heard, const Ladder& ladder,
                              std::size_t from, std::size_t to) {
        for (std::size_t at = from; at + Tones::kPeriod <= to; at += Tones::kPeriod) {
            if (ladder.rungAt(heard, at) >= 0) {
                return false;
            }
        }
        return true;
    }

    // Two ladders whose bins interleave, so each is heard apart from the
    // other, on the keys 1 and 2, in show mode, recorded.
    void openTwoLaddersInShowMode() {
        showMode(openShow({ladderFile("first.wav", first), ladderFile("second.wav", second)}));
        record();
    }
    const Ladder first = Ladder::rising(30, 4);
    const Ladder second = Ladder::rising(30, 6);

    // From a key's release to the last sound of its hold cue: the X server,
    // the program and a period of the server.
    static constexpr double kReleaseBound = 0.05;
    // From Stop All's keys to silence.
    static constexpr double kStopBound = 0.05;
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
    // A round spoiled by a cycle the server ran late is held again.
    const auto again = [&] { stopAllAndWait(window); };
    for (int round = 0; round < 4; ++round) {
        measure(
            [&] {
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
            },
            again);
    }
}

// Two cues, the second started 0.45 s after the first, paused together and
// resumed together: each goes on rung after rung from where it stopped, as
// if the pause had not been.
TEST_F(Transport, PauseAllAndResumeAllTakeEachCueUpWhereItPaused) {
    openTwoLaddersInShowMode();
    const std::size_t started = recordedFrames();
    x->key('1');
    recordFor(0.45);
    x->key('2');
    recordFor(0.6);
    const std::size_t paused = recordedFrames();
    x->key('[');
    recordFor(0.6);
    const std::size_t resumed = recordedFrames();
    x->key(']');
    const std::vector<float> heard = recordFor(1.0);

    for (const Ladder* ladder : {&first, &second}) {
        const std::string which = ladder == &first ? "the first cue" : "the second cue";
        ASSERT_TRUE(silentBetween(heard, *ladder, paused + Listening::frames(0.1), resumed))
            << which << " sounds while paused";
        expectPlayedOnThroughPauses(heard, *ladder, started, heard.size(), which);
    }
}

TEST_F(Transport, StopAllSilencesEveryCueAndEachStartsAgainFromItsTop) {
    openTwoLaddersInShowMode();
    x->key('1');
    x->key('2');
    recordFor(0.7);
    const std::size_t stopped = recordedFrames();
    x->key('.', Control);
    std::vector<float> heard = recordFor(0.5);
    EXPECT_TRUE(Listening::silent(heard, stopped + Listening::frames(kStopBound), heard.size()))
        << "Stop All left sound playing";

    for (const auto& [key, ladder] : {std::pair{'1', &first}, std::pair{'2', &second}}) {
        const std::size_t onset = fire(static_cast<unsigned char>(key), 0.4, heard);
        ASSERT_NE(onset, npos) << "key " << key << " plays nothing after Stop All";
        EXPECT_EQ(ladder->rungAt(heard, onset + Tones::kPeriod), 0)
            << "key " << key << "'s cue goes on from where it was stopped";
        x->key(static_cast<unsigned char>(key));
        recordFor(0.2);
    }
}

// A panic fades every cue along a raised cosine, slow at both ends, over
// the duration set in the workspace's settings, then stops it.
TEST_F(Transport, APanicFadesEveryCueOverTheDurationOfTheSettingsAlongItsCurve) {
    constexpr double kDuration = 1.5;
    const TopLevel window = openShow({tone("first.wav", 0, 20.0), tone("second.wav", 1, 20.0)});
    const auto sheet = editSheet(window, 's');
    ASSERT_TRUE(sheet) << "no settings sheet";
    const SheetMap::Settings settings{sheet->frame};
    retype(settings.panicDurationField(), "1.5");
    x->click(settings.doneButton());
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == sheet->id; }, 5s));
    showMode(window);
    record();
    x->key('1');
    x->key('2');
    recordFor(0.6);
    const std::size_t pressed = recordedFrames();
    x->key(Keys::Escape);
    const std::vector<float> heard = recordFor(kDuration + 0.6);

    for (int n = 0; n < 2; ++n) {
        const double frequency = Tones::frequency(n);
        const double full =
            Tones::amplitude(heard, pressed - 4 * Tones::kPeriod, 4 * Tones::kPeriod, frequency);
        ASSERT_NEAR(full, kFull, 0.02) << "tone " << n << " was not playing";
        // The middle of the fade, where the curve is at half, places it.
        const std::size_t half = Listening::fallsBelow(heard, frequency, full / 2, pressed, 128);
        ASSERT_NE(half, npos) << "tone " << n << " never faded";
        const double start = Listening::seconds(half + 64) - kDuration / 2;
        const double after = start - Listening::seconds(pressed);
        std::printf("tone %d: the fade starts %.1f ms after Escape\n", n, 1000 * after);
        EXPECT_GE(after, -0.02) << "tone " << n << " faded before the panic";
        EXPECT_LE(after, 0.1) << "tone " << n << "'s fade is not " << kDuration << " s long";
        for (const double part : {0.125, 0.25, 0.375, 0.625, 0.75, 0.875}) {
            const std::size_t at = Listening::frames(start + part * kDuration) - 64;
            const double heardPart = Tones::amplitude(heard, at, 128, frequency) / full;
            const double curve = 0.5 + 0.5 * std::cos(std::numbers::pi * part);
            EXPECT_NEAR(heardPart, curve, 0.04)
                << "tone " << n << " at " << part << " of the fade is not on its curve";
        }
        const std::size_t end = Listening::frames(start + kDuration + 0.03);
        EXPECT_TRUE(Listening::silent(heard, end, heard.size()))
            << "tone " << n << " sounds on after the fade";
    }
}

// The master slider's gain and the duck's (0.15 by default), each reached
// over the duck's 0.8 s fade, on every cue.
TEST_F(Transport, TheMasterVolumeAndItsDuckAreHeardOnEveryCue) {
    const TopLevel window = openShow({tone("first.wav", 0, 30.0), tone("second.wav", 1, 30.0)});
    showMode(window);
    record();
    x->key('1');
    x->key('2');
    recordFor(0.3);
    const auto expectLevel = [&](double gain, const std::string& what) {
        const std::vector<float> heard = recordFor(0.3);
        for (int n = 0; n < 2; ++n) {
            const double level = Listening::levelDb(heard, Tones::frequency(n),
                                                    heard.size() - Listening::frames(0.2),
                                                    Listening::frames(0.2), kFull);
            std::printf("%s, tone %d: %+.2f dB, set %+.2f dB\n", what.c_str(), n, level,
                        Listening::decibels(gain, 1.0));
            EXPECT_NEAR(level, Listening::decibels(gain, 1.0), 0.5) << what << ", tone " << n;
        }
    };
    expectLevel(1.0, "at first");
    const auto half = masterVolume(window, 0.5);
    ASSERT_TRUE(half) << "no master volume slider";
    x->click(*half);
    expectLevel(0.5, "the master at half");
    // The duck master key.
    x->focus(window);
    x->key(',');
    recordFor(1.0);
    expectLevel(0.15, "ducked");
    x->key(',');
    recordFor(1.0);
    expectLevel(0.5, "back from the duck");
}

// Without one synchronised batch, the cues of a key start one by one and
// now and then a cycle of the server falls between two of them.
TEST_F(Transport, EveryCueOfOneKeyStartsInTheSamePeriodPressAfterPress) {
    // A full cart on the key, pressed often: such a cycle is rare, and the
    // case must all but surely hear one.
    constexpr int kCues = 16;
    std::vector<std::string> files;
    for (int n = 0; n < kCues; ++n) {
        // Soft, so that all of them add up below full scale.
        files.push_back(ladderFile("tone" + std::to_string(n) + ".wav",
                                   Ladder(std::vector<int>(40, 4 * (n + 1)), 0.05f)));
    }
    const TopLevel window = openShow(files);
    for (int cell = 1; cell < kCues; ++cell) {
        setHotKey(*map, cell, '1');
    }
    showMode(window);
    record();
    for (int press = 0; press < 60; ++press) {
        std::vector<float> heard;
        const std::size_t onset = fire('1', 0.3, heard);
        ASSERT_NE(onset, npos) << "press " << press << " played nothing";
        for (int n = 0; n < kCues; ++n) {
            EXPECT_EQ(Tones::onsetPeriod(heard, Tones::frequency(n), 0.02, onset - Tones::kPeriod),
                      onset / Tones::kPeriod)
                << "press " << press << ": the cue of tone " << n << " started apart";
        }
        x->key('1');
        recordFor(0.2);
    }
}
