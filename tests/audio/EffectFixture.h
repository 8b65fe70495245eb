#pragma once

#include "audio/KivEffect.h"
#include "audio/KivEffectUnit.h"
#include "audio/KivLv2Catalogue.h"
#include "audio/KivStream.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/TestPlugins.h"

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>

// Installs the test plugins' catalogue and gives each test a created stream.
class EffectFixture : public ::testing::Test {
protected:
    void SetUp() override {
        setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld()));
        ASSERT_TRUE(stream.create());
    }
    void TearDown() override {
        stream.destroy();
        setComponentCatalogue(nullptr);
    }

    static KivAudioComponentDescription gainDescription(const char* uri = kTestGainUri) {
        return KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, uri);
    }

    // An effect of the plugin, placed in `stream`, given the format and initialized.
    std::shared_ptr<KivEffect> placedEffect(const char* uri, double rate = 48000.0,
                                            std::uint32_t channels = 1) {
        auto effect = KivEffect::effectWithDescription(gainDescription(uri));
        EXPECT_TRUE(effect);
        EXPECT_TRUE(stream.addEffect(*effect));
        EXPECT_TRUE(effect->setStreamFormat(KivAudioStreamDescription(rate, channels)));
        EXPECT_TRUE(stream.initialize());
        return effect;
    }

    // The state dictionary of an effect of a plugin that is not installed.
    static nlohmann::json missingPluginState() {
        const KivAudioComponentDescription missing(kKivComponentTypeEffect, 0, 0, 0, 0,
                                                   "http://pondra.invalid/test/missing");
        return {{"class", "KivEffect"},
                {"component", nlohmann::json::binary(missing.state())},
                {"manufacturer", "Gone Audio"},
                {"name", "Vanished Reverb"},
                {"displayName", "Hall"},
                {"enabled", false},
                {"editorIsOpen", false},
                {"lastEditorFrame", "{{10, 20}, {300, 200}}"},
                {"settings",
                 {{"parameters", {{"size", 0.75}, {"mix", -3.5}}},
                  {"pluginState", "@prefix x: <urn:x#> ."},
                  {"presetName", "Big Hall"}}}};
    }

    KivStream stream{512};
};
