#include "effecteditor/KivEffectPresetFolders.h"

#include "effecteditor/PresetFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace KivEffectPresetFolders;

TEST(KivEffectPresetFoldersTest, UserFolderFollowsXdgDataHomeElseHome) {
    ScopedEnvironment home("HOME", "/home/op");
    {
        ScopedEnvironment data("XDG_DATA_HOME", "/data/op");
        EXPECT_EQ(userFolder("Maker", "Gain"), "/data/op/pondra/presets/Maker/Gain");
    }
    {
        ScopedEnvironment data("XDG_DATA_HOME", "relative");
        EXPECT_EQ(userFolder("Maker", "Gain"), "/home/op/.local/share/pondra/presets/Maker/Gain");
    }
    ScopedEnvironment data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(userFolder("A/B", "C/D"), "/home/op/.local/share/pondra/presets/A_B/C_D");
}

TEST(KivEffectPresetFoldersTest, SystemFolderIsTheFirstDataFolderThatHoldsOne) {
    PresetFolder second("preset-system");
    second.makeFolder("pondra/presets/Maker/Gain");
    {
        const std::string list = "relative:/nowhere/one:" + second.path();
        ScopedEnvironment dirs("XDG_DATA_DIRS", list.c_str());
        EXPECT_EQ(systemFolder("Maker", "Gain"), second.path("pondra/presets/Maker/Gain"));
        EXPECT_EQ(systemFolder("Maker", "Other"), "/nowhere/one/pondra/presets/Maker/Other");
    }
    ScopedEnvironment dirs("XDG_DATA_DIRS", nullptr);
    EXPECT_EQ(systemFolder("Maker", "Other"), "/usr/local/share/pondra/presets/Maker/Other");
}

TEST(KivEffectPresetFoldersTest, SlashesInANameBecomeUnderscoresOnDisk) {
    EXPECT_EQ(presetPath("/p", "Live/Hall"), "/p/Live_Hall.aupreset");
    EXPECT_EQ(presetName("/p/Live_Hall.aupreset"), "Live_Hall");
}

} // namespace
