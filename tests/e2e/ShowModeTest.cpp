#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"

// A show of three cues, tones 0, 1 and 2 on the keys 1, 2 and 3.
class ShowMode : public EndToEnd {
protected:
    TopLevel openShow() {
        std::vector<std::string> files;
        for (int n = 0; n < 3; ++n) {
            files.push_back(tone("tone" + std::to_string(n) + ".wav", n, 8));
        }
        const TopLevel window = launch();
        map = std::make_unique<WindowMap>(window.frame);
        dropFiles(files, map->cellCentre(0));
        return window;
    }

    // Periods of each tone from `from` on: sounding or not.
    bool sounds(const std::vector<float>& heard, int n, std::size_t fromPeriod,
                std::size_t periods) const {
        return Tones::periodsSounding(heard, Tones::frequency(n), kSounding, fromPeriod,
                                      fromPeriod + periods) == periods;
    }
    bool silent(const std::vector<float>& heard, int n, std::size_t fromPeriod,
                std::size_t periods) const {
        return Tones::periodsSounding(heard, Tones::frequency(n), kSounding, fromPeriod,
                                      fromPeriod + periods) == 0;
    }

    // Keys 1 and 2, and both tones heard through the last 20 periods of the
    // next half second.
    void playOneAndTwo() {
        x->key('1');
        x->key('2');
        const std::vector<float> heard = recordFor(0.5);
        const std::size_t playing = heard.size() / Tones::kPeriod - 20;
        EXPECT_TRUE(sounds(heard, 0, playing, 20));
        EXPECT_TRUE(sounds(heard, 1, playing, 20));
    }

    static constexpr double kSounding = 0.05;
    std::unique_ptr<WindowMap> map;
};

TEST_F(ShowMode, AHotKeyPlaysItsCueAndTwoCuesOnOneKeyStartInTheSamePeriod) {
    const TopLevel window = openShow();
    setHotKey(*map, 1, '1');
    showMode(window);
    record();

    measure(
        [&] {
            const std::size_t pressed = recordedFrames();
            x->key('1');
            const std::vector<float> heard = recordFor(1.0);
            const std::size_t first =
                Tones::onsetPeriod(heard, Tones::frequency(0), kSounding, pressed);
            const std::size_t second =
                Tones::onsetPeriod(heard, Tones::frequency(1), kSounding, pressed);
            ASSERT_NE(first, std::string::npos) << "the key's first cue never sounded";
            EXPECT_EQ(second, first) << "the two cues of one key started in different periods";
            EXPECT_TRUE(silent(heard, 2, pressed / Tones::kPeriod,
                               heard.size() / Tones::kPeriod - pressed / Tones::kPeriod));
            // Each starts at the first frame of its period.
            const std::size_t start = first * Tones::kPeriod;
            EXPECT_EQ(heard[start - 1], 0.0f);
            EXPECT_NE(heard[start + 1], 0.0f);
        },
        [&] { stopAllAndWait(window); });

    const std::size_t third = recordedFrames();
    x->key('3');
    const std::vector<float> later = recordFor(0.5);
    EXPECT_NE(Tones::onsetPeriod(later, Tones::frequency(2), kSounding, third), std::string::npos);
}

TEST_F(ShowMode, PauseAllThenResumeAllBringBackTheCuesThatPlayed) {
    const TopLevel window = openShow();
    showMode(window);
    record();
    measure(
        [&] {
            playOneAndTwo();
            x->key('[');
            x->settle(300ms);
            std::vector<float> heard = recordFor(0.5);
            const std::size_t paused = heard.size() / Tones::kPeriod - 40;
            for (int n = 0; n < 3; ++n) {
                EXPECT_TRUE(silent(heard, n, paused, 40)) << "tone " << n << " sounds while paused";
            }

            x->key(']');
            x->settle(300ms);
            heard = recordFor(0.5);
            const std::size_t resumed = heard.size() / Tones::kPeriod - 40;
            EXPECT_TRUE(sounds(heard, 0, resumed, 40));
            EXPECT_TRUE(sounds(heard, 1, resumed, 40));
            EXPECT_TRUE(silent(heard, 2, resumed, 40));
        },
        [&] { stopAllAndWait(window); });
}

TEST_F(ShowMode, ASoloCueSilencesTheOthers) {
    const TopLevel window = openShow();
    // Solo is the third entry of a cell's menu.
    contextMenuEntry(*map, 2, 2);
    showMode(window);
    record();
    measure(
        [&] {
            playOneAndTwo();
            x->key('3');
            x->settle(300ms);
            const std::vector<float> heard = recordFor(0.5);
            const std::size_t solo = heard.size() / Tones::kPeriod - 40;
            EXPECT_TRUE(silent(heard, 0, solo, 40));
            EXPECT_TRUE(silent(heard, 1, solo, 40));
            EXPECT_TRUE(sounds(heard, 2, solo, 40));
        },
        [&] { stopAllAndWait(window); });
}

TEST_F(ShowMode, ASymbolTypedInTheInspectorFiresItsOwnCueAndNotTheDigitUnderIt) {
    const TopLevel window = openShow();
    setHotKey(*map, 0, '1');
    // Typed as a user types it: Shift and the key of 1.
    setHotKey(*map, 1, '!');
    showMode(window);
    record();

    const std::size_t pressed = recordedFrames();
    x->type("!");
    const std::vector<float> heard = recordFor(1.0);
    EXPECT_NE(Tones::onsetPeriod(heard, Tones::frequency(1), kSounding, pressed), std::string::npos)
        << "the symbol's cue never sounded";
    EXPECT_TRUE(silent(heard, 0, pressed / Tones::kPeriod,
                       heard.size() / Tones::kPeriod - pressed / Tones::kPeriod))
        << "the digit's cue sounded";

    const std::size_t digit = recordedFrames();
    x->key('1');
    const std::vector<float> later = recordFor(0.5);
    EXPECT_NE(Tones::onsetPeriod(later, Tones::frequency(0), kSounding, digit), std::string::npos);
}
