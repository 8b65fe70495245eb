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
                return ours(w) && w.title.startsWith("MDA RingMod") &&
                       std::find(open.begin(), open.end(), w.id) == open.end();
            },
            10s);
        x->settle(300ms);
        return editor;
    }

    struct Heard {
        double dry = 0.0;      // at the tone's frequency, without the effect
        double wet = 0.0;      // the same with it
        double wetLevel = 0.0; // the whole level with it
        QString editorTitle;
    };
    // A tone of `channels` channels dropped on the first cell and fired, then
    // fired again once "MDA RingMod" is added from Add Effect and its editor
    // put away: what the recording holds each time. None when the cue never
    // sounded or no editor showed. A take of it starts the program afresh.
    std::optional<Heard> dryThenRingModulated(unsigned channels) {
        const double frequency = Tones::frequency(0);
        const std::string file = tone("tone.wav", 0, 6, channels);
        const TopLevel window = launch();
        const WindowMap map(window.frame);
        dropFiles({file}, map.cellCentre(0));
        selectCell(map, 0);
        record();

        Heard result;
        std::size_t from = recordedFrames();
        x->key('1');
        std::vector<float> heard = recordFor(1.0);
        const std::size_t dryOnset = Tones::onsetPeriod(heard, frequency, 0.05, from);
        if (dryOnset == std::string::npos) {
            ADD_FAILURE() << "the cue never sounded";
            return std::nullopt;
        }
        result.dry =
            Tones::amplitude(heard, (dryOnset + 4) * Tones::kPeriod, 8 * Tones::kPeriod, frequency);
        x->key('1');
        x->settle(300ms);

        const auto editor = addRingMod(map);
        if (!editor) {
            ADD_FAILURE() << "the effect's editor never showed";
            return std::nullopt;
        }
        result.editorTitle = editor->title;
        x->close(*editor);
        EXPECT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == editor->id; }, 5s));
        selectCell(map, 0);

        from = recordedFrames();
        x->key('1');
        heard = recordFor(1.0);
        const std::size_t wetAt = from + Tones::kRate / 2;
        result.wet = Tones::amplitude(heard, wetAt, 8 * Tones::kPeriod, frequency);
        result.wetLevel = rms(heard, wetAt, 8 * Tones::kPeriod);
        return result;
    }
};

TEST_F(Effects, AnInstalledPluginAddedFromAddEffectChangesWhatTheCueSounds) {
    measure([&] {
        // The installed effects are stereo: on a cue of two channels they run as they stand.
        const auto heard = dryThenRingModulated(2);
        ASSERT_TRUE(heard);
        // A ring modulator moves the tone to its sidebands: still loud, no
        // longer at the tone's own frequency.
        EXPECT_GT(heard->dry, 0.2);
        EXPECT_LT(heard->wet, heard->dry / 10)
            << "dry " << heard->dry << ", with the effect " << heard->wet;
        EXPECT_GT(heard->wetLevel, heard->dry / 4);
    });
}

// A stereo plugin on a mono cue: the cue's one channel is fed to both of its
// inputs and its outputs come back averaged, so the effect is heard.
TEST_F(Effects, AStereoPluginOnAMonoCueChangesWhatTheCueSounds) {
    measure([&] {
        const auto heard = dryThenRingModulated(1);
        ASSERT_TRUE(heard);
        EXPECT_EQ(heard->editorTitle, QStringLiteral("MDA RingMod"))
            << "no preset yet: the name alone";
        EXPECT_GT(heard->dry, 0.2);
        EXPECT_LT(heard->wet, heard->dry / 10)
            << "dry " << heard->dry << ", with the effect " << heard->wet;
        EXPECT_GT(heard->wetLevel, heard->dry / 4) << "the cue still sounds";
    });
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
    // Taken again, one more effect joins the chain.
    measure([&] {
        const std::size_t start = std::max(onset + 1, recordedFrames() / Tones::kPeriod);
        const auto second = addRingMod(map);
        ASSERT_TRUE(second) << "the second effect's editor never showed";
        heard = recordFor(1.0);

        // Each 256-frame period from the cue's start on: a ring modulator keeps
        // the tone's level on its sidebands, so any near-silent one is a gap.
        const std::size_t periods = heard.size() / Tones::kPeriod;
        ASSERT_GT(periods, start + Tones::kRate / Tones::kPeriod);
        double quietest = 1.0;
        std::size_t quietestAt = 0;
        for (std::size_t p = start; p < periods; ++p) {
            const double level = rms(heard, p * Tones::kPeriod, Tones::kPeriod);
            if (level < quietest) {
                quietest = level;
                quietestAt = p;
            }
        }
        EXPECT_GT(quietest, 0.05) << "period " << quietestAt - onset
                                  << " after the start is silent";
    });
    EXPECT_TRUE(std::ranges::any_of(otherWindows(), [&](const TopLevel& w) {
        return w.id == first->id;
    })) << "the first effect's editor closed when the second was added";
}
