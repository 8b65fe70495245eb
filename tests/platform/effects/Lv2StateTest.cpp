#include "ProcessorFixture.h"
#include "support/CapturingLogSink.h"

#include <string>

namespace {

constexpr float kHalfDb = -6.0206f;

// The test gain keeps one property of its own, a polarity flag, that only its
// state interface sets. Flips it in a saved state's text.
std::string withInvert(std::string text) {
    const std::string off = "#invert> false";
    const auto at = text.find(off);
    EXPECT_NE(at, std::string::npos) << text;
    if (at != std::string::npos) {
        text.replace(at, off.size(), "#invert> true");
    }
    return text;
}

// The first output sample of a block of ones after the plugin's delay has
// filled: +0.5 or -0.5 at half gain, depending on the polarity.
float signedHalf(ProcessorFixture& fixture, EffectProcessor& processor) {
    ChannelBuffers buffers(1, 256);
    for (int block = 0; block < 2; ++block) {
        for (float& sample : buffers.data[0]) {
            sample = 1.0f;
        }
        fixture.render(processor, buffers, 256);
    }
    return buffers.data[0][0];
}

} // namespace

class Lv2State_ : public ProcessorFixture {
public:
    std::int32_t setState(EffectProcessor& processor, const EffectState& state) {
        EffectRenderLock held(_renderLock);
        return processor.setState(held, state);
    }
    std::int32_t applyPreset(EffectProcessor& processor, std::int32_t number) {
        EffectRenderLock held(_renderLock);
        return processor.applyFactoryPreset(held, number);
    }
};

TEST_F(Lv2State_, ListsTheFactoryPresetHalf) {
    auto gain = make(kTestGainUri);
    const auto presets = gain->factoryPresets();
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].number, 0);
    EXPECT_EQ(presets[0].name, "Half");
    EXPECT_TRUE(make(kTestGainStereoUri)->factoryPresets().empty());
}

TEST_F(Lv2State_, PresetHalfApplies) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    ASSERT_EQ(applyPreset(*gain, 0), kEffectNoErr);
    EXPECT_FLOAT_EQ(gain->parameter(kGainPort), kHalfDb);
    EXPECT_EQ(gain->presentPreset().number, 0);
    EXPECT_EQ(gain->presentPreset().name, "Half");
    EXPECT_NEAR(sinePeaks(*gain, 1, 44100.0, 1.0f)[0], 0.5f, 1e-4f);
    EXPECT_EQ(gain->state().presetName, "Half");
}

TEST_F(Lv2State_, PresetAppliesBeforePreparing) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(applyPreset(*gain, 0), kEffectNoErr);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    EXPECT_NEAR(sinePeaks(*gain, 1, 44100.0, 1.0f)[0], 0.5f, 1e-4f);
}

TEST_F(Lv2State_, PresetNumberOutOfRangeChangesNothing) {
    auto gain = make(kTestGainUri);
    gain->setParameter(kGainPort, -3.0f);
    EXPECT_EQ(applyPreset(*gain, 1), kEffectInvalidPropertyValue);
    EXPECT_EQ(applyPreset(*gain, -1), kEffectInvalidPropertyValue);
    EXPECT_EQ(gain->parameter(kGainPort), -3.0f);
    EXPECT_EQ(gain->presentPreset().number, -1);
}

TEST_F(Lv2State_, SettingsAreKeyedByPortSymbol) {
    auto gain = make(kTestGainUri);
    gain->setParameter(kGainPort, -12.0f);
    gain->setPresentPreset(EffectPreset{-1, "Quiet"});
    const EffectState state = gain->state();
    EXPECT_EQ(state.settings, (std::map<std::string, float>{{"gain", -12.0f}}));
    EXPECT_EQ(state.presetName, "Quiet");
}

TEST_F(Lv2State_, StateSurvivesReinstantiationAtAnotherRate) {
    auto first = make(kTestGainUri);
    ASSERT_EQ(prepare(*first, 44100.0, 512, 1), kEffectNoErr);
    first->setParameter(kGainPort, kHalfDb);
    ASSERT_EQ(setState(*first, EffectState{{}, withInvert(first->state().pluginState), "Mine"}),
              kEffectNoErr);
    ASSERT_NEAR(signedHalf(*this, *first), -0.5f, 1e-4f);
    const EffectState saved = first->state();
    first.reset();

    // A new instance at another rate, given the state before it exists.
    auto second = make(kTestGainUri);
    ASSERT_EQ(setState(*second, saved), kEffectNoErr);
    ASSERT_EQ(prepare(*second, 96000.0, 256, 1), kEffectNoErr);
    EXPECT_FLOAT_EQ(second->parameter(kGainPort), kHalfDb);
    EXPECT_NEAR(signedHalf(*this, *second), -0.5f, 1e-4f);
    EXPECT_EQ(second->state(), saved);
}

