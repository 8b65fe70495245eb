// An announcement that ducks: while it plays the music goes down, and it
// comes back when the announcement ends, as the JACK recording hears it.
#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"

#include <cmath>

namespace {

// Music (tone 0) on the key 1, a 4 s announcement (tone 1) on the key 2,
// both dropped from the file manager.
class Ducking : public EndToEnd {
protected:
    static constexpr double kAnnouncementSeconds = 4.0;
    // The files' sines are at half scale.
    static constexpr double kLevel = 0.5;
    static constexpr double kSounding = 0.05;
    // A duck's or a return's whole fade, as heard.
    static constexpr double kWithin = 2.2;

    static std::size_t periodOf(double seconds) {
        return static_cast<std::size_t>(seconds * Tones::kRate) / Tones::kPeriod;
    }
    static double amplitude(const std::vector<float>& heard, int n, std::size_t period) {
        return Tones::amplitude(heard, period * Tones::kPeriod, Tones::kPeriod,
                                Tones::frequency(n));
    }
    static double decibels(double amplitude, double reference) {
        return 20.0 * std::log10(amplitude / reference);
    }
    // The first period, from `from` on, in which the tone no longer sounds.
    static std::size_t endPeriod(const std::vector<float>& heard, int n, std::size_t from) {
        std::size_t period = from;
        while ((period + 1) * Tones::kPeriod <= heard.size() &&
               amplitude(heard, n, period) >= kSounding) {
            ++period;
        }
        return period;
    }
};

TEST_F(Ducking, AnAnnouncementLowersTheMusicAndTheMusicComesBackWhenItEnds) {
    const std::vector<std::string> files = {tone("music.wav", 0, 20.0),
                                            tone("announcement.wav", 1, kAnnouncementSeconds)};
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles(files, map.cellCentre(0));
    // Ducking is the fourth entry of a cell's menu.
    contextMenuEntry(map, 1, 3);
    showMode(window);
    record();

    measure(
        [&] {
            x->key('1');
            std::vector<float> heard = recordFor(1.0);
            const std::size_t last = heard.size() / Tones::kPeriod - 1;
            const double music = amplitude(heard, 0, last);
            ASSERT_NEAR(music, kLevel, 0.02) << "the music does not play at its own level";

            const std::size_t pressed = recordedFrames();
            x->key('2');
            heard = recordFor(kAnnouncementSeconds + kWithin + 1.5);
            const std::size_t start =
                Tones::onsetPeriod(heard, Tones::frequency(1), kSounding, pressed);
            ASSERT_NE(start, std::string::npos) << "the announcement never sounded";
            const std::size_t end = endPeriod(heard, 1, start);
            ASSERT_LT((end + periodOf(kWithin) + periodOf(0.3)) * Tones::kPeriod, heard.size())
                << "the announcement never ended";
            EXPECT_NEAR(static_cast<double>(end - start), static_cast<double>(periodOf(4.0)), 4.0);

            // The announcement at its own level throughout.
            for (std::size_t p = start + 1; p + 1 < end; ++p) {
                ASSERT_NEAR(amplitude(heard, 1, p), kLevel, 0.02)
                    << "the announcement is not at its own level " << (p - start) * Tones::kPeriod
                    << " frames in";
            }
            // Down by 20 dB at the latest 2.2 s in, and ducked, not stopped.
            for (std::size_t p = start + periodOf(kWithin); p + 1 < end; ++p) {
                const double ducked = decibels(amplitude(heard, 0, p), music);
                ASSERT_LE(ducked, -20.0)
                    << "the music is not ducked "
                    << static_cast<double>((p - start) * Tones::kPeriod) / Tones::kRate
                    << " s into the announcement";
                ASSERT_GE(ducked, -40.0) << "the music stopped instead of ducking";
            }
            // Back within 2.2 s of the announcement's end.
            for (std::size_t p = end + periodOf(kWithin); p < end + periodOf(kWithin + 0.3); ++p) {
                ASSERT_GE(decibels(amplitude(heard, 0, p), music), -1.0)
                    << "the music is not back "
                    << static_cast<double>((p - end) * Tones::kPeriod) / Tones::kRate
                    << " s after the announcement's end";
            }
        },
        [&] { stopAllAndWait(window); });
}

} // namespace
