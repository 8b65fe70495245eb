#include "foundation/KivHotKey.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivNSCoder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

// A small stand-in for the document's classes: a cart holding cues in a
// dictionary keyed by index, an array of cues, and values of every kind.
struct TestCue : KivArchivable {
    std::string name;
    double startTime = 0.0;
    float volume = 1.0f;
    std::int64_t frames = 0;
    bool hold = false;
    std::vector<std::uint8_t> midiTrigger;
    nlohmann::json effects = nlohmann::json::array();
    std::shared_ptr<TestCue> child;

    void encodeWithCoder(KivKeyedEncoder& coder) const override {
        coder.encodeString(name, "name");
        coder.encodeDouble(startTime, "startTime");
        coder.encodeFloat(volume, "volume");
        coder.encodeInt64(frames, "frames");
        coder.encodeBool(hold, "hold");
        coder.encodeBytes(midiTrigger, "midiTrigger");
        coder.encodeValue(effects, "effects");
        coder.encodeObject(child, "child");
    }
    static std::shared_ptr<TestCue> initWithCoder(const KivKeyedDecoder& coder) {
        auto cue = std::make_shared<TestCue>();
        cue->name = coder.decodeStringForKey("name");
        cue->startTime = coder.decodeDoubleForKey("startTime");
        cue->volume = coder.decodeFloatForKey("volume");
        cue->frames = coder.decodeInt64ForKey("frames");
        cue->hold = coder.decodeBoolForKey("hold");
        cue->midiTrigger = coder.decodeBytesForKey("midiTrigger");
        cue->effects = coder.decodeValueForKey("effects");
        cue->child = coder.decodeObjectForKey<TestCue>("child");
        return cue;
    }
};

struct TestCart : KivArchivable {
    std::string name;
    std::map<std::int64_t, std::shared_ptr<TestCue>> cues;
    std::vector<std::shared_ptr<TestCue>> order;
    std::shared_ptr<KivHotKey> hotKey;

    void encodeWithCoder(KivKeyedEncoder& coder) const override {
        coder.encodeString(name, "name");
        coder.encodeObjects(cues, "cues");
        coder.encodeObjects(order, "order");
        coder.encodeObject(hotKey, "hotKey");
    }
    static std::shared_ptr<TestCart> initWithCoder(const KivKeyedDecoder& coder) {
        auto cart = std::make_shared<TestCart>();
        cart->name = coder.decodeStringForKey("name");
        cart->cues = coder.decodeObjectDictionaryForKey<TestCue>("cues");
        cart->order = coder.decodeObjectArrayForKey<TestCue>("order");
        cart->hotKey = coder.decodeObjectForKey<KivHotKey>("hotKey");
        return cart;
    }
};

// Refers to itself, so that encoding it can only end at the nesting limit.
struct TestLoop : KivArchivable {
    std::shared_ptr<TestLoop> next;
    void encodeWithCoder(KivKeyedEncoder& coder) const override {
        coder.encodeObject(next, "next");
    }
    static std::shared_ptr<TestLoop> initWithCoder(const KivKeyedDecoder& coder) {
        auto loop = std::make_shared<TestLoop>();
        loop->next = coder.decodeObjectForKey<TestLoop>("next");
        return loop;
    }
};

KivClassRegistry& testRegistry() {
    static KivClassRegistry registry;
    static const bool registered = [] {
        registry.registerClass<TestCue>("PondraCue");
        registry.registerClass<TestCart>("Pondra");
        registry.registerClass<TestLoop>("TestLoop");
        registry.registerClass<KivHotKey>("KivHotKey");
        return true;
    }();
    (void)registered;
    return registry;
}

