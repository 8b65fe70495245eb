#include "CueFixture.h"
#include "audio/MissingEffect.h"
#include "audio/effects/KivEffect.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "support/CapturingLogSink.h"

#include <set>

namespace {

nlohmann::json storedCue(const AudioCue& cue) {
    KivKeyedEncoder encoder;
    encoder.encodeObject(cue, "cue");
    EXPECT_FALSE(encoder.failed()) << encoder.error();
    return encoder.storedForm()["cue"];
}

// Decodes {"cue": stored}; the error is empty when the archive was usable.
std::shared_ptr<AudioCue> decoded(const nlohmann::json& stored, std::string& error) {
    KivKeyedDecoder decoder(nlohmann::json{{"cue", stored}});
    auto cue = decoder.decodeObjectForKey<AudioCue>("cue");
    error = decoder.error();
    return cue;
}

} // namespace

class AudioCueArchive : public CueFixture {
protected:
    // A cue with every archived setting away from its default.
    std::shared_ptr<AudioCue> dressedCue() {
        auto cue = silentCue("Storm");
        cue->setName("Big Storm");
        cue->setDocumentPath("Media/Storm.wav");
        cue->setHotkey("s");
        cue->setVolume(0.5f);
        cue->setHold(true);
        cue->setLoops(true);
        cue->setSolo(true);
        cue->setDucking(true);
        cue->setDead(true);
        cue->setColor(PondraColor::redColor());
        cue->setMidiTrigger(MidiTrigger{0x90, 61, 7});
        cue->setEndTime(5.0);
        cue->setStartTime(1.5);
        cue->setFlagged(true);
        cue->addEffect(KivEffect::effectWithProperties(missingPluginState()));
        return cue;
    }

    static void expectSameSettings(const AudioCue& a, const AudioCue& b) {
        EXPECT_EQ(a.file(), b.file());
        EXPECT_EQ(a.name(), b.name());
        EXPECT_EQ(a.documentPath(), b.documentPath());
        EXPECT_EQ(a.hotkey(), b.hotkey());
        EXPECT_EQ(a.volume(), b.volume());
        EXPECT_EQ(a.hold(), b.hold());
        EXPECT_EQ(a.loops(), b.loops());
        EXPECT_EQ(a.solo(), b.solo());
        EXPECT_EQ(a.ducking(), b.ducking());
        EXPECT_EQ(a.dead(), b.dead());
        EXPECT_EQ(a.color().name(), b.color().name());
        EXPECT_EQ(a.midiTrigger(), b.midiTrigger());
        EXPECT_EQ(a.startTime(), b.startTime());
        EXPECT_EQ(a.endTime(), b.endTime());
        ASSERT_EQ(a.effects().size(), b.effects().size());
        for (std::size_t i = 0; i < a.effects().size(); ++i) {
            EXPECT_EQ(a.effects()[i]->properties(), b.effects()[i]->properties());
        }
    }
};

