#include "foundation/KivHotKey.h"

#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

namespace {

KivKeyEvent keyEvent(std::uint16_t code, std::u16string characters, std::uint32_t flags = 0) {
    return KivKeyEvent{code, std::move(characters), flags, {}};
}

} // namespace

TEST(KivHotKey, RefusesKeysThatCannotBeHotKeys) {
    KivHotKey hotKey;
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_Q, u"q", KivKeyModifier::Ctrl)))
        << "Ctrl takes the place of Command";
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_ESC, u"\x1b", KivKeyModifier::Shift)));
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_UP, u"\uF700", KivKeyModifier::Function)));
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_RIGHT, u"\uF703")));
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_TAB, u"\t")));
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_ENTER, u"\r")));
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_LINEFEED, u"\n")));
    EXPECT_FALSE(hotKey.setFromKeyEvent(keyEvent(KEY_LEFTSHIFT, u"", KivKeyModifier::Shift)))
        << "an empty character is never a hot key";
    EXPECT_TRUE(hotKey.isEmpty()) << "a refused event changes nothing";
}

TEST(KivHotKey, TakesAFunctionKeyWithMeta) {
    KivHotKey hotKey;
    ASSERT_TRUE(hotKey.setFromKeyEvent(
        keyEvent(KEY_F5, u"\uF708",
                 KivKeyModifier::Meta | KivKeyModifier::Function | KivKeyModifier::CapsLock)));
    EXPECT_EQ(hotKey.keyCode(), KEY_F5);
    EXPECT_EQ(hotKey.keyCharacter(), u'\uF708');
    EXPECT_TRUE(hotKey.control());
    EXPECT_TRUE(hotKey.function());
    EXPECT_TRUE(hotKey.capsLock());
    EXPECT_FALSE(hotKey.shift());
    EXPECT_FALSE(hotKey.option());
    EXPECT_FALSE(hotKey.command());
    EXPECT_EQ(hotKey.displayString(), "\u2303F5");
}

TEST(KivHotKey, MatchesOnKeyCodeShiftMetaAndAlt) {
    KivHotKey hotKey;
    ASSERT_TRUE(hotKey.setFromKeyEvent(keyEvent(KEY_D, u"d", KivKeyModifier::Shift)));
    EXPECT_TRUE(hotKey.matchesKeyEvent(
        keyEvent(KEY_D, u"D", KivKeyModifier::Shift | KivKeyModifier::CapsLock)));
    EXPECT_TRUE(
        hotKey.matchesKeyEvent(keyEvent(KEY_D, u"x", KivKeyModifier::Shift | KivKeyModifier::Ctrl)))
        << "the character and Ctrl are not compared";
    EXPECT_FALSE(hotKey.matchesKeyEvent(keyEvent(KEY_D, u"d")));
    EXPECT_FALSE(hotKey.matchesKeyEvent(keyEvent(KEY_D, u"d", KivKeyModifier::CapsLock)));
    EXPECT_FALSE(
        hotKey.matchesKeyEvent(keyEvent(KEY_D, u"d", KivKeyModifier::Shift | KivKeyModifier::Alt)));
    EXPECT_FALSE(hotKey.matchesKeyEvent(
        keyEvent(KEY_D, u"d", KivKeyModifier::Shift | KivKeyModifier::Meta)));
    EXPECT_FALSE(hotKey.matchesKeyEvent(keyEvent(KEY_F, u"d", KivKeyModifier::Shift)));
}

TEST(KivHotKey, EmptyMatchesNothingAndShowsNothing) {
    const KivHotKey empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.matchesKeyEvent(keyEvent(0, u"")));
    EXPECT_EQ(empty.displayString(), "");
    EXPECT_EQ(empty.description(), "");
}

TEST(KivHotKey, SetEmptyClearsEveryField) {
    KivHotKey hotKey;
    hotKey.setKeyCode(KEY_D);
    hotKey.setKeyCharacter(u'd');
    hotKey.setAllFlags(true);
    ASSERT_FALSE(hotKey.isEmpty());
    hotKey.setEmpty();
    EXPECT_TRUE(hotKey.isEmpty());
    EXPECT_EQ(hotKey, KivHotKey());
    EXPECT_EQ(hotKey.descriptor(), KivHotKey().descriptor());
    EXPECT_FALSE(hotKey.matchesKeyEvent(keyEvent(KEY_D, u"d")));
}

