#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"

#include <cmath>

using Effects = EndToEnd;

namespace {

double rms(const std::vector<float>& samples, std::size_t first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + count && i < samples.size(); ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(count));
}

} // namespace

TEST_F(Effects, AnInstalledPluginAddedFromAddEffectChangesWhatTheCueSounds) {
    const double frequency = Tones::frequency(0);
    // The installed effects are stereo: they run on a cue of two channels.
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

    // "MDA RingMod" is the 20th of the first maker's effects, by URI.
    x->click(map.addEffectButton());
    x->settle(300ms);
    x->key(Keys::Down);
    x->key(Keys::Right);
    for (int i = 0; i < 19; ++i) {
        x->key(Keys::Down);
    }
    x->key(Keys::Return);
    // The new effect's editor comes up; the case puts it away.
    const auto editor = waitForOtherWindow();
    ASSERT_TRUE(editor) << "the effect's editor never showed";
    EXPECT_TRUE(editor->title.startsWith(QStringLiteral("MDA RingMod")))
        << editor->title.toStdString();
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