std::uint64_t bits(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

std::shared_ptr<TestCue> makeCue(std::string name, double start) {
    auto cue = std::make_shared<TestCue>();
    cue->name = std::move(name);
    cue->startTime = start;
    cue->volume = 0.15f;
    cue->frames = std::numeric_limits<std::int64_t>::min();
    cue->hold = true;
    cue->midiTrigger = {0x90, 0x3C, 0x00};
    cue->effects =
        nlohmann::json::array({{{"class", "KivEffect"},
                                {"component", nlohmann::json::binary({0, 1, 2, 0xff, 0xfe})},
                                {"enabled", true},
                                {"settings", {{"$weird", {1.5, -0.0, "x"}}, {"gain", 0.1}}}}});
    return cue;
}

KivKeyedDecoder roundTrip(const KivKeyedEncoder& encoder) {
    const auto text = encoder.archivedText();
    EXPECT_TRUE(text.has_value()) << encoder.error();
    return KivKeyedDecoder::decoderForText(text.value_or(""), testRegistry());
}

std::string decodeError(std::string_view text) {
    auto decoder = KivKeyedDecoder::decoderForText(text, testRegistry());
    (void)decoder.decodeObjectForKey<TestCart>("cart");
    return decoder.error();
}

} // namespace

TEST(KivKeyedCoder, ScalarsRoundTripExactly) {
    const double doubles[] = {-0.0,
                              0.1,
                              1.0 / 3.0,
                              std::numeric_limits<double>::denorm_min(),
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(),
                              65.5,
                              1e300,
                              5.0};
    KivKeyedEncoder encoder(testRegistry());
    for (std::size_t i = 0; i < std::size(doubles); ++i) {
        encoder.encodeDouble(doubles[i], "d" + std::to_string(i));
    }
    encoder.encodeFloat(-0.0f, "negativeZeroFloat");
    encoder.encodeFloat(0.15f, "float");
    encoder.encodeFloat(std::numeric_limits<float>::max(), "maxFloat");
    encoder.encodeInt64(std::numeric_limits<std::int64_t>::min(), "min64");
    encoder.encodeInt64(std::numeric_limits<std::int64_t>::max(), "max64");
    encoder.encodeInt32(std::numeric_limits<std::int32_t>::min(), "min32");
    encoder.encodeBool(true, "yes");
    encoder.encodeBool(false, "no");
    encoder.encodeString("Cart 1 \xE2\x80\x94 \xF0\x9F\x8E\xB5 \"quoted\"\n", "name");
    std::vector<std::uint8_t> allBytes(256);
    for (int i = 0; i < 256; ++i) {
        allBytes[i] = static_cast<std::uint8_t>(i);
    }
    encoder.encodeBytes(allBytes, "bytes");
    encoder.encodeBytes({}, "empty");

    const auto decoder = roundTrip(encoder);
    for (std::size_t i = 0; i < std::size(doubles); ++i) {
        EXPECT_EQ(bits(decoder.decodeDoubleForKey("d" + std::to_string(i))), bits(doubles[i]))
            << doubles[i];
    }
    EXPECT_TRUE(std::signbit(decoder.decodeFloatForKey("negativeZeroFloat")));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(decoder.decodeFloatForKey("float")),
              std::bit_cast<std::uint32_t>(0.15f));
    EXPECT_EQ(decoder.decodeFloatForKey("maxFloat"), std::numeric_limits<float>::max());
    EXPECT_EQ(decoder.decodeInt64ForKey("min64"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(decoder.decodeInt64ForKey("max64"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(decoder.decodeInt32ForKey("min32"), std::numeric_limits<std::int32_t>::min());
    EXPECT_TRUE(decoder.decodeBoolForKey("yes"));
    EXPECT_FALSE(decoder.decodeBoolForKey("no"));
    EXPECT_EQ(decoder.decodeStringForKey("name"),
              "Cart 1 \xE2\x80\x94 \xF0\x9F\x8E\xB5 \"quoted\"\n");
    EXPECT_EQ(decoder.decodeBytesForKey("bytes"), allBytes);
    EXPECT_TRUE(decoder.containsValueForKey("empty"));
    EXPECT_TRUE(decoder.decodeBytesForKey("empty").empty());
    EXPECT_FALSE(decoder.failed()) << decoder.error();
}

TEST(KivKeyedCoder, NestedObjectGraphRoundTrips) {
    auto cart = std::make_shared<TestCart>();
    cart->name = "Cart 1";
    cart->cues[0] = makeCue("Intro", 1.25);
    cart->cues[24] = makeCue("Bows", -0.0);
    cart->cues[24]->child = makeCue("Nested", 0.1);
    cart->cues[24]->child->midiTrigger.clear();
    cart->order = {cart->cues[24], cart->cues[0]};
    cart->hotKey = std::make_shared<KivHotKey>();
    cart->hotKey->setKeyCode(26);
    cart->hotKey->setKeyCharacter(u'[');
    cart->hotKey->setShift(true);

    KivKeyedEncoder encoder(testRegistry());
    encoder.encodeObject(cart, "cart");
    encoder.encodeValue({{"panicDuration", 2.5}, {"hotkeys", {cart->hotKey->descriptor()}}},
                        "settings");
    ASSERT_FALSE(encoder.failed()) << encoder.error();
    EXPECT_EQ(encoder.storedForm()["cart"]["$class"], "Pondra");
    EXPECT_EQ(encoder.storedForm()["cart"]["cues"]["24"]["$class"], "PondraCue");
    EXPECT_TRUE(encoder.storedForm()["cart"]["cues"]["0"]["midiTrigger"].contains("$data"));

    const auto decoder = roundTrip(encoder);
    const auto decoded = decoder.decodeObjectForKey<TestCart>("cart");
    ASSERT_FALSE(decoder.failed()) << decoder.error();
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->name, "Cart 1");
    ASSERT_EQ(decoded->cues.size(), 2u);
    for (const auto& [index, original] : cart->cues) {
        const auto& copy = decoded->cues.at(index);
        EXPECT_EQ(copy->name, original->name);
        EXPECT_EQ(bits(copy->startTime), bits(original->startTime));
        EXPECT_EQ(copy->volume, original->volume);
        EXPECT_EQ(copy->frames, original->frames);
        EXPECT_EQ(copy->hold, original->hold);
        EXPECT_EQ(copy->midiTrigger, original->midiTrigger);
        EXPECT_EQ(copy->effects, original->effects);
    }
    ASSERT_TRUE(decoded->cues.at(24)->child);
    EXPECT_EQ(decoded->cues.at(24)->child->name, "Nested");
    EXPECT_FALSE(decoded->cues.at(0)->child);
    ASSERT_EQ(decoded->order.size(), 2u);
    EXPECT_EQ(decoded->order[0]->name, "Bows");
    ASSERT_TRUE(decoded->hotKey);
    EXPECT_EQ(*decoded->hotKey, *cart->hotKey);

    KivHotKey fromSettings;
    fromSettings.setDescriptor(decoder.decodeValueForKey("settings")["hotkeys"][0]);
    EXPECT_EQ(fromSettings, *cart->hotKey);
    EXPECT_EQ(decoder.decodeValueForKey("settings")["panicDuration"], 2.5);
}

TEST(KivKeyedCoder, KeysMayBeginWithTheMarkerCharacter) {
    KivKeyedEncoder encoder(testRegistry());
    encoder.encodeString("not a class", "$class");
    encoder.encodeValue({{"$data", "not bytes"}, {"$$", 1}}, "dictionary");
    const auto decoder = roundTrip(encoder);
    EXPECT_EQ(decoder.decodeStringForKey("$class"), "not a class");
    const auto dictionary = decoder.decodeValueForKey("dictionary");
    EXPECT_EQ(dictionary, (nlohmann::json{{"$data", "not bytes"}, {"$$", 1}}));
    EXPECT_FALSE(decoder.failed()) << decoder.error();
}

TEST(KivKeyedCoder, MissingKeysGiveDefaultsWithoutError) {
    const auto decoder = KivKeyedDecoder::decoderForText("{}", testRegistry());
    EXPECT_FALSE(decoder.containsValueForKey("name"));
    EXPECT_FALSE(decoder.decodeBoolForKey("hold"));
    EXPECT_EQ(decoder.decodeInt32ForKey("count"), 0);
    EXPECT_EQ(decoder.decodeInt64ForKey("count"), 0);
    EXPECT_EQ(decoder.decodeFloatForKey("volume"), 0.0f);
    EXPECT_EQ(decoder.decodeDoubleForKey("start"), 0.0);
    EXPECT_EQ(decoder.decodeStringForKey("name"), "");
    EXPECT_TRUE(decoder.decodeBytesForKey("data").empty());
    EXPECT_TRUE(decoder.decodeValueForKey("settings").is_null());
    EXPECT_FALSE(decoder.decodeObjectForKey<TestCart>("cart"));
    EXPECT_TRUE(decoder.decodeObjectArrayForKey<TestCart>("carts").empty());
    EXPECT_TRUE(decoder.decodeObjectDictionaryForKey<TestCue>("cues").empty());
    EXPECT_FALSE(decoder.failed()) << decoder.error();
}

TEST(KivKeyedCoder, UnknownKeysAreIgnored) {
    const auto decoder =
        KivKeyedDecoder::decoderForText(R"({"name": "a", "future": [1, 2]})", testRegistry());
    EXPECT_EQ(decoder.decodeStringForKey("name"), "a");
    EXPECT_FALSE(decoder.failed());
}

TEST(KivKeyedCoder, WrongTypesGiveDefaultsAndAClearError) {
    struct Case {
        const char* text;
        std::function<bool(const KivKeyedDecoder&)> readsDefault;
        const char* error;
    };
    const Case cases[] = {
        {R"({"v": "1.0"})", [](auto& d) { return d.decodeDoubleForKey("v") == 0.0; },
         "v: expected a number, found string"},
        {R"({"v": 1.5})", [](auto& d) { return d.decodeInt32ForKey("v") == 0; },
         "v: expected an integer, found number"},
        {R"({"v": 2147483648})", [](auto& d) { return d.decodeInt32ForKey("v") == 0; },
         "v: the integer is out of the 32-bit range"},
        {R"({"v": 18446744073709551615})", [](auto& d) { return d.decodeInt64ForKey("v") == 0; },
         "v: the integer is out of the 64-bit range"},
        {R"({"v": 1e39})", [](auto& d) { return d.decodeFloatForKey("v") == 0.0f; },
         "v: the number is out of the float range"},
        {R"({"v": [true]})", [](auto& d) { return !d.decodeBoolForKey("v"); },
         "v: expected a boolean, found array"},
        {R"({"v": 3})", [](auto& d) { return d.decodeStringForKey("v").empty(); },
         "v: expected a string, found integer"},
        {R"({"v": "AAEC"})", [](auto& d) { return d.decodeBytesForKey("v").empty(); },
         "v: expected data, found string"},
        {R"({"v": {"$data": "A=B="}})", [](auto& d) { return d.decodeBytesForKey("v").empty(); },
         "v: malformed data: not base64"},
        {R"({"v": {"$data": "AAAA", "x": 1}})",
         [](auto& d) { return d.decodeValueForKey("v").is_null(); },
         "v: malformed data: expected {\"$data\": \"<base64>\"}"},
        {R"({"v": {"a": {"$class": "PondraCue"}}})",
         [](auto& d) { return d.decodeValueForKey("v").is_null(); },
         "v: \"a\": an archived object where a plain value was expected"},
        {R"({"v": {"$other": 1}})", [](auto& d) { return d.decodeValueForKey("v").is_null(); },
         "v: unknown marker \"$other\""},
    };
    for (const auto& c : cases) {
        const auto decoder = KivKeyedDecoder::decoderForText(c.text, testRegistry());
        EXPECT_TRUE(c.readsDefault(decoder)) << c.text;
        EXPECT_EQ(decoder.error(), c.error) << c.text;
    }
}

TEST(KivKeyedCoder, BadObjectsAreReportedWithTheirPath) {
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "Pondra", "cues": {"x": {}}}})"),
              "cart.cues.x: the key is not a decimal integer");
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "Pondra", "cues": {"3": {"name": "a"}}}})"),
              "cart.cues.3: expected an archived object, found a dictionary without \"$class\"");
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "Pondra", "order": [{"$class": "Nope"}]}})"),
              "cart.order[0]: unknown archived class \"Nope\"");
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "PondraCue"}})"),
              "cart: the archived object is not of the expected class");
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "Pondra", "order": {"0": 1}}})"),
              "cart.order: expected an array, found object");
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "Pondra", "cues": {"1": {"$class": "PondraCue",
              "volume": "loud"}}}})"),
              "cart.cues.1.volume: expected a number, found string");
    EXPECT_EQ(decodeError(R"({"cart": {"$class": "Pondra", "hotKey": {"$class": "KivHotKey",
              "JvActionKeyKeyCode": 70000}}})"),
              "cart.hotKey: KivHotKey: key code or character out of the 16-bit range");
}

