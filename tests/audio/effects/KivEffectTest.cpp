#include "audio/EffectFixture.h"
#include "audio/MissingEffect.h"
#include "audio/effects/KivEffectMenu.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/NotificationCenter.h"
#include "platform/effects/EffectStatus.h"
#include "support/CapturingLogSink.h"
#include "support/FifoOpening.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace {

constexpr float kHalfGainDb = -6.0206f;

class KivEffectTest : public EffectFixture {
protected:
    // Peak of the last of eight 512-frame blocks of a full-scale 441 Hz sine
    // pulled through the effect, as the render path pulls it.
    float sinePeak(KivEffect& effect, double rate = 48000.0) {
        SineInput sine(rate);
        KivRenderInfo input;
        sine.registerRenderInfo(&input);
        EXPECT_TRUE(effect.setRenderCallback(input));
        KivRenderInfo output;
        effect.registerRenderInfo(&output);
        const auto before = renderThreadAllocations();
        const float result = pull(output, 1).front();
        EXPECT_EQ(renderThreadAllocations(), before);
        effect.clearRenderCallback();
        return result;
    }

    static std::uint32_t presetNumber(const KivEffect& effect, const std::string& name) {
        for (const EffectPreset& preset : effect.factoryPresets()) {
            if (preset.name == name) {
                return static_cast<std::uint32_t>(preset.number);
            }
        }
        ADD_FAILURE() << "no preset " << name;
        return 0;
    }
};

} // namespace

TEST_F(KivEffectTest, CatalogueListsTheTestPluginUnderItsMaker) {
    const auto effects =
        KivAudioComponentDescription::componentDescriptionsOfType(kKivComponentTypeEffect);
    EXPECT_NE(std::find(effects.begin(), effects.end(), gainDescription()), effects.end());
    const auto music =
        KivAudioComponentDescription::componentDescriptionsOfType(kKivComponentTypeMusicEffect);
    const KivAudioComponentDescription midi(kKivComponentTypeMusicEffect, 0, 0, 0, 0,
                                            kTestGainMidiUri);
    EXPECT_NE(std::find(music.begin(), music.end(), midi), music.end());

    auto gain = KivEffect::effectWithDescription(gainDescription());
    ASSERT_TRUE(gain);
    EXPECT_EQ(gain->manufacturer(), "Pondra Tests");
    EXPECT_EQ(gain->name(), "Test Gain");
    EXPECT_EQ(gain->displayName(), "Test Gain");

    std::vector<KivEffectGroup> storage;
    const auto menu = menuOfAllEffectsByManufacturer(&storage);
    ASSERT_TRUE(menu);
    const auto maker = std::find_if(menu->submenus.begin(), menu->submenus.end(),
                                    [](const auto& s) { return s.title == "Pondra Tests"; });
    ASSERT_NE(maker, menu->submenus.end());
    std::vector<std::string> titles;
    for (const auto& item : maker->items) {
        titles.push_back(item.title);
    }
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Test Gain", "Test Gain Controls", "Test Gain Narrow",
                                        "Test Gain Stereo", "Test Gain Widen", "Test Gain MIDI"}))
        << "effects first, music effects after, each in catalogue order";
}

TEST_F(KivEffectTest, GainOfMinusSixDecibelsHalvesASineAndBypassGivesUnity) {
    auto gain = placedEffect(kTestGainUri);
    ASSERT_TRUE(gain->setValueForParameter(kGainPort, kHalfGainDb));
    EXPECT_FLOAT_EQ(gain->valueForParameter(kGainPort), kHalfGainDb);
    EXPECT_NEAR(sinePeak(*gain), 0.5f, 1e-3f);

    gain->setEnabled(false);
    EXPECT_FALSE(gain->enabled());
    EXPECT_NEAR(sinePeak(*gain), 1.0f, 1e-3f);
    EXPECT_NEAR(gain->latency(), kTestGainLatencyFrames / 48000.0, 1e-9)
        << "bypassed through its own port, the plugin still delays";

    gain->setEnabled(true);
    EXPECT_NEAR(gain->latency(), kTestGainLatencyFrames / 48000.0, 1e-9);
    EXPECT_EQ(gain->tailTime(), 0.0);
}

