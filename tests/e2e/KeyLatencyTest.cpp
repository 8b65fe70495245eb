#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

// How long after its key a cue sounds, with the shown cart quiet and with
// 17 of its cues playing: the window's drawing must not hold a key back.
class KeyLatency : public EndToEnd {
protected:
    // A 5 x 5 cart: tones 1 to 17 in slots 0 to 16 (keys 1 ... X), long and
    // soft, so all of them and the fired cue add up below full scale; the
    // fired cue, tone 0, short, in slot 17 (key C).
    TopLevel openShow() {
        std::vector<std::string> files;
        for (int n = 1; n <= kPlaying; ++n) {
            files.push_back(sine("a" + std::to_string(100 + n) + ".wav", n, 40.0, 0.04f));
        }
        files.push_back(sine("a200.wav", 0, 0.15, 0.3f));
        const TopLevel window = launch();
        // Edit > Grid Size..., then the largest size, at the sheet's bottom right.
        x->focus(window);
        x->key('e', Alt);
        x->key('g');
        const std::optional<TopLevel> sheet = waitForOtherWindow();
        EXPECT_TRUE(sheet.has_value()) << "no grid size sheet";
        if (!sheet) {
            return window;
        }
        x->click(sheet->frame.bottomRight() - kLargestSizeFromCorner);
        x->settle();
        const WindowMap map(window.frame, false, 5, 5);
        dropFiles(files, map.cellCentre(0));
        // The import checks each file through before its cue takes its cell.
        x->settle(2s);
        showMode(window);
        return window;
    }

    // A sine of tone n at this peak.
    std::string sine(const std::string& name, int n, double seconds, float peak) {
        const auto frames = static_cast<std::size_t>(seconds * Tones::kRate);
        std::vector<float> samples(frames);
        for (std::size_t i = 0; i < frames; ++i) {
            samples[i] = peak * static_cast<float>(std::sin(2.0 * M_PI * Tones::frequency(n) *
                                                            static_cast<double>(i) / Tones::kRate));
        }
        const std::string file = path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(file, SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 1,
                                                Tones::kRate));
        return file;
    }

    // Fires the key `presses` times at uneven moments and answers, for each
    // press, milliseconds from the frame the recording had reached when the
    // key went down to the start of the first period in which tone 0 sounds.
    //
    // Where the press lies in the recording's timeline: XTEST's event time
    // is the X server's millisecond clock, which shares no origin with
    // JACK's, and JACK's own frame time, which libjack interpolates between
    // cycles, parts from the cycles actually recorded on a loaded machine
    // (here it read up to two periods behind the last cycle recorded, and
    // ran ahead after late cycles). So the case reads the recording's own
    // count just before it sends the key: the frames of every cycle recorded
    // so far, which is the first frame of the first cycle that can still
    // carry a sound the key starts. The key's request ends in a round trip,
    // so the X server has handled the press before the next one is read.
    // The press itself came within the period before that frame: the figure
    // answered is at most a period short of the press's true latency, and a
    // bound of one period on it holds the sound within two of the press.
    std::vector<double> pressLatencies(int presses) {
        std::mt19937 random(37);
        std::uniform_int_distribution<int> jitter(0, 97);
        std::vector<std::size_t> pressed;
        for (int k = 0; k < presses; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300 + jitter(random)));
            pressed.push_back(recordedFrames());
            x->keyDown('c');
            std::this_thread::sleep_for(20ms);
            x->keyUp('c');
        }
        const std::vector<float> heard = recordFor(0.5);
        std::vector<double> latencies;
        for (std::size_t k = 0; k < pressed.size(); ++k) {
            const std::size_t onset =
                Tones::onsetPeriod(heard, Tones::frequency(0), kSounding, pressed[k]);
            const std::size_t next = k + 1 < pressed.size() ? pressed[k + 1] : heard.size();
            if (onset == std::string::npos || onset * Tones::kPeriod >= next) {
                ADD_FAILURE() << "press " << k << " never sounded";
                continue;
            }
            latencies.push_back(
                (static_cast<double>(onset * Tones::kPeriod) - static_cast<double>(pressed[k])) *
                1000.0 / Tones::kRate);
        }
        return latencies;
    }

    // The value below which this fraction of them lies (nearest rank).
    static double percentile(std::vector<double> values, double fraction) {
        std::sort(values.begin(), values.end());
        const auto rank = static_cast<std::size_t>(std::ceil(fraction * values.size()));
        return values.empty() ? 0.0 : values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
    }

    static void print(const char* what, const std::vector<double>& latencies) {
        std::printf("%s:", what);
        for (double ms : latencies) {
            std::printf(" %.1f", ms);
        }
        std::printf(" ms; median %.1f, 90th percentile %.1f, worst %.1f\n",
                    percentile(latencies, 0.5), percentile(latencies, 0.9),
                    percentile(latencies, 1.0));
    }

    static constexpr int kPlaying = 17;
    static constexpr int kPresses = 24;
    static constexpr double kSounding = 0.05;
    // The 5x5 button's middle, from the grid size sheet's bottom right corner.
    static constexpr QPoint kLargestSizeFromCorner{52, 70};
};

// A hot key's first sound comes within two periods of its press (median),
// with the cart quiet and with 17 of its cues playing: within one period of
// the frame the recording had reached at the press. On a shared machine
// one press in a few may wait for the processor whatever the program does,
// so the figures are medians, and with the cues playing the median and the
// 90th percentile (the 22nd of 24) are also held against their own idle
// figures from the same run of the same program: a window that holds keys
// back while it draws moves both by tens of milliseconds.
TEST_F(KeyLatency, AHotKeySoundsWithinTwoPeriodsOfItsPressIdleAndWhile17CuesOfTheCartPlay) {
    openShow();
    // Room for every take of both rounds.
    record(120.0);
    const double period = 1000.0 * Tones::kPeriod / Tones::kRate;
    std::vector<double> idle;
    measure([&] {
        idle = pressLatencies(kPresses);
        print("idle", idle);
        ASSERT_EQ(idle.size(), static_cast<std::size_t>(kPresses));
        EXPECT_LE(percentile(idle, 0.5), period);
    });
    ASSERT_EQ(idle.size(), static_cast<std::size_t>(kPresses));

    for (const char key : std::string("12345qwertasdfgzx")) {
        x->key(static_cast<unsigned char>(key));
    }
    const std::size_t started = recordedFrames();
    measure([&] {
        const std::size_t from = recordedFrames();
        const std::vector<double> busy = pressLatencies(kPresses);
        const std::vector<float> heard = recordFor(0.1);
        // From a second after their keys to the end.
        const std::size_t first = std::max(started / Tones::kPeriod + 200, from / Tones::kPeriod);
        const std::size_t last = heard.size() / Tones::kPeriod - 1;
        for (int n = 1; n <= kPlaying; ++n) {
            EXPECT_EQ(Tones::periodsSounding(heard, Tones::frequency(n), 0.01, first, last),
                      last - first)
                << "tone " << n << " did not play throughout";
        }
        print("17 playing", busy);
        ASSERT_EQ(busy.size(), static_cast<std::size_t>(kPresses));
        EXPECT_LE(percentile(busy, 0.5), period);
        EXPECT_LE(percentile(busy, 0.5), percentile(idle, 0.5) + period);
        EXPECT_LE(percentile(busy, 0.9), percentile(idle, 0.9) + period);
    });
}