TEST(KivKeyedCoder, TextThatIsNotAnArchiveGivesAnError) {
    const std::string_view texts[] = {
        "",   "not json",      R"({"name": "trunc)",   R"({"a": 1,)",       "[1, 2]",
        "42", R"({"a": NaN})", R"({"a": 1} trailing)", R"({"a": "\ud800"})"};
    for (const auto text : texts) {
        const auto decoder = KivKeyedDecoder::decoderForText(text, testRegistry());
        EXPECT_TRUE(decoder.failed()) << text;
        EXPECT_FALSE(decoder.error().empty());
        EXPECT_FALSE(decoder.containsValueForKey("a"));
        EXPECT_EQ(decoder.decodeInt32ForKey("a"), 0);
    }
    EXPECT_EQ(KivKeyedDecoder::decoderForText("[1]", testRegistry()).error(),
              "the archive is not a keyed archive: found array where an object was expected");
}

TEST(KivKeyedCoder, DeepNestingIsRefusedOnBothSides) {
    std::string deep(5000, '[');
    deep = R"({"a": )" + deep;
    auto decoder = KivKeyedDecoder::decoderForText(deep, testRegistry());
    EXPECT_EQ(decoder.error(), "the archive nests deeper than 100 levels");

    nlohmann::json value = 1;
    for (int i = 0; i < 200; ++i) {
        value = nlohmann::json::array({value});
    }
    KivKeyedEncoder encoder(testRegistry());
    encoder.encodeValue(value, "deep");
    EXPECT_TRUE(encoder.failed());
    EXPECT_FALSE(encoder.archivedText());

    // What the encoder accepts at the limit, the decoder reads back.
    value = 1;
    for (int i = 0; i < 99; ++i) {
        value = nlohmann::json::array({value});
    }
    KivKeyedEncoder atLimit(testRegistry());
    atLimit.encodeValue(value, "deep");
    ASSERT_TRUE(atLimit.archivedText()) << atLimit.error();
    decoder = KivKeyedDecoder::decoderForText(*atLimit.archivedText(), testRegistry());
    EXPECT_EQ(decoder.decodeValueForKey("deep"), value);
    EXPECT_FALSE(decoder.failed()) << decoder.error();
    KivKeyedEncoder pastLimit(testRegistry());
    pastLimit.encodeValue(nlohmann::json::array({value}), "deep");
    EXPECT_TRUE(pastLimit.failed());

    // Brackets inside strings do not count.
    decoder = KivKeyedDecoder::decoderForText(R"({"a": ")" + std::string(500, '[') + R"("})",
                                              testRegistry());
    EXPECT_FALSE(decoder.failed()) << decoder.error();
}

