#include "audio/effects/KivComponentCatalogue.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectMenu.h"
#include "foundation/KivEnvironment.h"
#include "platform/effects/EffectStatus.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

namespace {

// Components whose names are given by the test.
class NamedCatalogue : public KivComponentCatalogue {
public:
    std::vector<KivAudioComponentDescription> componentsOfType(std::uint32_t type) const override {
        std::vector<KivAudioComponentDescription> result;
        for (const auto& [uri, name] : names) {
            if (type == kKivComponentTypeEffect) {
                result.emplace_back(type, 0, 0, 0, 0, uri);
            }
        }
        return result;
    }
    std::optional<std::string>
    nameOfComponent(const KivAudioComponentDescription& component) const override {
        for (const auto& [uri, name] : names) {
            if (uri == component.pluginURI()) {
                return name;
            }
        }
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::string>> names;
};

class KivEffectNamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue = std::make_shared<NamedCatalogue>();
        catalogue->names = {{"urn:a", "Maker: Delay"}, {"urn:b", "NoColonName"},
                            {"urn:c", "Maker:Tight"},  {"urn:d", "a: b: c"},
                            {"urn:e", "zeta: Echo"},   {"urn:f", "Alpha: Chorus"}};
        setComponentCatalogue(catalogue);
    }
    void TearDown() override { setComponentCatalogue(nullptr); }

    static std::shared_ptr<KivEffect> make(const char* uri) {
        return KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, uri));
    }

    std::shared_ptr<NamedCatalogue> catalogue;
};

} // namespace

TEST_F(KivEffectNamingTest, SplitsTheComponentNameIntoMakerAndEffect) {
    auto delay = make("urn:a");
    ASSERT_TRUE(delay);
    EXPECT_EQ(delay->manufacturer(), "Maker");
    EXPECT_EQ(delay->name(), "Delay");
    EXPECT_EQ(delay->displayName(), "Delay");

    auto tight = make("urn:c");
    EXPECT_EQ(tight->manufacturer(), "Maker");
    EXPECT_EQ(tight->name(), "Tight");

    for (const char* uri : {"urn:b", "urn:d"}) {
        auto whole = make(uri);
        EXPECT_EQ(whole->manufacturer(), "Unknown") << uri;
        EXPECT_EQ(whole->name(), catalogue->nameOfComponent(whole->componentDescription()));
        EXPECT_EQ(whole->displayName(), whole->name());
    }
}

TEST_F(KivEffectNamingTest, AMissingComponentIsErrorMinus2005InTheEffectDomain) {
    CapturingLogSink log;
    KivError error;
    EXPECT_EQ(
        KivEffect::effectWithDescription(
            KivAudioComponentDescription(kKivComponentTypeEffect, 0, 0, 0, 0, "urn:gone"), &error),
        nullptr);
    EXPECT_EQ(error.domain, "KivEffectErrorDomain");
    EXPECT_EQ(error.code, -2005);
    ASSERT_FALSE(log.lines().empty());
    EXPECT_EQ(log.lines().front().rfind("Error: -2005 [", 0), 0u) << log.lines().front();
}

TEST_F(KivEffectNamingTest, MenuGroupsByMakerInCaseInsensitiveOrderAndIsMadeOnce) {
    std::vector<KivEffectGroup> storage;
    const auto menu = menuOfAllEffectsByManufacturer(&storage);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title, "Effects");
    EXPECT_EQ(menu->firstItem, "Add effect...");
    std::vector<std::string> makers;
    for (const auto& submenu : menu->submenus) {
        makers.push_back(submenu.title);
    }
    EXPECT_EQ(makers, (std::vector<std::string>{"Alpha", "Maker", "Unknown", "zeta"}));
    const auto& maker = menu->submenus[1];
    ASSERT_EQ(maker.items.size(), 2u);
    EXPECT_EQ(maker.items[0].title, "Delay");
    EXPECT_EQ(maker.items[1].title, "Tight");

    catalogue->names.clear();
    const auto again = menuOfAllEffectsByManufacturer(&storage);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->submenus.size(), menu->submenus.size());
    EXPECT_EQ(again->submenus[1].items[0].effect, maker.items[0].effect)
        << "the second call reuses the stored effects";
    EXPECT_EQ(storage.size(), 4u);
}

TEST_F(KivEffectNamingTest, MenuWithoutStorageIsRefused) {
    CapturingLogSink log;
    EXPECT_FALSE(menuOfAllEffectsByManufacturer(nullptr));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "Error: menuOfAllEffectsByManufacturerAddedTo received invalid "
                              "mutable array for storing effects.");
}

TEST_F(KivEffectNamingTest, ComponentsWithoutAnEffectNameAreSkippedFromTheMenu) {
    catalogue->names = {{"urn:a", "Maker: Delay"}, {"urn:x", "Maker: "}};
    KivEnvironment::setLogLevel(1);
    CapturingLogSink log;
    std::vector<KivEffectGroup> storage;
    const auto menu = menuOfAllEffectsByManufacturer(&storage);
    KivEnvironment::setLogLevel(0);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->submenus.size(), 1u);
    EXPECT_EQ(menu->submenus[0].items.size(), 1u);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"Skipping over broken audio component: Maker: "});
}