TEST_F(KivEffectTest, FactoryPresetHalfAppliesAndTellsTheListeners) {
    auto gain = placedEffect(kTestGainUri);
    std::vector<std::uint32_t> heard;
    Connection listening =
        gain->parameterListeners().connect([&](std::uint32_t id) { heard.push_back(id); });
    ASSERT_TRUE(gain->setFactoryPreset(presetNumber(*gain, "Half"), "Half"));
    EXPECT_NEAR(gain->valueForParameter(kGainPort), kHalfGainDb, 1e-4f);
    EXPECT_EQ(gain->currentPresetName(), "Half");
    EXPECT_EQ(heard, std::vector<std::uint32_t>{kKivEffectAnyParameter});
    EXPECT_NEAR(sinePeak(*gain), 0.5f, 1e-3f);

    KivError error;
    EXPECT_FALSE(gain->setFactoryPreset(99, "None", &error));
    EXPECT_EQ(error.domain, "AudioUnitErrorDomain");
    EXPECT_EQ(error.code, kEffectInvalidPropertyValue);
    EXPECT_EQ(gain->currentPresetName(), "Half");
}

TEST_F(KivEffectTest, StateSurvivesReinstantiationAtAnotherRate) {
    auto gain = placedEffect(kTestGainUri, 44100.0);
    ASSERT_TRUE(gain->setValueForParameter(kGainPort, -12.0f));
    gain->setEnabled(false);
    gain->setCurrentPresetName("Mine");
    gain->setDisplayName("Quiet");
    gain->saveState();
    const nlohmann::json saved = gain->properties();
    EXPECT_EQ(saved["settings"]["parameters"]["gain"], -12.0f) << "keyed by port symbol";
    EXPECT_EQ(saved["enabled"], false);

    KivStream other(512);
    ASSERT_TRUE(other.create());
    ASSERT_TRUE(gain->removeFromStream());
    EXPECT_EQ(gain->properties(), saved) << "leaving the stream keeps what the unit held";

    ASSERT_TRUE(other.addEffect(*gain));
    ASSERT_TRUE(gain->restoreState());
    ASSERT_TRUE(gain->setStreamFormat(KivAudioStreamDescription(96000.0, 2)));
    ASSERT_TRUE(other.initialize());
    ASSERT_TRUE(gain->setParameters());
    EXPECT_FALSE(gain->hasPendingState());
    EXPECT_FLOAT_EQ(gain->valueForParameter(kGainPort), -12.0f);
    EXPECT_FALSE(gain->enabled());
    EXPECT_EQ(gain->currentPresetName(), "Mine");
    EXPECT_EQ(gain->displayName(), "Quiet");
    EXPECT_EQ(gain->unit()->processor().sampleRate(), 96000.0);
    EXPECT_EQ(gain->properties()["settings"], saved["settings"]);
}

TEST_F(KivEffectTest, PluginOwnStateTravelsAsText) {
    auto gain = placedEffect(kTestGainUri);
    nlohmann::json settings = gain->settings();
    ASSERT_TRUE(settings.contains("pluginState"));
    std::string text = settings["pluginState"];
    const auto at = text.find("#invert> false");
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, 14, "#invert> true");
    settings["pluginState"] = text;
    ASSERT_TRUE(gain->setSettings(settings));
    EXPECT_LT(gain->unit()->processor().state().pluginState.find("#invert> true"),
              std::string::npos);

    KivError error;
    settings["pluginState"] = "not a state";
    EXPECT_FALSE(gain->setSettings(settings, &error));
    EXPECT_EQ(error.code, kEffectInvalidPropertyValue);
    settings["parameters"] = "loud";
    EXPECT_FALSE(gain->setSettings(settings, &error));
    EXPECT_EQ(error.code, kEffectInvalidPropertyValue);
}

TEST_F(KivEffectTest, AnArchivedEffectOfAMissingPluginRoundTripsUnchanged) {
    const nlohmann::json state = missingPluginState();
    KivKeyedEncoder first;
    {
        KivError error;
        auto effect = KivEffect::effectWithProperties(state, &error);
        ASSERT_TRUE(effect) << "a missing plugin must not drop the effect";
        EXPECT_EQ(error.domain, "KivEffectErrorDomain");
        EXPECT_EQ(error.code, -2005);
        EXPECT_FALSE(effect->isAvailable());
        EXPECT_EQ(effect->manufacturer(), "Gone Audio");
        EXPECT_EQ(effect->displayName(), "Hall");
        EXPECT_FALSE(effect->enabled());

        // Placing it fails and changes nothing; neither does applying or saving.
        KivError placing;
        EXPECT_FALSE(stream.addEffect(*effect, &placing));
        EXPECT_EQ(placing.domain, "AUGraphErrorDomain");
        EXPECT_FALSE(effect->setParameters());
        effect->saveState();
        EXPECT_EQ(effect->properties(), state);
        EXPECT_EQ(effect->copy()->properties(), state);
        first.encodeObject(*effect, "effect");
    }
    auto text = first.archivedText();
    ASSERT_TRUE(text);
    const auto decoder = KivKeyedDecoder::decoderForText(*text);
    auto decoded = decoder.decodeObjectForKey<KivEffect>("effect");
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoder.failed()) << decoder.error();
    EXPECT_EQ(decoded->properties(), state);
    KivKeyedEncoder second;
    second.encodeObject(*decoded, "effect");
    EXPECT_EQ(second.archivedText(), text);
}

