#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"

#include <algorithm>
#include <cmath>

namespace {

double rms(const std::vector<float>& samples, std::size_t first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + count && i < samples.size(); ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(count));
}

} // namespace

class Effects : public EndToEnd {
protected:
    // Picks "MDA RingMod", the 20th of the first maker's effects by URI, from
    // Add Effect; answers the editor it brings up, none when none shows.
    std::optional<TopLevel> addRingMod(const WindowMap& map) {
        std::vector<std::uint32_t> open;
        for (const TopLevel& window : otherWindows()) {
            open.push_back(window.id);
        }
        x->click(map.addEffectButton());
        x->settle(300ms);
        x->key(Keys::Down);
        x->key(Keys::Right);
        for (int i = 0; i < 19; ++i) {
            x->key(Keys::Down);
        }
        x->key(Keys::Return);
        const auto editor = x->waitForWindow(
            [&](const TopLevel& w) {
                return w.instance == QLatin1String("pondra") && w.title.startsWith("MDA RingMod") &&
                       std::find(open.begin(), open.end(), w.id) == open.end();
            },
            10s);
        x->settle(300ms);
        return editor;
    }
};

TEST_F(Effects, AnInstalledPluginAddedFromAddEffectChangesWhatTheCueSounds) {
    const double frequency = Tones::frequency(0);
    // The installed effects are stereo: on a cue of two channels they run as they stand.
    const std::string file = tone("one.wav", 0, 6, 2);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({file}, map.cellCentre(0));
    selectCell(map, 0);
    record();

    // Dry: the tone as it stands.
    std::size_t from = recordedFrames();
    x->key('1');
    std::vector<float> heard = recordFor(1.0);
    const std::size_t dryOnset = Tones::onsetPeriod(heard, frequency, 0.05, from);
    ASSERT_NE(dryOnset, std::string::npos) << "the cue never sounded";
    const std::size_t dryAt = (dryOnset + 4) * Tones::kPeriod;
    const double dry = Tones::amplitude(heard, dryAt, 8 * Tones::kPeriod, frequency);
    x->key('1');
    x->settle(300ms);

    // The new effect's editor comes up; the case puts it away.
    const auto editor = addRingMod(map);
    ASSERT_TRUE(editor) << "the effect's editor never showed";
    x->close(*editor);
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == editor->id; }, 5s));
    selectCell(map, 0);

    from = recordedFrames();
    x->key('1');
    heard = recordFor(1.0);
    const std::size_t wetAt = from + Tones::kRate / 2;
    const double wet = Tones::amplitude(heard, wetAt, 8 * Tones::kPeriod, frequency);
    // A ring modulator moves the tone to its sidebands: still loud, no
    // longer at the tone's own frequency.
    EXPECT_GT(dry, 0.2);
    EXPECT_LT(wet, dry / 10) << "dry " << dry << ", with the effect " << wet;
    EXPECT_GT(rms(heard, wetAt, 8 * Tones::kPeriod), dry / 4);
}

// A stereo plugin on a mono cue: the cue's one channel is fed to both of its
// inputs and its outputs come back averaged, so the effect is heard.
TEST_F(Effects, AStereoPluginOnAMonoCueChangesWhatTheCueSounds) {
    const double frequency = Tones::frequency(0);
    const std::string file = tone("mono.wav", 0, 6, 1);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({file}, map.cellCentre(0));
    selectCell(map, 0);
    record();

    std::size_t from = recordedFrames();
    x->key('1');
    std::vector<float> heard = recordFor(1.0);
    const std::size_t dryOnset = Tones::onsetPeriod(heard, frequency, 0.05, from);
    ASSERT_NE(dryOnset, std::string::npos) << "the cue never sounded";
    const double dry =
        Tones::amplitude(heard, (dryOnset + 4) * Tones::kPeriod, 8 * Tones::kPeriod, frequency);
    x->key('1');
    x->settle(300ms);

    const auto editor = addRingMod(map);
    ASSERT_TRUE(editor) << "the effect's editor never showed";
    EXPECT_EQ(editor->title, QStringLiteral("MDA RingMod")) << "no preset yet: the name alone";
    x->close(*editor);
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == editor->id; }, 5s));
    selectCell(map, 0);

    from = recordedFrames();
    x->key('1');
    heard = recordFor(1.0);
    const std::size_t wetAt = from + Tones::kRate / 2;
    const double wet = Tones::amplitude(heard, wetAt, 8 * Tones::kPeriod, frequency);
    EXPECT_GT(dry, 0.2);
    EXPECT_LT(wet, dry / 10) << "dry " << dry << ", with the effect " << wet;
    EXPECT_GT(rms(heard, wetAt, 8 * Tones::kPeriod), dry / 4) << "the cue still sounds";
}

// An effect added while the cue plays: the cue sounds through the change, and
// the editor already open on its first effect stays open.
TEST_F(Effects, AnEffectAddedWhileACuePlaysLeavesNoSilenceAndTheOpenEditorOpen) {
    const std::string file = tone("long.wav", 0, 20, 2);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({file}, map.cellCentre(0));
    selectCell(map, 0);
    const auto first = addRingMod(map);
    ASSERT_TRUE(first) << "the first effect's editor never showed";

    // The editor lies over the grid; the cue stays selected.
    x->focus(window);
    record();
    const std::size_t from = recordedFrames();
    x->key('1');
    std::vector<float> heard = recordFor(0.5);
    // The effect has moved the tone off its own frequency: the cue starts
    // where the recording first has sound.
    std::size_t onset = from / Tones::kPeriod;
    while (onset < heard.size() / Tones::kPeriod &&
           rms(heard, onset * Tones::kPeriod, Tones::kPeriod) < 0.05) {
        ++onset;
    }
    ASSERT_LT(onset, heard.size() / Tones::kPeriod) << "the cue never sounded";
    const auto second = addRingMod(map);
    ASSERT_TRUE(second) << "the second effect's editor never showed";
    heard = recordFor(1.0);

    // Each 256-frame period from the cue's start on: a ring modulator keeps
    // the tone's level on its sidebands, so any near-silent one is a gap.
    const std::size_t periods = heard.size() / Tones::kPeriod;
    ASSERT_GT(periods, onset + Tones::kRate / Tones::kPeriod);
    double quietest = 1.0;
    std::size_t quietestAt = 0;
    for (std::size_t p = onset + 1; p < periods; ++p) {
        const double level = rms(heard, p * Tones::kPeriod, Tones::kPeriod);
        if (level < quietest) {
            quietest = level;
            quietestAt = p;
        }
    }
    EXPECT_GT(quietest, 0.05) << "period " << quietestAt - onset << " after the start is silent";
    EXPECT_TRUE(std::ranges::any_of(otherWindows(), [&](const TopLevel& w) {
        return w.id == first->id;
    })) << "the first effect's editor closed when the second was added";
}