TEST(KivHotKey, DisplayString) {
    const struct {
        char16_t character;
        const char* shown;
    } cases[] = {
        {u'a', "A"},        {u'\u00e9', "\u00c9"}, {8, "\u232B"},      {127, "\u232B"},
        {9, "Tab"},         {13, "Return"},        {32, "Space"},      {0xF700, "\u2191"},
        {0xF701, "\u2193"}, {0xF702, "\u2190"},    {0xF703, "\u2192"}, {0xF704, "F1"},
        {0xF712, "F15"},    {0xF728, "\u2326"},    {0xF729, "Home"},   {0xF72B, "End"},
        {0xF72C, "\u21DE"}, {0xF72D, "\u21DF"},    {u'[', "["},
    };
    for (const auto& c : cases) {
        KivHotKey hotKey;
        hotKey.setKeyCharacter(c.character);
        EXPECT_EQ(hotKey.displayString(), c.shown) << static_cast<int>(c.character);
    }
    KivHotKey all;
    all.setAllFlags(true);
    all.setKeyCharacter(u'x');
    EXPECT_EQ(all.displayString(), "\u21E7\u2303\u2325\u2318X")
        << "caps lock and function are never shown";
}

TEST(KivHotKey, Descriptor) {
    KivHotKey hotKey;
    hotKey.setKeyCode(KEY_LEFTBRACE);
    hotKey.setKeyCharacter(u'[');
    hotKey.setOption(true);
    const nlohmann::json descriptor = hotKey.descriptor();
    EXPECT_EQ(descriptor, (nlohmann::json{{"keyCode", 26},
                                          {"keyCharacter", 91},
                                          {"capsLock", false},
                                          {"shift", false},
                                          {"control", false},
                                          {"option", true},
                                          {"command", false},
                                          {"function", false}}));
    KivHotKey copy;
    copy.setDescriptor(descriptor);
    EXPECT_EQ(copy, hotKey);

    copy.setDescriptor(nullptr);
    copy.setDescriptor(nlohmann::json::object());
    copy.setDescriptor("not a dictionary");
    EXPECT_EQ(copy, hotKey) << "nothing to set changes nothing";

    copy.setDescriptor({{"keyCode", 30}});
    KivHotKey onlyCode;
    onlyCode.setKeyCode(30);
    EXPECT_EQ(copy, onlyCode) << "every other field is cleared";

    copy.setDescriptor({{"keyCode", 70000}, {"keyCharacter", -1}, {"shift", "yes"}});
    EXPECT_TRUE(copy.isEmpty()) << "values out of range are not wrapped into other keys";
}

TEST(KivHotKey, EqualityComparesAllEightFields) {
    KivHotKey a;
    a.setKeyCode(KEY_A);
    KivHotKey b = a;
    EXPECT_EQ(a, b);
    b.setFunction(true);
    EXPECT_NE(a, b);
    b.setFunction(false);
    b.setCapsLock(true);
    EXPECT_NE(a, b);
}

TEST(KivHotKey, ArchiveUsesTheGivenKeys) {
    KivHotKey hotKey;
    hotKey.setKeyCode(KEY_SPACE);
    hotKey.setKeyCharacter(u' ');
    hotKey.setShift(true);
    hotKey.setFunction(true);
    KivKeyedEncoder encoder;
    encoder.encodeObject(hotKey, "duck");
    const nlohmann::json& stored = encoder.storedForm()["duck"];
    EXPECT_EQ(stored["$class"], "KivHotKey");
    EXPECT_EQ(stored["JvActionKeyKeyCode"], KEY_SPACE);
    EXPECT_EQ(stored["JvActionKeyKeyCharacter"], 32);
    for (const char* key : {"JvActionKeyCapsLock", "JvActionKeyShift", "JvActionKeyControl",
                            "JvActionKeyOption", "JvActionKeyCommand", "JvActionKeyFunction"}) {
        EXPECT_TRUE(stored[key].is_boolean()) << key;
    }
    const auto decoder = KivKeyedDecoder::decoderForText(*encoder.archivedText());
    const auto decoded = decoder.decodeObjectForKey<KivHotKey>("duck");
    ASSERT_TRUE(decoded) << decoder.error();
    EXPECT_EQ(*decoded, hotKey);
}

TEST(KivHotKey, DecodingStartsFromAnEmptyHotKey) {
    const auto decoder = KivKeyedDecoder::decoderForText(
        R"({"k": {"$class": "KivHotKey", "JvActionKeyShift": true}})");
    const auto decoded = decoder.decodeObjectForKey<KivHotKey>("k");
    ASSERT_TRUE(decoded);
    KivHotKey expected;
    expected.setShift(true);
    EXPECT_EQ(*decoded, expected);
}
