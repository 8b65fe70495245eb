#include "KivUI/ScriptedPrompts.h"
#include "KivUI/controls/VornSlider.h"
#include "audio/SourceFixture.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "effecteditor/EffectEditor.h"
#include "effecteditor/EffectGenericView.h"
#include "effecteditor/ManualPresetExecutor.h"
#include "effecteditor/PresetFolder.h"
#include "platform/effects/TestPlugins.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>

#include <cmath>

namespace {

// A cue's source on an offline device with the test gain in its chain and
// the gain's editor open, while the source's graph is rebuilt around it.
class EffectEditorRebuildTest : public SourceFixture {
protected:
    void SetUp() override {
        setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld()));
        EffectEditor::install(prompts, presetWork);
        hardware.backend->plug(OfflineHardware::device("other"));
    }
    void TearDown() override {
        setEffectEditorFactory(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setComponentCatalogue(nullptr);
    }

    static std::shared_ptr<KivEffect> gainEffect() {
        auto effect = KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, kTestGainUri));
        EXPECT_TRUE(effect);
        return effect;
    }

    ScriptedPrompts prompts;
    std::shared_ptr<ManualPresetExecutor> presetWork = std::make_shared<ManualPresetExecutor>();
    PresetFolder folders{"effect-editor-rebuild"};
    ScopedEnvironment dataHome{"XDG_DATA_HOME", folders.path("home").c_str()};
    ScopedEnvironment dataDirs{"XDG_DATA_DIRS", folders.path("system").c_str()};
};

} // namespace

TEST_F(EffectEditorRebuildTest, AnOpenEditorStaysOpenAndBoundAcrossEveryRebuildOfItsCuesGraph) {
    auto source = sourceOf(levelFile("level.wav", 0.5f, 2.0));
    auto gain = gainEffect();
    source->addEffect(gain);
    source->play();
    render(2);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    const auto stillOpen = [&](const char* after) {
        EXPECT_EQ(EffectEditor::of(*gain), editor) << after;
        EXPECT_TRUE(gain->editorIsOpen()) << after;
        EXPECT_EQ(editor->effect(), gain.get()) << after;
    };

    auto other = gainEffect();
    source->addEffect(other);
    render(8);
    stillOpen("another effect added");
    source->setEffects({other, gain});
    render(8);
    stillOpen("the effects reordered");
    source->removeEffect(other);
    render(8);
    stillOpen("the other effect removed");

    QMenu* factory = nullptr;
    for (const QAction* action : editor->presetsMenu()->actions()) {
        if (action->text() == "Factory") {
            factory = action->menu();
        }
    }
    ASSERT_NE(factory, nullptr);
    factory->actions().front()->trigger();
    render(8);
    stillOpen("a preset loaded");
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Half");
    EXPECT_NEAR(cycleOutput(capturedCycles() - 1, 0)[0], 0.25f, 1e-4f);

    // The editor's controls reach the unit that plays now.
    auto* slider = qobject_cast<VornSlider*>(editor->genericView()->controlForParameter(kGainPort));
    ASSERT_NE(slider, nullptr);
    slider->setValue(EffectGenericView::sliderPosition(gain->parameters().front(), 0.0f));
    const float chosen = gain->valueForParameter(kGainPort);
    EXPECT_NEAR(chosen, 0.0f, 0.1f);
    render(2);
    EXPECT_FLOAT_EQ(cycleOutput(capturedCycles() - 1, 0)[0],
                    0.5f * std::pow(10.0f, chosen / 20.0f));

    source->setAlias(KivAlias::aliasWithPath(levelFile("again.wav", 0.25f)));
    stillOpen("a new file");
    source->setDevice(KivAudioDevice::deviceWithUID("other"));
    stillOpen("a new device");
    EXPECT_NE(gain->unit(), nullptr);
}
