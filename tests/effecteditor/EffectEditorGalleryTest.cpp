#include "effecteditor/EffectEditorFixture.h"
#include "effecteditor/EffectGenericView.h"
#include "support/Gallery.h"

#include <QDir>
#include <QImage>

namespace {

using EffectEditorGalleryTest = EffectEditorFixture;

TEST_F(EffectEditorGalleryTest, RendersTheGenericEditors) {
    auto controls = placedEffect(kTestGainControlsUri);
    controls->setValueForParameter(4, 2.5f);
    sinePeak(*controls);
    EffectEditor* editor = EffectEditor::open(*controls);
    ASSERT_NE(editor, nullptr);
    editor->genericView()->refreshOutputs();
    editor->adjustSize();
    EXPECT_GE(editor->height(), EffectEditor::kStripHeight + 100);
    saveToGallery(*editor, QStringLiteral("effect_editor_generic"));

    auto gain = placedEffect(kTestGainUri);
    gain->setFactoryPreset(0, "Half");
    EffectEditor* small = EffectEditor::open(*gain);
    ASSERT_NE(small, nullptr);
    small->adjustSize();
    saveToGallery(*small, QStringLiteral("effect_editor_gain"));
}

} // namespace
