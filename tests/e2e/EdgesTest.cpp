// What a cut in the sound sounds like: every edge an operator makes (a
// start from inside a file, a stop, Pause All and Resume All, an end point,
// a hold cue's release and a solo cue's stop of another) heard in the
// recording, each moving a sustained tone to or from silence without a
// step larger than the tone's own.
#include "e2e/support/EdgeSteps.h"
#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// A low tone that turns half a period in each 256-frame period of the
// server, from its peak: every cut on a cycle's edge (as a stop's is) falls
// on one of its peaks, where a cut steps most.
constexpr double kFrequency = 1.5 * Tones::kBin;

bool writeTone(const std::string& path, double seconds) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * Tones::kRate));
    for (std::size_t f = 0; f < samples.size(); ++f) {
        samples[f] = 0.5f * static_cast<float>(std::cos(2.0 * std::numbers::pi * kFrequency *
                                                        static_cast<double>(f) / Tones::kRate));
    }
    return AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 1,
                                       Tones::kRate);
}
// What a measured step may pass the tone's own by: the recording's 16-bit
// tone and nothing more.
constexpr double kMarginDb = 0.5;

class Edges : public EndToEnd {
protected:
    // The recording's frame count now, where a cut made next lies after.
    std::size_t mark() const { return recordedFrames(); }

    // Makes a cut with `action` and answers the sound heard ending, or
    // starting, after it within `seconds`.
    template <class Action>
    EdgeSteps::Cut endAfter(Action action, double seconds = 0.4) {
        const std::size_t from = mark();
        action();
        const std::vector<float> heard = recordFor(seconds);
        return EdgeSteps::end(heard, from - kJackPeriod, heard.size());
    }
    template <class Action>
    EdgeSteps::Cut startAfter(Action action, double seconds = 0.6) {
        const std::size_t from = mark();
        action();
        const std::vector<float> heard = recordFor(seconds);
        return EdgeSteps::start(heard, from, heard.size());
    }
    // Cue 0 from its start, sounding steadily for a while.
    void playTheFirst() {
        x->key('1');
        recordFor(0.6);
    }

    void expectClean(const EdgeSteps::Cut& cut, const char* edge) {
        ASSERT_TRUE(cut.found()) << edge << ": no such cut heard";
        std::printf("edge %-24s step %+6.2f dB against the tone's own\n", edge, cut.db());
        EXPECT_LE(cut.db(), kMarginDb)
            << edge << " steps " << cut.step << " where the tone steps " << cut.own << " at most";
    }
};

} // namespace

TEST_F(Edges, EveryCutAnOperatorMakesFadesRatherThanSteps) {
    // Cell 0 plays the tone from its start, cell 1 a stretch from inside
    // it, cell 2 holds, cell 3 is a silent solo cue: on keys 1 to 4.
    std::vector<std::string> files;
    for (const char* name : {"plain.wav", "stretch.wav", "hold.wav"}) {
        files.push_back(path(name));
        ASSERT_TRUE(writeTone(files.back(), 8.0));
    }
    files.push_back(path("silent.wav"));
    ASSERT_TRUE(AudioFixtures::writeSndfile(files.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                            std::vector<float>(4 * kJackRate, 0.0f), 1, kJackRate));
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles(files, map.cellCentre(0));
    // The stretch starts and ends between a peak and a zero of the tone.
    selectCell(map, 1);
    editText(map.startField(), "00:01.004");
    editText(map.endField(), "00:03.004");
    contextMenuEntry(map, 2, 1); // Hold
    contextMenuEntry(map, 3, 2); // Solo
    showMode(window);
    record(90.0);
    recordFor(0.5);

    // Each cut measured again if a cycle the server ran late spoiled it,
    // after Stop All has silenced what its take left playing.
    const auto again = [&] { stopAllAndWait(window); };

    // A start from inside the file, and its end point 2 s of the file later.
    measure(
        [&] {
            const std::size_t from = mark();
            x->key('2');
            const std::vector<float> heard = recordFor(2.8);
            const EdgeSteps::Cut inside = EdgeSteps::start(heard, from, heard.size());
            const EdgeSteps::Cut endPoint = EdgeSteps::end(heard, from, heard.size());
            expectClean(inside, "start inside the file");
            expectClean(endPoint, "end point");
            EXPECT_NEAR(double(endPoint.frame - inside.frame), 2.0 * kJackRate, double(kJackPeriod))
                << "the last sound is not on the end point";
        },
        again);

    measure(
        [&] {
            playTheFirst();
            expectClean(endAfter([&] { x->key('1'); }), "stop");
        },
        again);

    // Pause All, then Resume All.
    measure(
        [&] {
            playTheFirst();
            expectClean(endAfter([&] { x->key('['); }), "pause");
            expectClean(startAfter([&] { x->key(']'); }), "resume");
            x->key('1');
            recordFor(0.4);
        },
        again);

    // A hold cue let go of before the keyboard repeats its key.
    measure(
        [&] {
            x->keyDown('3');
            recordFor(0.45);
            expectClean(endAfter([&] { x->keyUp('3'); }), "hold release");
        },
        again);

    // A solo cue (silent itself) stops the one that plays.
    measure(
        [&] {
            playTheFirst();
            expectClean(endAfter([&] { x->key('4'); }), "solo stop");
            x->key('4');
        },
        again);
}