TEST_F(Lv2State_, PreparingAgainKeepsTheState) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    gain->setParameter(kGainPort, kHalfDb);
    ASSERT_EQ(setState(*gain, EffectState{{}, withInvert(gain->state().pluginState), ""}),
              kEffectNoErr);
    ASSERT_EQ(prepare(*gain, 48000.0, 1024, 1), kEffectNoErr);
    EXPECT_EQ(gain->sampleRate(), 48000.0);
    EXPECT_FLOAT_EQ(gain->parameter(kGainPort), kHalfDb);
    EXPECT_NEAR(signedHalf(*this, *gain), -0.5f, 1e-4f);
}

TEST_F(Lv2State_, PluginStateTextOfAnotherPluginIsRefused) {
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    gain->setParameter(kGainPort, -3.0f);
    std::string text = gain->state().pluginState;
    const std::string uri = kTestGainUri;
    text.replace(text.find("<" + uri + ">"), uri.size() + 2,
                 std::string("<") + kTestGainMidiUri + ">");

    CapturingLogSink log;
    EXPECT_EQ(setState(*gain, EffectState{{{"gain", -20.0f}}, text, "Other"}),
              kEffectInvalidPropertyValue);
    EXPECT_EQ(setState(*gain, EffectState{{{"gain", -20.0f}}, "not a state", "Other"}),
              kEffectInvalidPropertyValue);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               std::string("Error: the state given to ") + kTestGainUri +
                                   " belongs to " + kTestGainMidiUri + "; nothing was restored",
                               std::string("Error: the saved state of ") + kTestGainUri +
                                   " could not be read; nothing was restored"}));
    // Nothing of a refused state is applied.
    EXPECT_EQ(gain->parameter(kGainPort), -3.0f);
    EXPECT_EQ(gain->presentPreset().name, "");
}

TEST_F(Lv2State_, UnknownSymbolsAreIgnoredAndTheRestApplied) {
    auto gain = make(kTestGainUri);
    EXPECT_EQ(setState(*gain, EffectState{{{"gain", -9.0f}, {"drive", 3.0f}}, "", ""}),
              kEffectNoErr);
    EXPECT_EQ(gain->parameter(kGainPort), -9.0f);
    EXPECT_EQ(gain->state().settings.size(), 1u);
}

TEST_F(Lv2State_, StateBeforePreparingIsHeldAsGiven) {
    auto source = make(kTestGainUri);
    ASSERT_EQ(prepare(*source, 44100.0, 512, 1), kEffectNoErr);
    const std::string text = withInvert(source->state().pluginState);

    auto gain = make(kTestGainUri);
    ASSERT_EQ(setState(*gain, EffectState{{{"gain", -1.0f}}, text, "Held"}), kEffectNoErr);
    const EffectState held = gain->state();
    EXPECT_EQ(held.settings.at("gain"), -1.0f);
    EXPECT_NE(held.pluginState.find("#invert> true"), std::string::npos);
    EXPECT_EQ(held.presetName, "Held");
}

TEST_F(Lv2State_, PluginsWithoutStateOfTheirOwnSaveNoText) {
    auto stereo = make(kTestGainStereoUri);
    ASSERT_EQ(prepare(*stereo, 44100.0, 512, 2), kEffectNoErr);
    EXPECT_TRUE(stereo->state().pluginState.empty());
}

namespace {

// A state of the test gain written as Turtle, with `properties` as the body
// of its state:state node and `after` as further statements.
std::string gainState(const std::string& properties, const std::string& after = "") {
    return std::string("@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                       "<urn:pondra:effect-state> a pset:Preset ;\n"
                       "    lv2:appliesTo <") +
           kTestGainUri + "> ;\n    state:state [ " + properties + " ] .\n" + after;
}

// Blank nodes each naming the next: nested as deep as brackets would be,
// without a bracket in the text.
std::string labelledChain(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        text += "_:n" + std::to_string(i) + " <urn:next> _:n" + std::to_string(i + 1) + " .\n";
    }
    return text;
}

std::string repeated(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

} // namespace

