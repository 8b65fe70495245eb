#pragma once

#include "KivUI/ScriptedPrompts.h"
#include "audio/EffectFixture.h"
#include "effecteditor/EffectEditor.h"
#include "effecteditor/ManualPresetExecutor.h"
#include "effecteditor/PresetFolder.h"

#include <QCoreApplication>
#include <QEvent>

#include <memory>
#include <optional>

// The test plugins placed in a stream, editors installed with scripted
// prompts, and preset folders of the test's own.
class EffectEditorFixture : public EffectFixture {
protected:
    void SetUp() override {
        EffectFixture::SetUp();
        EffectEditor::install(prompts, presetWork);
    }
    void TearDown() override {
        setEffectEditorFactory(nullptr);
        // Closed editors go through the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EffectFixture::TearDown();
    }

    // Peak of a full-scale sine pulled through the effect, as the render path pulls it.
    float sinePeak(KivEffect& effect) {
        SineInput sine(48000.0);
        KivRenderInfo input;
        sine.registerRenderInfo(&input);
        EXPECT_TRUE(effect.setRenderCallback(input));
        KivRenderInfo output;
        effect.registerRenderInfo(&output);
        const float result = pull(output, 1).front();
        effect.clearRenderCallback();
        return result;
    }

    // Saves through the editor and runs its file work to the end; none when
    // the save never ended.
    std::optional<EffectPresetSaver::Result> saveAs(EffectEditor& editor, const std::string& name,
                                                    const std::string& folder) {
        std::optional<EffectPresetSaver::Result> result;
        editor.savePresetAs(name, folder,
                            [&result](EffectPresetSaver::Result ended) { result = ended; });
        presetWork->runAll();
        return result;
    }

    ScriptedPrompts prompts;
    std::shared_ptr<ManualPresetExecutor> presetWork = std::make_shared<ManualPresetExecutor>();
    PresetFolder folders{"effect-editor"};
    ScopedEnvironment dataHome{"XDG_DATA_HOME", folders.path("home").c_str()};
    ScopedEnvironment dataDirs{"XDG_DATA_DIRS", folders.path("system").c_str()};
};