TEST_F(AudioCueArchive, WritesExactlyTheCuesKeys) {
    const auto stored = storedCue(*dressedCue());
    std::set<std::string> keys;
    for (const auto& [key, value] : stored.items()) {
        keys.insert(key);
    }
    const std::set<std::string> expected = {
        "$class",      "file",      "name",    "documentPath", "hotkey", "volume",
        "hold",        "loops",     "solo",    "ducking",      "dead",   "color",
        "midiTrigger", "startTime", "endTime", "flagged",      "effects"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(stored["$class"], "PondraCue");
    // The missing plugin's dictionary reads back unchanged.
    const KivKeyedDecoder effects(nlohmann::json{{"effects", stored["effects"]}});
    EXPECT_EQ(effects.decodeValueForKey("effects")[0], missingPluginState());

    // Without a document path or a trigger those keys are absent.
    const auto plain = storedCue(*silentCue());
    EXPECT_FALSE(plain.contains("documentPath"));
    EXPECT_FALSE(plain.contains("midiTrigger"));
}

TEST_F(AudioCueArchive, RoundTripKeepsEverySettingAndMarksTheCueSaved) {
    auto cue = dressedCue();
    std::string error;
    auto back = decoded(storedCue(*cue), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(error, "");
    expectSameSettings(*cue, *back);
    EXPECT_TRUE(back->flagged());
    EXPECT_TRUE(back->saved());
    EXPECT_FALSE(cue->saved());
    // The effect of a missing plugin survives, and still saves its dictionary.
    EXPECT_EQ(back->effects()[0]->properties(), missingPluginState());
}

TEST_F(AudioCueArchive, PasteboardCarriesTheArchivedCue) {
    auto cue = dressedCue();
    const auto data = cue->pasteboardData();
    ASSERT_FALSE(data.empty());
    const auto text = std::string(data.begin(), data.end());
    EXPECT_NE(text.find("\"PondraCue\""), std::string::npos);
    auto pasted = AudioCue::cueFromPasteboardData(data);
    ASSERT_TRUE(pasted);
    expectSameSettings(*cue, *pasted);
    EXPECT_NE(pasted.get(), cue.get());

    const std::string junk = "{\"root\": 3}";
    EXPECT_FALSE(AudioCue::cueFromPasteboardData({junk.begin(), junk.end()}));
    EXPECT_FALSE(AudioCue::cueFromPasteboardData({}));
}

TEST_F(AudioCueArchive, MissingColourGivesTheDefaultAndHotkeysAreParsedAgain) {
    auto stored = storedCue(*dressedCue());
    stored.erase("color");
    stored["hotkey"] = " xyz";
    std::string error;
    auto back = decoded(stored, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->color().name(), PondraColor::defaultColor().name());
    EXPECT_EQ(back->hotkey(), "X");
}

TEST_F(AudioCueArchive, BadValuesAreRefused) {
    const auto good = storedCue(*dressedCue());
    const std::vector<std::pair<const char*, nlohmann::json>> bad = {
        {"midiTrigger", nlohmann::json::binary({0x90, 60})},
        {"midiTrigger", nlohmann::json::binary({0x90, 60, 1, 2})},
        {"volume", -1.0},
        {"startTime", -2.0},
        {"endTime", -1.0},
        {"effects", "reverb"},
    };
    for (const auto& [key, value] : bad) {
        auto stored = good;
        stored[key] = value;
        std::string error;
        EXPECT_FALSE(decoded(stored, error)) << key;
        EXPECT_NE(error.find(key), std::string::npos) << error;
    }
}

TEST_F(AudioCueArchive, CopyHasItsOwnEffectsOnItsOwnSource) {
    auto cue = dressedCue();
    cue->setFlagged(true);
    auto copy = cue->copy();
    ASSERT_TRUE(copy);
    expectSameSettings(*cue, *copy);
    EXPECT_FALSE(copy->flagged());
    EXPECT_NE(copy->audioSource(), cue->audioSource());
    ASSERT_EQ(copy->effects().size(), 1u);
    EXPECT_NE(copy->effects()[0], cue->effects()[0]);
    EXPECT_EQ(copy->audioSource()->effects(), copy->effects());
    EXPECT_EQ(cue->audioSource()->effects(), cue->effects());
}

TEST_F(AudioCueArchive, ACueBeyondItsBoundsIsRefusedBeforeItsEffectsAreMade) {
    const auto good = storedCue(*dressedCue());
    CapturingLogSink log;
    // A hundred thousand empty effect entries: refused whole, with no line per entry.
    auto many = good;
    many["effects"] = nlohmann::json::array();
    for (int entry = 0; entry < 100'000; ++entry) {
        many["effects"].push_back(nlohmann::json::object());
    }
    std::string error;
    EXPECT_FALSE(decoded(many, error));
    EXPECT_NE(error.find("more than 64 effects"), std::string::npos) << error;
    EXPECT_LT(log.lines().size(), 4u);

    // As many as a cue may hold still decode; the entries that describe no
    // effect are told in one line.
    auto most = good;
    most["effects"] = nlohmann::json::array();
    for (std::size_t entry = 0; entry < AudioCue::kMaximumEffects; ++entry) {
        most["effects"].push_back(nlohmann::json::object());
    }
    const std::size_t before = log.lines().size();
    ASSERT_TRUE(decoded(most, error)) << error;
    EXPECT_LE(log.lines().size() - before, 3u);
    EXPECT_NE(log.lines().back().find("skips 64 effect entries"), std::string::npos);

    for (const auto& [key, size] : std::vector<std::pair<const char*, std::size_t>>{
             {"name", Cue::kMaximumNameSize},
             {"file", AudioCue::kMaximumPathSize},
             {"documentPath", AudioCue::kMaximumPathSize},
             {"hotkey", AudioCue::kMaximumHotkeySize}}) {
        auto stored = good;
        stored[key] = std::string(size, 'a');
        EXPECT_TRUE(decoded(stored, error)) << key << ": " << error;
        stored[key] = std::string(size + 1, 'a');
        EXPECT_FALSE(decoded(stored, error)) << key;
        EXPECT_NE(error.find(key), std::string::npos) << error;
    }
}

TEST_F(AudioCueArchive, PasteboardDataPastItsSizeIsRefusedUnread) {
    std::string text = "{\"root\":{\"$class\":\"PondraCue\",\"name\":\"";
    text += std::string(AudioCue::kMaximumPasteboardSize, 'x');
    text += "\"}}";
    std::string problem;
    EXPECT_FALSE(AudioCue::cueFromPasteboardData({text.begin(), text.end()}, &problem));
    EXPECT_EQ(problem, "it is larger than 4 MB");
}
