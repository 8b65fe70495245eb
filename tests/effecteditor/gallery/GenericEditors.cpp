// The generic editor of an effect with controls and meters, and of a plain
// gain with a factory preset, drawn to the gallery at 1x and 2x.
#include "effecteditor/EffectEditorFixture.h"
#include "effecteditor/EffectGenericView.h"
#include "support/Gallery.h"

#include <QImage>

namespace {

using EffectEditorGallery = EffectEditorFixture;

TEST_F(EffectEditorGallery, TheGenericEditorsOfAnEffectWithControlsAndOfAPlainGain) {
    auto controls = placedEffect(kTestGainControlsUri);
    controls->setValueForParameter(4, 2.5f);
    sinePeak(*controls);
    EffectEditor* editor = EffectEditor::open(*controls);
    ASSERT_NE(editor, nullptr);
    editor->genericView()->refreshOutputs();
    editor->adjustSize();
    saveToGallery(*editor, QStringLiteral("effect_editor_generic"));

    auto gain = placedEffect(kTestGainUri);
    gain->setFactoryPreset(0, "Half");
    EffectEditor* small = EffectEditor::open(*gain);
    ASSERT_NE(small, nullptr);
    small->adjustSize();
    saveToGallery(*small, QStringLiteral("effect_editor_gain"));
}

} // namespace

namespace {

TEST_F(EffectEditorGallery, TheEditorOfAnEffectThatCannotTakeItsCuesChannels) {
    auto stereo = KivEffect::effectWithDescription(gainDescription(kTestGainStereoUri));
    ASSERT_TRUE(stream.addEffect(*stereo));
    stereo->setStreamFormat(KivAudioStreamDescription(48000.0, 6));
    stereo->setRefusedChannels(6);
    EffectEditor* editor = EffectEditor::open(*stereo);
    ASSERT_NE(editor, nullptr);
    presetWork->runAll();
    editor->adjustSize();
    saveToGallery(*editor, QStringLiteral("effect_editor_refused_channels"));
}

} // namespace