TEST_F(KivEffectTest, AStateWaitingForItsUnitIsNeverReplacedByTheUnitsDefaults) {
    auto gain = KivEffect::effectWithDescription(gainDescription());
    nlohmann::json state = gain->properties();
    state["settings"] = {{"parameters", {{"gain", -20.0}}}};
    state["enabled"] = false;
    ASSERT_TRUE(gain->setProperties(state));

    ASSERT_TRUE(stream.addEffect(*gain));
    gain->saveState();
    EXPECT_EQ(gain->properties(), state) << "saved before the state was applied";
    KivKeyedEncoder encoder;
    encoder.encodeObject(*gain, "effect");
    EXPECT_EQ(encoder.storedForm()["effect"]["state"]["settings"]["parameters"]["gain"], -20.0);

    ASSERT_TRUE(gain->setStreamFormat(KivAudioStreamDescription(48000.0, 1)));
    ASSERT_TRUE(stream.initialize());
    ASSERT_TRUE(gain->setParameters());
    EXPECT_FLOAT_EQ(gain->valueForParameter(kGainPort), -20.0f);
    EXPECT_FALSE(gain->enabled());
}

TEST_F(KivEffectTest, AStateTheUnitRefusesLeavesABypassedPlaceholderSavedUnchanged) {
    auto gain = KivEffect::effectWithDescription(gainDescription());
    nlohmann::json state = gain->properties();
    // Valid RDF that holds no state: lilv itself would follow a null pointer.
    state["settings"] = {{"parameters", {{"gain", -20.0}}},
                         {"pluginState", "<urn:a> <urn:b> <urn:c> ."},
                         {"presetName", "Hostile"}};
    ASSERT_TRUE(gain->setProperties(state));
    ASSERT_TRUE(stream.addEffect(*gain));
    ASSERT_TRUE(gain->setStreamFormat(KivAudioStreamDescription(48000.0, 1)));
    ASSERT_TRUE(stream.initialize());

    CapturingLogSink log;
    KivError error;
    EXPECT_FALSE(gain->setParameters(&error));
    EXPECT_EQ(error.code, kEffectInvalidPropertyValue);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"Error: the saved state of " + std::string(kTestGainUri) +
                                       " could not be read; nothing was restored"});
    EXPECT_TRUE(gain->unit()->processor().bypassed());
    EXPECT_NEAR(sinePeak(*gain), 1.0f, 1e-3f) << "left out of the sound";
    gain->saveState();
    EXPECT_EQ(gain->properties(), state) << "saved back as it came";
}

TEST_F(KivEffectTest, BypassChosenBeforeTheEffectIsPlacedIsKept) {
    auto gain = KivEffect::effectWithDescription(gainDescription());
    gain->setEnabled(false);
    EXPECT_FALSE(gain->enabled());
    EXPECT_EQ(gain->properties()["enabled"], false);

    ASSERT_TRUE(stream.addEffect(*gain));
    ASSERT_TRUE(stream.initialize());
    ASSERT_TRUE(gain->setParameters());
    EXPECT_TRUE(gain->unit()->processor().bypassed());
}

TEST_F(KivEffectTest, DestroyingTheStreamKeepsTheEffectsSettings) {
    auto gain = placedEffect(kTestGainUri);
    ASSERT_TRUE(gain->setValueForParameter(kGainPort, -9.0f));
    stream.destroy();
    EXPECT_EQ(gain->stream(), nullptr);
    EXPECT_EQ(gain->properties()["settings"]["parameters"]["gain"], -9.0f);
}