TEST(KivKeyedCoder, CyclicGraphEndsInAnError) {
    auto loop = std::make_shared<TestLoop>();
    loop->next = loop;
    KivKeyedEncoder encoder(testRegistry());
    encoder.encodeObject(loop, "loop");
    loop->next.reset();
    EXPECT_NE(encoder.error().find("is the object graph cyclic?"), std::string::npos)
        << encoder.error();
    EXPECT_FALSE(encoder.archivedText());
}

TEST(KivKeyedCoder, EncodingRefusesWhatCannotBeStored) {
    KivKeyedEncoder nan(testRegistry());
    nan.encodeDouble(std::nan(""), "volume");
    EXPECT_EQ(nan.error(), "volume: a non-finite number cannot be archived");
    EXPECT_FALSE(nan.archivedText());

    KivKeyedEncoder inValue(testRegistry());
    inValue.encodeValue({{"gain", std::numeric_limits<double>::infinity()}}, "settings");
    EXPECT_EQ(inValue.error(), "settings: \"gain\": a non-finite number cannot be archived");

    struct Unregistered : KivArchivable {
        void encodeWithCoder(KivKeyedEncoder&) const override {}
    };
    KivKeyedEncoder unknown(testRegistry());
    unknown.encodeObject(std::make_shared<Unregistered>(), "thing");
    EXPECT_NE(unknown.error().find("is not registered for archiving"), std::string::npos);

    KivKeyedEncoder nullElement(testRegistry());
    nullElement.encodeObjects(std::vector<std::shared_ptr<TestCue>>{nullptr}, "cues");
    EXPECT_EQ(nullElement.error(), "cues: a null object in a collection cannot be archived");
}