TEST_F(Lv2State_, HostileStateTextIsRefusedBeforeLilvReadsIt) {
    const std::string invert = "<http://pondra.invalid/test/gain#invert> ";
    const std::vector<std::string> hostile = {
        // Valid RDF without a state.
        "<urn:a> <urn:b> <urn:c> .",
        "[] <urn:b> \"no state here\" .",
        // Nested far deeper than any state.
        "<urn:a> <urn:b> " + repeated("[ <urn:b> ", 100000) + "<urn:c>" + repeated(" ]", 100000) +
            " .",
        "<urn:a> <urn:b> " + repeated("( ", 100000) + repeated(") ", 100000) + " .",
        gainState(invert + repeated("[ <urn:b> ", 100000) + "1" + repeated(" ]", 100000)),
        // Atoms lilv cannot build.
        gainState(invert + "_:n0", labelledChain(100000)),
        gainState(invert + "[ a atom:Vector ]"),
        gainState(invert + "[ a atom:Vector ; atom:childType <urn:unsized> ; rdf:value ( 1 ) ]"),
        gainState(invert + "[ a atom:Tuple ]"),
        gainState(invert + "[ a atom:Sequence ; rdf:value ( [ atom:frameTime 0 ] ) ]"),
        // Nodes that lead back to themselves.
        "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
        "_:s a pset:Preset ; lv2:appliesTo <" +
            std::string(kTestGainUri) + "> ; state:state _:s .",
        gainState(invert + "_:loop", "_:loop <urn:next> _:loop ."),
        gainState(invert + "[ a atom:Tuple ; rdf:value _:cell ]",
                  "_:cell rdf:first 1 ; rdf:rest _:cell ."),
        // Two states, a state for no plugin, names lilv's reader would drop.
        gainState("") + "<urn:other> a pset:Preset ; lv2:appliesTo <urn:x> .",
        "<urn:s> a pset:Preset ; lv2:appliesTo \"" + std::string(kTestGainUri) + "\" .",
        "<urn:s> a pset:Preset ; lv2:appliesTo <" + std::string(kTestGainUri) + "> ; foaf:x 1 .",
        "<s> a pset:Preset ; lv2:appliesTo <" + std::string(kTestGainUri) + "> .",
        // Text that does not end where Turtle ends it.
        gainState(invert + "\"unterminated ] ] ] ."),
    };
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    gain->setParameter(kGainPort, -3.0f);
    for (const std::string& text : hostile) {
        CapturingLogSink log;
        EXPECT_EQ(setState(*gain, EffectState{{{"gain", -20.0f}}, text, "Hostile"}),
                  kEffectInvalidPropertyValue)
            << text.substr(0, 300);
        EXPECT_EQ(log.lines(), std::vector<std::string>{
                                   std::string("Error: the saved state of ") + kTestGainUri +
                                   " could not be read; nothing was restored"});
    }
    EXPECT_EQ(gain->parameter(kGainPort), -3.0f);
    EXPECT_EQ(gain->presentPreset().name, "");
    EXPECT_NEAR(signedHalf(*this, *gain), 0.7079f, 1e-3f) << "the plugin runs on as it was";
}

TEST_F(Lv2State_, UnusualButReadableStateTextIsAccepted) {
    const std::string invert = "<http://pondra.invalid/test/gain#invert> true ; ";
    const std::vector<std::string> readable = {
        gainState(invert + "<urn:vector> [ a atom:Vector ; atom:childType atom:Float ;"
                           " rdf:value ( 1.0 2.5 -3.0 ) ]"),
        gainState(invert + "<urn:tuple> [ a atom:Tuple ; rdf:value ( 1 \"two\" <urn:three> ) ]"),
        gainState(invert + "<urn:object> [ <urn:a> [ <urn:b> 1 ] ; <urn:c> \"x\"@en ]"),
        gainState(invert + "<urn:events> [ a atom:Sequence ;"
                           " rdf:value ( [ atom:frameTime 0 ; rdf:value 1 ] ) ]"),
        gainState(invert + "<urn:shared> _:b , _:b", "_:b <urn:v> 1 ."),
        "# a comment with [ ( brackets\n" +
            gainState(invert + "<urn:text> \"\"\"long\n[ ( text\"\"\" , 'single ] ('"),
    };
    auto gain = make(kTestGainUri);
    ASSERT_EQ(prepare(*gain, 44100.0, 512, 1), kEffectNoErr);
    gain->setParameter(kGainPort, kHalfDb);
    for (const std::string& text : readable) {
        EXPECT_EQ(setState(*gain, EffectState{{}, text, ""}), kEffectNoErr) << text;
        EXPECT_NE(gain->state().pluginState.find("#invert> true"), std::string::npos);
    }
    EXPECT_NEAR(signedHalf(*this, *gain), -0.5f, 1e-4f);
}