TEST_F(KivEffectTest, AStateWithoutEnabledEnablesTheEffect) {
    auto gain = placedEffect(kTestGainUri);
    gain->setEnabled(false);
    nlohmann::json state = gain->properties();
    state.erase("enabled");
    ASSERT_TRUE(gain->setProperties(state));
    ASSERT_TRUE(gain->setParameters());
    EXPECT_TRUE(gain->enabled());
}

TEST_F(KivEffectTest, BypassChangesAreAnnouncedOnceAndOnlyOnChange) {
    auto gain = placedEffect(kTestGainUri);
    int posts = 0;
    Connection observing = NotificationCenter::defaultCenter().addObserver(
        "bypassChanged", nullptr, [&](const Notification&) { ++posts; });
    gain->setEnabled(true);
    EXPECT_EQ(posts, 0);
    gain->setEnabled(false);
    gain->setEnabled(false);
    EXPECT_EQ(posts, 1);
}

TEST_F(KivEffectTest, UserPresetFilesLoadOrAreRefusedWithTheirTexts) {
    auto gain = placedEffect(kTestGainUri);
    const auto folder =
        std::filesystem::temp_directory_path() / ("pondra-presets-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto good = folder / "Soft.aupreset";
    std::ofstream(good) << R"({"parameters": {"gain": -6.0206}})";
    const auto bad = folder / "Broken.aupreset";
    std::ofstream(bad) << "{\"parameters\": ";

    ASSERT_TRUE(gain->setUserPreset(good.string()));
    EXPECT_NEAR(gain->valueForParameter(kGainPort), kHalfGainDb, 1e-4f);
    EXPECT_EQ(gain->currentPresetName(), "Soft");

    for (const auto& refused : {bad, folder / "Absent.aupreset"}) {
        KivError error;
        EXPECT_FALSE(gain->setUserPreset(refused.string(), &error));
        EXPECT_EQ(error.description, "The preset could not be loaded");
        EXPECT_EQ(error.informativeText, "Either the preset was not meant for this Audio Unit or "
                                         "the preset file is corrupted.");
        EXPECT_EQ(gain->currentPresetName(), "Soft");
    }
    // A FIFO in a preset's place is refused at once, not waited on.
    const auto fifo = folder / "Fifo.aupreset";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    bool loaded = true;
    EXPECT_TRUE(returnsWithoutAWriter(fifo, [&] { loaded = gain->setUserPreset(fifo.string()); }));
    EXPECT_FALSE(loaded);
    std::filesystem::remove_all(folder);
}

TEST_F(KivEffectTest, PresetFilesOfAnotherPluginAreRefusedAndChangeNothing) {
    auto gain = placedEffect(kTestGainUri);
    ASSERT_TRUE(gain->setValueForParameter(kGainPort, -3.0f));
    gain->setCurrentPresetName("Mine");
    const auto folder =
        std::filesystem::temp_directory_path() / ("pondra-foreign-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto foreign = folder / "Echo.aupreset";
    std::ofstream(foreign) << R"({"parameters": {"gain": 6.0, "feedback": 0.5}})";
    const auto empty = folder / "Empty.aupreset";
    std::ofstream(empty) << R"({"presetName": "Empty"})";

    for (const auto& refused : {foreign, empty}) {
        KivError error;
        EXPECT_FALSE(gain->setUserPreset(refused.string(), &error)) << refused;
        EXPECT_EQ(error.description, "The preset could not be loaded");
        EXPECT_EQ(gain->valueForParameter(kGainPort), -3.0f);
        EXPECT_EQ(gain->currentPresetName(), "Mine");
    }
    std::filesystem::remove_all(folder);
}

TEST_F(KivEffectTest, AFormatRetryThatSucceedsReportsNoError) {
    auto gain = placedEffect(kTestGainUri, 48000.0, 1);
    ASSERT_TRUE(stream.start());
    ASSERT_TRUE(gain->unit()->isInitialized());
    KivError error{"AudioUnitErrorDomain", -10849, "", ""};
    EXPECT_TRUE(gain->setInputStreamFormat(KivAudioStreamDescription(48000.0, 2), &error));
    EXPECT_FALSE(error) << error.code;
    EXPECT_TRUE(gain->setOutputStreamFormat(KivAudioStreamDescription(48000.0, 2), &error));
    EXPECT_FALSE(error) << error.code;
    EXPECT_EQ(gain->unit()->processor().channels(), 2u);
    EXPECT_TRUE(stream.isRunning());
}

TEST_F(KivEffectTest, ParameterWritesTakeNoLockTheRenderThreadHolds) {
    auto gain = placedEffect(kTestGainUri);
    std::promise<void> holding;
    std::promise<void> release;
    std::thread render([&] {
        KivStreamLock lock(stream);
        holding.set_value();
        release.get_future().wait();
    });
    holding.get_future().wait();
    // Were the write to wait for the render lock, this would never return.
    EXPECT_TRUE(gain->setValueForParameter(kGainPort, kHalfGainDb));
    gain->setEnabled(false);
    release.set_value();
    render.join();
    EXPECT_FLOAT_EQ(gain->unit()->processor().parameter(kGainPort), kHalfGainDb);
    EXPECT_TRUE(gain->unit()->processor().bypassed());
}

TEST_F(KivEffectTest, CopiesAreNewEffectsWithTheSameSettings) {
    auto gain = placedEffect(kTestGainUri);
    ASSERT_TRUE(gain->setValueForParameter(kGainPort, -3.0f));
    auto copy = gain->copy();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, gain);
    EXPECT_EQ(copy->stream(), nullptr);
    EXPECT_EQ(copy->componentDescription(), gain->componentDescription());
    EXPECT_EQ(copy->properties()["settings"]["parameters"]["gain"], -3.0f);
}

TEST_F(KivEffectTest, OutsideAStreamAnEffectRendersSilence) {
    auto gain = KivEffect::effectWithDescription(gainDescription());
    std::vector<float> samples(64, 1.0f);
    float* channels[] = {samples.data()};
    KivRenderFlags flags = 0;
    ScopedThreadRole role(ThreadRole::Render);
    EXPECT_EQ(gain->render(flags, {}, 0, AudioChannels{channels, 1, 64}), kEffectUninitialized);
    EXPECT_EQ(peak(samples), 0.0f);
}

TEST_F(KivEffectTest, ParameterTitlesFallBackToTheirNumber) {
    auto gain = placedEffect(kTestGainUri);
    EXPECT_EQ(gain->titleOfParameter(kGainPort), "Gain");
    KivError error;
    EXPECT_EQ(gain->titleOfParameter(41, &error), "Parameter #42");
    EXPECT_EQ(error.code, kEffectInvalidParameter);
}

namespace {

// An editor window the test can see into.
class TestEditorWindow : public KivEffectEditorWindow {
public:
    bool isVisible() const override { return visible; }
    std::string frameText() const override { return frame; }
    void setFrameText(const std::string& text) override { frame = text; }
    void show() override { visible = true; }
    void close() override { visible = false; }

    bool visible = true;
    std::string frame = "{{0, 0}, {302, 136}}";
};

class KivEffectEditorTest : public KivEffectTest {
protected:
    void SetUp() override {
        KivEffectTest::SetUp();
        setEffectEditorFactory([this](KivEffect&) {
            auto window = std::make_unique<TestEditorWindow>();
            ++opened;
            return window;
        });
    }
    void TearDown() override {
        setEffectEditorFactory(nullptr);
        KivEffectTest::TearDown();
    }
    int opened = 0;
};

} // namespace

TEST_F(KivEffectEditorTest, EditorKeysAreSavedAndReapplied) {
    auto gain = placedEffect(kTestGainUri);
    gain->openEditor();
    gain->openEditor();
    EXPECT_EQ(opened, 1) << "an open editor is shown again, not made again";
    ASSERT_TRUE(gain->editorIsOpen());
    static_cast<TestEditorWindow*>(gain->editor())->frame = "{{40, 50}, {302, 136}}";
    nlohmann::json state = gain->properties();
    EXPECT_EQ(state["editorIsOpen"], true);

    gain->closeEditor();
    EXPECT_FALSE(gain->editorIsOpen());
    EXPECT_EQ(gain->properties()["lastEditorFrame"], "{{40, 50}, {302, 136}}");

    ASSERT_TRUE(gain->setProperties(state));
    ASSERT_TRUE(gain->setParameters());
    ASSERT_TRUE(gain->editorIsOpen());
    EXPECT_EQ(gain->editor()->frameText(), "{{40, 50}, {302, 136}}");
}

TEST_F(KivEffectEditorTest, AnEffectWithoutAUnitOpensNoEditor) {
    auto gain = KivEffect::effectWithDescription(gainDescription());
    CapturingLogSink log;
    gain->openEditor();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Warning: could not open editor for Test Gain; "
                                                    "effect could not be initialized."});
}