TEST(KivKeyedCoder, InvalidUTF8IsReplacedNeverThrown) {
    KivKeyedEncoder encoder(testRegistry());
    encoder.encodeString("bad \xFF\xC0\x80 end", "name");
    encoder.encodeValue({{"k\xFE", "v\xED\xA0\x80"}}, "dictionary");
    const auto text = encoder.archivedText();
    ASSERT_TRUE(text);
    const auto decoder = KivKeyedDecoder::decoderForText(*text, testRegistry());
    EXPECT_EQ(decoder.decodeStringForKey("name"), "bad \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD end");
    EXPECT_EQ(decoder.decodeValueForKey("dictionary"),
              (nlohmann::json{{"k\xEF\xBF\xBD", "v\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}}));

    // Raw bad bytes in the document text itself.
    const auto raw = KivKeyedDecoder::decoderForText("{\"name\": \"a\xFF\"}", testRegistry());
    EXPECT_EQ(raw.decodeStringForKey("name"), "a\xEF\xBF\xBD");
    EXPECT_FALSE(raw.failed()) << raw.error();
}

TEST(KivKeyedCoder, FirstErrorIsKept) {
    const auto decoder = KivKeyedDecoder::decoderForText(R"({"a": "x", "b": "y"})", testRegistry());
    decoder.decodeDoubleForKey("a");
    decoder.decodeInt32ForKey("b");
    EXPECT_EQ(decoder.error(), "a: expected a number, found string");
}

TEST(KivNSCoder, VersionIsSharedByTheProcess) {
    const int saved = KivNSCoder::version();
    KivNSCoder::setVersion(7);
    EXPECT_EQ(KivNSCoder::version(), 7);
    KivNSCoder::setVersion(saved);
}

TEST(KivKeyedDecoder, CountsAndLengthsPastTheirBoundsFailBeforeAnythingIsDecoded) {
    // Entries that would each fail: past the bound none of them is looked at.
    const nlohmann::json junk = nlohmann::json::array({1, 2, 3});
    const nlohmann::json table = {{"0", 1}, {"1", 2}, {"2", 3}};
    {
        const KivKeyedDecoder decoder(nlohmann::json{{"order", junk}}, testRegistry());
        EXPECT_TRUE(decoder.decodeObjectArrayForKey<TestCue>("order", 2).empty());
        EXPECT_EQ(decoder.error(), "order: more than 2 entries");
    }
    {
        const KivKeyedDecoder decoder(nlohmann::json{{"cues", table}}, testRegistry());
        EXPECT_TRUE(decoder.decodeObjectDictionaryForKey<TestCue>("cues", 2).empty());
        EXPECT_EQ(decoder.error(), "cues: more than 2 entries");
    }
    {
        // At the bound the entries are decoded, and fail as they are.
        const KivKeyedDecoder decoder(nlohmann::json{{"order", junk}}, testRegistry());
        decoder.decodeObjectArrayForKey<TestCue>("order", 3);
        EXPECT_EQ(decoder.error().rfind("order[0]: expected an archived object", 0), 0u)
            << decoder.error();
    }
    {
        const KivKeyedDecoder decoder(nlohmann::json{{"name", "Storm"}}, testRegistry());
        EXPECT_EQ(decoder.decodeStringForKey("name", 5), "Storm");
        EXPECT_FALSE(decoder.failed());
        EXPECT_EQ(decoder.decodeStringForKey("name", 4), "");
        EXPECT_EQ(decoder.error(), "name: longer than 4 bytes");
    }
}
