#include "audio/effects/KivAudioComponentDescription.h"

#include "audio/effects/KivComponentCatalogue.h"

#include <gtest/gtest.h>

namespace {

const std::uint32_t kDelay = kivFourCharCode("dely");
const std::uint32_t kMaker = kivFourCharCode("mda ");

class FakeCatalogue : public KivComponentCatalogue {
public:
    std::vector<KivAudioComponentDescription> componentsOfType(std::uint32_t type) const override {
        std::vector<KivAudioComponentDescription> result;
        for (const auto& c : components) {
            if (c.type() == type) {
                result.push_back(c);
            }
        }
        return result;
    }
    std::optional<std::string>
    nameOfComponent(const KivAudioComponentDescription& component) const override {
        ++nameLookups;
        for (const auto& c : components) {
            if (c == component) {
                return "Delay";
            }
        }
        return std::nullopt;
    }
    std::vector<KivAudioComponentDescription> components;
    mutable int nameLookups = 0;
};

class KivAudioComponentDescriptionTest : public ::testing::Test {
protected:
    void TearDown() override { setComponentCatalogue(nullptr); }
};

} // namespace

TEST_F(KivAudioComponentDescriptionTest, EqualityIgnoresFlagsAndMask) {
    const KivAudioComponentDescription a(kKivComponentTypeEffect, kDelay, kMaker, 0, 0, "urn:x");
    const KivAudioComponentDescription b(kKivComponentTypeEffect, kDelay, kMaker, 3, 0xff, "urn:x");
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.hash(), b.hash());
    const KivAudioComponentDescription other(kKivComponentTypeEffect, kDelay, kMaker, 0, 0,
                                             "urn:y");
    EXPECT_FALSE(a == other) << "different plugins are different components";
}

TEST_F(KivAudioComponentDescriptionTest, StateRoundTripsWordsAndURI) {
    const KivAudioComponentDescription a(kKivComponentTypeEffect, kDelay, kMaker, 1, 2,
                                         "http://example.org/delay");
    const auto state = a.state();
    ASSERT_EQ(state.size(), 20u + 24u);
    const auto b = KivAudioComponentDescription::descriptionWithState(state);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(b.componentRecord().componentFlags, 1u);
    EXPECT_EQ(b.componentRecord().componentFlagsMask, 2u);
    EXPECT_EQ(b.pluginURI(), "http://example.org/delay");
}

TEST_F(KivAudioComponentDescriptionTest, ShortStateLeavesRemainingWords) {
    KivAudioComponentDescription d(1, 2, 3, 4, 5);
    const std::uint32_t type = kKivComponentTypeEffect;
    std::vector<std::uint8_t> state(reinterpret_cast<const std::uint8_t*>(&type),
                                    reinterpret_cast<const std::uint8_t*>(&type) + 4);
    d.setState(state);
    EXPECT_EQ(d.type(), kKivComponentTypeEffect);
    EXPECT_EQ(d.subtype(), 2u);
    EXPECT_EQ(d.componentRecord().componentFlagsMask, 5u);
}

TEST_F(KivAudioComponentDescriptionTest, NameFallsBackToCodesThenURI) {
    const KivAudioComponentDescription codes(kKivComponentTypeEffect, kDelay, kMaker);
    EXPECT_EQ(codes.name(), "mda : dely");
    const KivAudioComponentDescription zero;
    EXPECT_EQ(zero.name(), "    :     ") << "zero codes show as blanks, never as NUL bytes";
    const KivAudioComponentDescription plugin(kKivComponentTypeEffect, 0, 0, 0, 0, "urn:missing");
    EXPECT_EQ(plugin.name(), "urn:missing");
}