TEST_F(KivEffectTest, FormatsAndChannelsAreThoseOfTheUnitsBus) {
    auto stereo = KivEffect::effectWithDescription(gainDescription(kTestGainStereoUri));
    ASSERT_TRUE(stereo);
    EXPECT_FALSE(stereo->inputStreamFormat()) << "no unit outside a stream";
    EXPECT_FALSE(stereo->outputStreamFormat());
    EXPECT_EQ(stereo->inputChannels(), 0u);
    EXPECT_EQ(stereo->outputChannels(), 0u);

    ASSERT_TRUE(stream.addEffect(*stereo));
    EXPECT_EQ(stereo->inputChannels(), 2u) << "before any write, the plugin's own count";
    EXPECT_EQ(stereo->outputChannels(), 2u);
    const KivAudioStreamDescription two(44100.0, 2);
    ASSERT_TRUE(stereo->setStreamFormat(two));
    EXPECT_EQ(stereo->inputStreamFormat(), two);
    EXPECT_EQ(stereo->outputStreamFormat(), two);

    KivError error;
    EXPECT_FALSE(stereo->setInputStreamFormat(KivAudioStreamDescription(44100.0, 3), &error));
    EXPECT_EQ(error.code, kEffectFormatNotSupported);
    EXPECT_EQ(stereo->inputStreamFormat(), two) << "a refused format leaves the one it had";

    // A plugin run once per channel takes any count, each side on its own.
    auto mono = placedEffect(kTestGainUri, 48000.0, 1);
    ASSERT_TRUE(mono->setInputStreamFormat(KivAudioStreamDescription(48000.0, 6)));
    EXPECT_EQ(mono->inputChannels(), 6u);
    EXPECT_EQ(mono->outputChannels(), 1u);
    EXPECT_EQ(mono->outputStreamFormat()->sampleRate(), 48000.0);

    ASSERT_TRUE(stream.removeEffect(stereo.get()));
    EXPECT_FALSE(stereo->inputStreamFormat());
    EXPECT_EQ(stereo->outputChannels(), 0u);
}

