#include "model/PondraColor.h"

#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"

#include <gtest/gtest.h>

namespace {

struct PaletteRow {
    const char* name;
    DeviceRGBColor start;
    DeviceRGBColor end;
};

const PaletteRow kPalette[] = {
    {"default", {0.733, 0.729, 0.729}, {0.569, 0.565, 0.565}},
    {"red", {0.945, 0.482, 0.482}, {0.776, 0.314, 0.314}},
    {"orange", {0.929, 0.737, 0.365}, {0.765, 0.573, 0.200}},
    {"blue", {0.467, 0.600, 0.737}, {0.282, 0.416, 0.553}},
    {"lightblue", {0.710, 0.835, 0.914}, {0.541, 0.667, 0.745}},
    {"yellow", {0.969, 0.973, 0.678}, {0.804, 0.808, 0.514}},
    {"green", {0.655, 0.796, 0.616}, {0.486, 0.627, 0.447}},
    {"purple", {0.863, 0.612, 0.910}, {0.694, 0.443, 0.741}},
};

void expectColor(const PondraColor& color, const PaletteRow& row) {
    EXPECT_EQ(color.name(), row.name);
    EXPECT_EQ(color.startColor(), row.start) << row.name;
    EXPECT_EQ(color.endColor(), row.end) << row.name;
}

std::string archived(const PondraColor& color) {
    KivKeyedEncoder encoder;
    encoder.encodeObject(color, "color");
    const auto text = encoder.archivedText();
    EXPECT_TRUE(text.has_value()) << encoder.error();
    return text.value_or("");
}

// Decodes {"color": <stored>}; the error is empty when the archive was usable.
std::shared_ptr<PondraColor> decoded(const nlohmann::json& stored, std::string& error) {
    KivKeyedDecoder decoder(nlohmann::json{{"color", stored}});
    auto color = decoder.decodeObjectForKey<PondraColor>("color");
    error = decoder.error();
    return color;
}

nlohmann::json stop(double red, double green, double blue, double alpha = 1.0) {
    return {{"red", red}, {"green", green}, {"blue", blue}, {"alpha", alpha}};
}

} // namespace

TEST(PondraColorPalette, NamesInMenuOrderWithTheirStops) {
    ASSERT_EQ(PondraColor::colors().size(), std::size(kPalette));
    for (std::size_t i = 0; i < std::size(kPalette); ++i) {
        EXPECT_EQ(PondraColor::colors()[i], kPalette[i].name);
        expectColor(PondraColor::colorWithName(kPalette[i].name), kPalette[i]);
    }
    expectColor(PondraColor::defaultColor(), kPalette[0]);
    expectColor(PondraColor::redColor(), kPalette[1]);
    expectColor(PondraColor::orangeColor(), kPalette[2]);
    expectColor(PondraColor::blueColor(), kPalette[3]);
    expectColor(PondraColor::lightblueColor(), kPalette[4]);
    expectColor(PondraColor::yellowColor(), kPalette[5]);
    expectColor(PondraColor::greenColor(), kPalette[6]);
    expectColor(PondraColor::purpleColor(), kPalette[7]);
    for (const auto& row : kPalette) {
        EXPECT_EQ(row.start.alpha, 1.0);
        EXPECT_EQ(row.end.alpha, 1.0);
    }
}

TEST(PondraColorPalette, LookupIgnoresCaseAndFallsBackToDefault) {
    expectColor(PondraColor::colorWithName("Red"), kPalette[1]);
    expectColor(PondraColor::colorWithName("LIGHTBLUE"), kPalette[4]);
    expectColor(PondraColor::colorWithName("lightBlue"), kPalette[4]);
    expectColor(PondraColor::colorWithName("DEFAULT"), kPalette[0]);
    for (const char* name : {"magenta", "", "red ", "re", "lightblues", "light blue"}) {
        expectColor(PondraColor::colorWithName(name), kPalette[0]);
    }
}

TEST(PondraColorPalette, EqualityIsByNameOnly) {
    const PondraColor ownRed("red", {0.1, 0.2, 0.3}, {0.4, 0.5, 0.6});
    EXPECT_TRUE(ownRed.isEqualToColor(PondraColor::redColor()));
    EXPECT_EQ(ownRed, PondraColor::redColor());
    EXPECT_NE(PondraColor::redColor(), PondraColor::orangeColor());
    EXPECT_NE(PondraColor("Red", {}, {}), PondraColor::redColor());
    EXPECT_EQ(PondraColor::purpleColor().description(), "PondraColor: purple");
}

