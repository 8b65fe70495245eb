// What a cue's own fields do to its sound, as the recording hears it: the
// volume set on its slider, the start and end typed into the inspector, a
// loop's passes and seams, and each of the formats a drop takes played at
// its level.
#include "e2e/support/HeardCase.h"
#include "e2e/support/Ladder.h"
#include "e2e/support/Listening.h"
#include "e2e/support/Tones.h"

#include <cmath>
#include <cstdio>

using Listening::npos;

namespace {

class Playback : public HeardCase {
protected:
    static constexpr double kWithinDb = 0.5;
};

} // namespace

TEST_F(Playback, ACuesVolumeSetOnItsSliderIsHeardAtThatGain) {
    openShow({tone("tone.wav", 0, 30.0)});
    record();
    for (const double gain : {0.25, 0.7}) {
        selectCell(*map, 0);
        x->click(map->volume(gain));
        selectCell(*map, 0);
        std::vector<float> heard;
        const std::size_t onset = fire('1', 1.0, heard);
        ASSERT_NE(onset, npos) << "the cue never sounded";
        const double level =
            Listening::levelDb(heard, Tones::frequency(0), onset + Listening::frames(0.2),
                               Listening::frames(0.6), kFull);
        std::printf("volume %.2f: heard %+.2f dB, set %+.2f dB\n", gain, level,
                    Listening::decibels(gain, 1.0));
        EXPECT_NEAR(level, Listening::decibels(gain, 1.0), kWithinDb)
            << "the cue set to " << gain << " is not heard at that gain";
        x->key('1');
        recordFor(0.3);
    }
}

// A file of rungs 0.1 s long: the first sound is rung 10 a tenth of a second
// before the next, the last is rung 24 a tenth of a second after its own start.
TEST_F(Playback, ACueIsHeardFromItsStartTimeToItsEndTimeWithinAPeriod) {
    const Ladder ladder = Ladder::rising(30);
    openShow({ladderFile("ladder.wav", ladder)});
    selectCell(*map, 0);
    editText(map->startField(), "00:01.000");
    editText(map->endField(), "00:02.500");
    selectCell(*map, 0);
    record();
    std::vector<float> heard;
    const std::size_t onset = fire('1', 2.5, heard);
    ASSERT_NE(onset, npos) << "the cue never sounded";
    const int first = ladder.rungAt(heard, onset + Tones::kPeriod);
    ASSERT_EQ(first, 10) << "the cue does not start at 1 s in its file";
    const std::size_t last = Listening::lastSound(heard, onset);
    ASSERT_LT(last + Listening::frames(0.3), heard.size()) << "the cue sounds past its end";

    const std::size_t eleven = ladder.boundary(heard, 10, onset, last);
    ASSERT_NE(eleven, npos) << "rung 10 never gave way to rung 11";
    const double start = 1.1 - Listening::seconds(eleven - onset);
    std::printf("heard from %.4f s to ", start);
    EXPECT_NEAR(start, 1.0, Listening::seconds(Tones::kPeriod)) << "the first sound is not at 1 s";

    const int final = ladder.rungAt(heard, last + 1 - 2 * Tones::kPeriod);
    ASSERT_EQ(final, 24) << "the cue does not end at 2.5 s in its file";
    const std::size_t twentyFour = ladder.boundary(heard, 23, last - Listening::frames(0.3), last);
    ASSERT_NE(twentyFour, npos) << "rung 23 never gave way to rung 24";
    const double end = 2.4 + Listening::seconds(last + 1 - twentyFour);
    std::printf("%.4f s of the file\n", end);
    EXPECT_NEAR(end, 2.5, Listening::seconds(Tones::kPeriod)) << "the last sound is not at 2.5 s";
    EXPECT_NEAR(Listening::seconds(last + 1 - onset), 1.5, Listening::seconds(Tones::kPeriod));
}