TEST_F(KivEffectTest, ConnectToOutputOfFeedsThisEffectFromTheOther) {
    auto first = placedEffect(kTestGainUri);
    auto second = placedEffect(kTestGainUri);
    ASSERT_TRUE(first->setValueForParameter(kGainPort, kHalfGainDb));
    ASSERT_TRUE(second->setValueForParameter(kGainPort, kHalfGainDb));
    SineInput sine(48000.0);
    KivRenderInfo input;
    sine.registerRenderInfo(&input);
    ASSERT_TRUE(first->setRenderCallback(input));

    ASSERT_TRUE(second->connectToOutputOf(*first));
    EXPECT_EQ(second->unit()->input().target, static_cast<KivAudioRendering*>(first->unit()));
    EXPECT_FALSE(first->unit()->input().target == second->unit()) << "only one way round";
    KivRenderInfo output;
    second->registerRenderInfo(&output);
    EXPECT_NEAR(pull(output, 1).front(), 0.25f, 1e-3f) << "both halvings, once each";

    // An effect of no stream cannot be fed from one in a stream.
    auto loose = KivEffect::effectWithDescription(gainDescription());
    CapturingLogSink log;
    KivError error;
    EXPECT_FALSE(loose->connectToOutputOf(*first, &error));
    EXPECT_EQ(error.domain, "AUGraphErrorDomain");
    EXPECT_EQ(error.code, KivStream::kNodeNotFound);
    EXPECT_EQ(log.lines().size(), 1u) << "the failure is logged at once";
}

TEST_F(KivEffectEditorTest, AnEffectThatCannotTakeItsChainsChannelsOpensItsEditorToSaySo) {
    auto stereo = KivEffect::effectWithDescription(gainDescription(kTestGainStereoUri));
    ASSERT_TRUE(stream.addEffect(*stereo));
    ASSERT_FALSE(stereo->setStreamFormat(KivAudioStreamDescription(48000.0, 6)));
    ASSERT_TRUE(stream.initialize());
    ASSERT_TRUE(stereo->unit());

    // Uninitialized for another reason, no editor opens.
    stereo->unit()->uninitialize();
    CapturingLogSink log;
    stereo->openEditor();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(log.lines().size(), 1u);

    stereo->setRefusedChannels(6);
    stereo->openEditor();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(stereo->editorIsOpen());
}
