#include "effecteditor/KivEffectUserPresetGroup.h"

#include "effecteditor/PresetFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <chrono>
#include <future>

namespace {

const std::string& presetAt(const KivEffectUserPresetGroup& group, std::size_t index) {
    return std::get<std::string>(*group.itemAtIndex(index));
}

const KivEffectUserPresetGroup& groupAt(const KivEffectUserPresetGroup& group, std::size_t index) {
    return *std::get<std::unique_ptr<KivEffectUserPresetGroup>>(*group.itemAtIndex(index));
}

QStringList titles(const QMenu& menu) {
    QStringList result;
    for (const QAction* action : menu.actions()) {
        result << action->text();
    }
    return result;
}

class KivEffectUserPresetGroupTest : public ::testing::Test {
protected:
    PresetFolder folder{"preset-group"};
};

TEST_F(KivEffectUserPresetGroupTest, ListsPresetsAndFoldersThatHoldOneInNameOrder) {
    folder.write("Warm.aupreset");
    folder.write("Bright.aupreset");
    folder.write("notes.txt");
    folder.write("Rooms/Small/Booth.aupreset");
    folder.write("Rooms/Hall.aupreset");
    folder.makeFolder("Empty/Deeper");
    folder.write("Other/readme.txt");

    KivEffectUserPresetGroup group(folder.path(), "User Presets");
    EXPECT_FALSE(group.hasItems()) << "nothing is read before refresh";
    group.refresh();

    ASSERT_EQ(group.numberOfItems(), 3u);
    EXPECT_EQ(presetAt(group, 0), folder.path("Bright.aupreset"));
    const KivEffectUserPresetGroup& rooms = groupAt(group, 1);
    EXPECT_EQ(presetAt(group, 2), folder.path("Warm.aupreset"));
    EXPECT_EQ(group.itemAtIndex(3), nullptr);

    EXPECT_EQ(rooms.name(), "Rooms");
    EXPECT_EQ(rooms.path(), folder.path("Rooms"));
    ASSERT_EQ(rooms.numberOfItems(), 2u);
    EXPECT_EQ(presetAt(rooms, 0), folder.path("Rooms/Hall.aupreset"));
    EXPECT_EQ(presetAt(groupAt(rooms, 1), 0), folder.path("Rooms/Small/Booth.aupreset"));

    std::filesystem::remove(folder.path("Warm.aupreset"));
    group.refresh();
    EXPECT_EQ(group.numberOfItems(), 2u) << "refresh reads the folder again";
}

TEST_F(KivEffectUserPresetGroupTest, MissingOrEmptyFoldersHaveNoItemsAndMenuNone) {
    KivEffectUserPresetGroup missing(folder.path("absent"), "System Presets");
    missing.refresh();
    EXPECT_FALSE(missing.hasItems());
    EXPECT_EQ(missing.itemAtIndex(0), nullptr);

    folder.makeFolder("only/empty/folders");
    KivEffectUserPresetGroup empty(folder.path(), "User Presets");
    empty.refresh();
    EXPECT_FALSE(empty.hasItems());

    const auto menu = empty.menu([](const std::string&) { FAIL() << "nothing to load"; });
    ASSERT_EQ(titles(*menu), QStringList{"<none>"});
    EXPECT_FALSE(menu->actions().front()->isEnabled());
}

TEST_F(KivEffectUserPresetGroupTest, EveryPresetInTheMenuLoadsItsPathAtAnyDepth) {
    folder.write("Dry.aupreset");
    folder.write("Rooms/Hall.aupreset");
    folder.write("Rooms/Small/Booth.aupreset");
    KivEffectUserPresetGroup group(folder.path(), "User Presets");
    group.refresh();

    std::vector<std::string> loaded;
    const auto menu = group.menu([&](const std::string& path) { loaded.push_back(path); });
    ASSERT_EQ(titles(*menu), (QStringList{"Dry", "Rooms"}));
    QMenu* rooms = menu->actions()[1]->menu();
    ASSERT_NE(rooms, nullptr);
    ASSERT_EQ(titles(*rooms), (QStringList{"Hall", "Small"}));
    QMenu* small = rooms->actions()[1]->menu();
    ASSERT_NE(small, nullptr);
    ASSERT_EQ(titles(*small), QStringList{"Booth"});

    menu->actions()[0]->trigger();
    rooms->actions()[0]->trigger();
    small->actions()[0]->trigger();
    EXPECT_EQ(loaded, (std::vector<std::string>{folder.path("Dry.aupreset"),
                                                folder.path("Rooms/Hall.aupreset"),
                                                folder.path("Rooms/Small/Booth.aupreset")}));
}

TEST_F(KivEffectUserPresetGroupTest, GroupRowsGoDepthFirstOneIndentDeeperEach) {
    folder.write("A/One.aupreset");
    folder.write("A/Inner/Two.aupreset");
    folder.write("B/Three.aupreset");
    KivEffectUserPresetGroup group(folder.path(), "User Presets");
    group.refresh();

    std::vector<std::pair<std::string, int>> rows;
    for (const auto& row : group.groupRows()) {
        rows.emplace_back(row.group->name(), row.indent);
    }
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{
                        {"User Presets", 0}, {"A", 1}, {"Inner", 2}, {"B", 1}}));
}