TEST_F(KivAudioComponentDescriptionTest, NameComesFromTheCatalogueOnceAndFollowsIdentity) {
    auto catalogue = std::make_shared<FakeCatalogue>();
    KivAudioComponentDescription delay(kKivComponentTypeEffect, kDelay, kMaker, 0, 0, "urn:delay");
    catalogue->components.push_back(delay);
    setComponentCatalogue(catalogue);

    EXPECT_EQ(delay.name(), "Delay");
    EXPECT_EQ(delay.name(), "Delay");
    EXPECT_EQ(catalogue->nameLookups, 1);
    delay.setPluginURI("urn:other");
    EXPECT_EQ(delay.name(), "urn:other") << "a changed identity is named afresh";
}

TEST_F(KivAudioComponentDescriptionTest, IdentityWordsAreSetOneByOneAndRenamed) {
    KivAudioComponentDescription codes(kKivComponentTypeEffect, kDelay, kMaker);
    EXPECT_EQ(codes.name(), "mda : dely");
    const std::uint32_t kReverb = kivFourCharCode("verb");
    codes.setSubtype(kReverb);
    EXPECT_EQ(codes.subtype(), kReverb);
    EXPECT_EQ(codes.componentRecord().componentSubType, kReverb);
    EXPECT_EQ(codes.name(), "mda : verb") << "a changed subtype is named afresh";
    const std::uint32_t kOther = kivFourCharCode("othr");
    codes.setManufacturer(kOther);
    EXPECT_EQ(codes.manufacturer(), kOther);
    EXPECT_EQ(codes.name(), "othr: verb") << "a changed manufacturer is named afresh";
    EXPECT_EQ(codes.type(), kKivComponentTypeEffect);
    EXPECT_EQ(codes, KivAudioComponentDescription(kKivComponentTypeEffect, kReverb, kOther));
    EXPECT_NE(codes, KivAudioComponentDescription(kKivComponentTypeEffect, kDelay, kMaker));
    EXPECT_EQ(KivAudioComponentDescription::descriptionWithState(codes.state()), codes);
}

TEST_F(KivAudioComponentDescriptionTest, ListingByTypeAndComponentLookup) {
    EXPECT_TRUE(
        KivAudioComponentDescription::componentDescriptionsOfType(kKivComponentTypeEffect).empty());
    const auto mixers =
        KivAudioComponentDescription::componentDescriptionsOfType(kKivComponentTypeMixer);
    ASSERT_EQ(mixers.size(), 1u);
    EXPECT_TRUE(mixers[0] == KivAudioComponentDescription::appleMatrixMixer());
    EXPECT_EQ(mixers[0].pluginURI(), kKivMatrixMixerURI);
    EXPECT_TRUE(KivAudioComponentDescription::appleMatrixMixer().component().has_value());

    auto catalogue = std::make_shared<FakeCatalogue>();
    catalogue->components.emplace_back(kKivComponentTypeEffect, kDelay, kMaker, 0, 0, "urn:a");
    catalogue->components.emplace_back(kKivComponentTypeMusicEffect, kDelay, kMaker, 0, 0, "urn:b");
    setComponentCatalogue(catalogue);
    const auto effects =
        KivAudioComponentDescription::componentDescriptionsOfType(kKivComponentTypeEffect);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].pluginURI(), "urn:a");
    EXPECT_TRUE(effects[0].component().has_value());
    EXPECT_FALSE(
        KivAudioComponentDescription(kKivComponentTypeEffect, kDelay, kMaker, 0, 0, "urn:gone")
            .component()
            .has_value());
}

TEST_F(KivAudioComponentDescriptionTest, ClassificationByType) {
    KivAudioComponentDescription d;
    d.setType(kKivComponentTypeEffect);
    EXPECT_TRUE(d.isEffect());
    EXPECT_FALSE(d.acceptsMIDIInput());
    d.setType(kKivComponentTypeMusicEffect);
    EXPECT_TRUE(d.isEffect());
    EXPECT_TRUE(d.acceptsMIDIInput());
    d.setType(kKivComponentTypeInstrument);
    EXPECT_TRUE(d.isInstrument());
    EXPECT_TRUE(d.acceptsMIDIInput());
    EXPECT_FALSE(d.isEffect());
    d.setType(kKivComponentTypeGenerator);
    EXPECT_TRUE(d.isPlayer());
}
