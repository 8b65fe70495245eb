#pragma once

#include "audio/effects/KivAudioComponentDescription.h"

#include <nlohmann/json.hpp>

// The state dictionary of an effect whose plugin is not installed.
inline nlohmann::json missingPluginState() {
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