TEST_F(KivEffectUserPresetGroupTest, LinksBackUpTheTreeAreNotWalkedAgainAndTheWalkEnds) {
    folder.write("Hall.aupreset");
    folder.write("Rooms/Booth.aupreset");
    std::filesystem::create_directory_symlink(".", folder.path("again"));
    std::filesystem::create_directory_symlink(".", folder.path("more"));
    std::filesystem::create_directory_symlink("..", folder.path("Rooms/up"));

    KivEffectUserPresetGroup group(folder.path(), "User Presets");
    auto walk = std::async(std::launch::async, [&group] { group.refresh(); });
    ASSERT_EQ(walk.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the walk goes round the links for good";
    ASSERT_EQ(group.numberOfItems(), 2u);
    EXPECT_EQ(presetAt(group, 0), folder.path("Hall.aupreset"));
    const KivEffectUserPresetGroup& rooms = groupAt(group, 1);
    EXPECT_EQ(rooms.name(), "Rooms");
    ASSERT_EQ(rooms.numberOfItems(), 1u);
    EXPECT_EQ(presetAt(rooms, 0), folder.path("Rooms/Booth.aupreset"));
}

TEST_F(KivEffectUserPresetGroupTest, NoLinkIsFollowedOutOfTheFolderButLinksWithinItAre) {
    folder.write("shared/Elsewhere.aupreset");
    folder.write("user/Own.aupreset");
    folder.write("user/Kept/Inner.aupreset");
    std::filesystem::create_directory_symlink(folder.path("shared"), folder.path("user/Shared"));
    std::filesystem::create_symlink(folder.path("shared/Elsewhere.aupreset"),
                                    folder.path("user/Linked.aupreset"));
    std::filesystem::create_directory_symlink(folder.path("user/Kept"), folder.path("user/Alias"));

    KivEffectUserPresetGroup group(folder.path("user"), "User Presets");
    group.refresh();
    // "Alias" leads to "Kept", which is read once, at the first name it is met by.
    ASSERT_EQ(group.numberOfItems(), 2u);
    EXPECT_EQ(groupAt(group, 0).name(), "Alias");
    EXPECT_EQ(presetAt(group, 1), folder.path("user/Own.aupreset"));
}

TEST_F(KivEffectUserPresetGroupTest, AWalkStopsAtItsDepthAndAtItsCountOfEntries) {
    std::string deep;
    for (int level = 0; level <= KivEffectUserPresetGroup::kDepthLimit; ++level) {
        deep += "d/";
    }
    folder.write(deep + "Bottom.aupreset");
    KivEffectUserPresetGroup deepGroup(folder.path(), "User Presets");
    deepGroup.refresh();
    EXPECT_FALSE(deepGroup.hasItems());
    std::filesystem::remove_all(folder.path("d"));

    for (std::size_t n = 0; n < KivEffectUserPresetGroup::kEntryLimit + 500; ++n) {
        std::ofstream(folder.path("P" + std::to_string(n) + ".aupreset")) << "{}";
    }
    KivEffectUserPresetGroup many(folder.path(), "User Presets");
    many.refresh();
    EXPECT_EQ(many.numberOfItems(), KivEffectUserPresetGroup::kEntryLimit);
}

} // namespace
