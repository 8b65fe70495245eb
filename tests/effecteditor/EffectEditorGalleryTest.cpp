#include "effecteditor/EffectEditorFixture.h"
#include "effecteditor/EffectGenericView.h"

#include <QDir>
#include <QImage>

namespace {

QString galleryPath(const QString& file) {
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    return QStringLiteral(PONDRA_GALLERY_DIR "/") + file;
}

void save(QWidget& window, const QString& name) {
    for (qreal ratio : {1.0, 2.0}) {
        QImage image(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        window.render(&image);
        const QString file = QStringLiteral("%1@%2x.png").arg(name).arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}

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
    save(*editor, QStringLiteral("effect_editor_generic"));

    auto gain = placedEffect(kTestGainUri);
    gain->setFactoryPreset(0, "Half");
    EffectEditor* small = EffectEditor::open(*gain);
    ASSERT_NE(small, nullptr);
    small->adjustSize();
    save(*small, QStringLiteral("effect_editor_gain"));
}

} // namespace