// A second of rungs that starts and ends low, so that a seam that jumps
// steps further than the sine's own steps there; each rung is whole cycles,
// so the file joins its own start without a jump.
TEST_F(Playback, ALoopingCuePlaysPassAfterPassWithoutAGapOrAStepAtItsSeams) {
    const Ladder ladder({4, 12, 20, 28, 36, 40, 32, 24, 16, 8});
    openShow({ladderFile("loop.wav", ladder)});
    selectCell(*map, 0);
    x->click(map->loopCheckBox());
    selectCell(*map, 0);
    record();
    std::vector<float> heard;
    const std::size_t onset = fire('1', 3.6, heard);
    ASSERT_NE(onset, npos) << "the cue never sounded";
    const std::size_t stopped = heard.size();
    x->key('1');
    heard = recordFor(0.3);
    const std::size_t perPass = Listening::frames(ladder.seconds());
    const std::size_t passes = (stopped - onset) / perPass;
    ASSERT_GE(passes, 3u);

    for (std::size_t pass = 0; pass < passes; ++pass) {
        for (int rung = 0; rung < ladder.rungs(); ++rung) {
            const std::size_t middle = onset + pass * perPass + rung * Ladder::kRungFrames +
                                       Ladder::kRungFrames / 2 - Tones::kPeriod / 2;
            ASSERT_EQ(ladder.rungAt(heard, middle), rung)
                << "pass " << pass + 1 << " of " << passes << ": rung " << rung << " is not heard";
        }
        if (pass == 0) {
            continue;
        }
        const std::size_t seam = onset + pass * perPass;
        // The last rung's own steps, then the seam's.
        const float own = Listening::largestStep(heard, seam - 2000, seam - 100);
        const float step = Listening::largestStep(heard, seam - 100, seam + 100);
        std::printf("seam %zu: step %.4f, the sine's own %.4f\n", pass, step, own);
        EXPECT_LE(step, own * 1.05f + Listening::kSilence)
            << "the seam of pass " << pass << " steps";
        for (std::size_t at = seam - 2 * Tones::kPeriod; at < seam + 2 * Tones::kPeriod;
             at += Tones::kPeriod / 4) {
            const int rung = at + Tones::kPeriod <= seam ? ladder.rungs() - 1 : at >= seam ? 0 : -2;
            if (rung >= 0) {
                EXPECT_NEAR(Tones::amplitude(heard, at, Tones::kPeriod, ladder.frequency(rung)),
                            kFull, 0.02)
                    << "a gap at the seam of pass " << pass;
            }
        }
    }
}

TEST_F(Playback, EachOfTheSixFormatsADropTakesPlaysAtItsOwnLevel) {
    const std::vector<std::string> formats{"wav", "aiff", "flac", "ogg", "mp3", "m4a"};
    std::vector<std::string> files;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        files.push_back(
            tone("tone" + std::to_string(i) + "." + formats[i], static_cast<int>(i), 4));
    }
    const TopLevel window = openShow(files);
    EXPECT_TRUE(otherWindows().empty()) << "an alert came up";
    showMode(window);
    record();
    // Every other cue by its default key (the first six cells of a
    // four-column cart), the others by a click on its cell.
    const std::string keys = "1234qw";
    const WindowMap shown = WindowMap::inShowMode(window.frame);
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const auto trigger = [&] {
            if (i % 2 == 0) {
                x->key(static_cast<unsigned char>(keys[i]));
            } else {
                x->click(shown.cellCentre(static_cast<int>(i)));
            }
        };
        std::vector<float> heard;
        const std::size_t onset = fire(trigger, 1.2, heard);
        ASSERT_NE(onset, npos) << formats[i] << " never sounded";
        const std::size_t from = onset + Listening::frames(0.3);
        const std::size_t count = Listening::frames(0.6);
        const double frequency = Tones::frequency(static_cast<int>(i));
        const double level = Listening::levelDb(heard, frequency, from, count, kFull);
        // A lossy file holds its tone a little louder or softer than it was
        // made; libsndfile reads all but M4A, which was made at the full level.
        const double own = Listening::decibels(
            Listening::fileAmplitude(files[i], frequency, Listening::frames(1.0), count)
                .value_or(kFull),
            kFull);
        std::printf("%-4s heard %+.2f dB, the file holds %+.2f dB\n", formats[i].c_str(), level,
                    own);
        EXPECT_NEAR(level, own, kWithinDb) << formats[i] << " does not play at its own level";
        for (std::size_t other = 0; other < formats.size(); ++other) {
            if (other != i) {
                EXPECT_LT(
                    Tones::amplitude(heard, from, count, Tones::frequency(static_cast<int>(other))),
                    0.01)
                    << "the " << formats[other] << " cue sounds with the " << formats[i] << " one";
            }
        }
        trigger();
        recordFor(0.3);
    }
}