TEST(PondraColorArchive, EveryPaletteColourRoundTrips) {
    for (const auto& row : kPalette) {
        auto decoder =
            KivKeyedDecoder::decoderForText(archived(PondraColor::colorWithName(row.name)));
        const auto color = decoder.decodeObjectForKey<PondraColor>("color");
        ASSERT_TRUE(color) << decoder.error();
        EXPECT_FALSE(decoder.failed()) << decoder.error();
        expectColor(*color, row);
    }
}

TEST(PondraColorArchive, StoredFormNamesClassAndKeys) {
    KivKeyedEncoder encoder;
    encoder.encodeObject(PondraColor::blueColor(), "color");
    const nlohmann::json& stored = encoder.storedForm()["color"];
    EXPECT_EQ(stored["$class"], "PondraColor");
    EXPECT_EQ(stored["name"], "blue");
    EXPECT_EQ(stored["startColor"], stop(0.467, 0.600, 0.737));
    EXPECT_EQ(stored["endColor"], stop(0.282, 0.416, 0.553));
}

TEST(PondraColorArchive, StoredStopsWinOverThePalette) {
    const PondraColor faded("red", {0.5, 0.25, 0.125, 0.5}, {0.0, 1.0, 0.75});
    auto decoder = KivKeyedDecoder::decoderForText(archived(faded));
    const auto color = decoder.decodeObjectForKey<PondraColor>("color");
    ASSERT_TRUE(color) << decoder.error();
    expectColor(*color, {"red", {0.5, 0.25, 0.125, 0.5}, {0.0, 1.0, 0.75}});

    std::string error;
    const auto unknown = decoded({{"$class", "PondraColor"},
                                  {"name", "teal"},
                                  {"startColor", stop(0, 0.5, 0.5)},
                                  {"endColor", stop(0, 0.25, 0.25)}},
                                 error);
    ASSERT_TRUE(unknown) << error;
    EXPECT_EQ(error, "");
    expectColor(*unknown, {"teal", {0, 0.5, 0.5}, {0, 0.25, 0.25}});
}

TEST(PondraColorArchive, MissingStopsComeFromThePalette) {
    std::string error;
    const auto green = decoded({{"$class", "PondraColor"}, {"name", "green"}}, error);
    ASSERT_TRUE(green) << error;
    EXPECT_EQ(error, "");
    expectColor(*green, kPalette[6]);

    const auto halfStored = decoded(
        {{"$class", "PondraColor"}, {"name", "Yellow"}, {"endColor", stop(1, 1, 1)}}, error);
    ASSERT_TRUE(halfStored) << error;
    expectColor(*halfStored, {"Yellow", kPalette[5].start, {1, 1, 1}});

    const auto unknown = decoded({{"$class", "PondraColor"}, {"name", "teal"}}, error);
    ASSERT_TRUE(unknown) << error;
    expectColor(*unknown, {"teal", kPalette[0].start, kPalette[0].end});
}

TEST(PondraColorArchive, BadArchivesFailWithAClearError) {
    const struct {
        nlohmann::json stored;
        const char* error;
    } cases[] = {
        {{{"$class", "PondraColor"}, {"startColor", stop(1, 1, 1)}}, "color: PondraColor: no name"},
        {{{"$class", "PondraColor"}, {"name", ""}}, "color: PondraColor: no name"},
        {{{"$class", "PondraColor"}, {"name", 3}}, "color.name: expected a string"},
        {{{"$class", "PondraColor"}, {"name", "red"}, {"startColor", "red"}},
         "color: PondraColor: startColor is not a dictionary"},
        {{{"$class", "PondraColor"}, {"name", "red"}, {"endColor", {1, 0, 0, 1}}},
         "color: PondraColor: endColor is not a dictionary"},
        {{{"$class", "PondraColor"},
          {"name", "red"},
          {"startColor", {{"red", "1"}, {"green", 0}, {"blue", 0}, {"alpha", 1}}}},
         "color: PondraColor: startColor.red is not a number"},
        {{{"$class", "PondraColor"},
          {"name", "red"},
          {"startColor", {{"red", 1}, {"green", 0}, {"blue", 0}}}},
         "color: PondraColor: startColor.alpha is not a number"},
        {{{"$class", "PondraColor"}, {"name", "red"}, {"endColor", stop(0, 1.5, 0)}},
         "color: PondraColor: endColor.green is outside 0..1"},
        {{{"$class", "PondraColor"}, {"name", "red"}, {"endColor", stop(0, 0, -0.1)}},
         "color: PondraColor: endColor.blue is outside 0..1"},
        {{{"$class", "PondraColour"}, {"name", "red"}},
         "color: unknown archived class \"PondraColour\""},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto color = decoded(c.stored, error);
        EXPECT_FALSE(color) << c.stored.dump();
        EXPECT_NE(error.find(c.error), std::string::npos) << c.stored.dump() << " gave: " << error;
    }
}
