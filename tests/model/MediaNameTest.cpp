#include "model/MediaName.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace MediaName;

TEST(MediaNameTest, NumberedNamesKeepTheExtension) {
    EXPECT_EQ(numberedName("x.wav", 1), "x-1.wav");
    EXPECT_EQ(numberedName("take.1.aiff", 12), "take.1-12.aiff");
    EXPECT_EQ(numberedName("noextension", 2), "noextension-2");
    EXPECT_EQ(numberedName(".wav", 3), ".wav-3");
}

TEST(MediaNameTest, ANameThatIsNotUtf8IsTakenAsLatin1) {
    EXPECT_EQ(textName("Caf\xC3\xA9.wav"), "Caf\xC3\xA9.wav");
    EXPECT_EQ(textName("Caf\xE9.wav"), "Caf\xC3\xA9.wav");
    EXPECT_EQ(textName("plain.wav"), "plain.wav");
}

TEST(MediaNameTest, EachTryIsNumberedFromTheOriginalName) {
    std::set<std::string> taken;
    std::vector<std::string> given;
    for (int i = 0; i < 3; ++i) {
        const auto name =
            firstFreeName("x.wav", [&](const std::string& n) { return taken.contains(n); });
        ASSERT_TRUE(name);
        taken.insert(*name);
        given.push_back(*name);
    }
    EXPECT_EQ(given, (std::vector<std::string>{"x.wav", "x-1.wav", "x-2.wav"}));
}

TEST(MediaNameTest, TenThousandTakenTriesGiveNoName) {
    int tries = 0;
    EXPECT_EQ(firstFreeName("x.wav", [&](const std::string&) { return ++tries, true; }),
              std::nullopt);
    EXPECT_EQ(tries, 10001);
    const auto last =
        firstFreeName("x.wav", [](const std::string& n) { return n != "x-10000.wav"; });
    EXPECT_EQ(last, "x-10000.wav");
}

TEST(MediaNameTest, OnlyMediaWithOneComponentIsTrusted) {
    EXPECT_TRUE(isTrustedDocumentPath("Media/x-1.wav"));
    for (const std::string& hostile :
         std::vector<std::string>{"Media/../../etc/passwd", "../x.wav", "/etc/passwd",
                                  "Media/sub/x.wav", "Media/", "Media/..", "Media/.", "media/x.wav",
                                  "x.wav", "Media//x.wav", "", std::string("Media/x\0y", 9)}) {
        EXPECT_FALSE(isTrustedDocumentPath(hostile)) << hostile;
    }
}

TEST(MediaNameTest, InsideAFolderMeansBelowItsWholeComponentsInAnyCase) {
    EXPECT_TRUE(
        isInsideFolder("/home/u/.cache/Pondra/pondra-7/x.wav", "/home/u/.cache/Pondra/pondra-7"));
    EXPECT_TRUE(
        isInsideFolder("/HOME/U/.Cache/pondra/PONDRA-7/x.wav", "/home/u/.cache/Pondra/pondra-7/"));
    EXPECT_FALSE(isInsideFolder("/shows/Show.pondra-old/Media/x.wav", "/shows/Show.pondra"));
    EXPECT_FALSE(isInsideFolder("/shows/Show.pondraX", "/shows/Show.pondra"));
    EXPECT_FALSE(isInsideFolder("/shows/Show.pondra", "/shows/Show.pondra"));
    EXPECT_FALSE(isInsideFolder("/shows", "/shows/Show.pondra"));
    EXPECT_FALSE(isInsideFolder("/shows/Show.pondra/../Other/x.wav", "/shows/Show.pondra"));
    EXPECT_FALSE(isInsideFolder("/x.wav", ""));
}

TEST(MediaNameTest, LastPathComponent) {
    EXPECT_EQ(lastPathComponent("/a/b/x.wav"), "x.wav");
    EXPECT_EQ(lastPathComponent("/a/b/"), "b");
    EXPECT_EQ(lastPathComponent("x.wav"), "x.wav");
    EXPECT_EQ(lastPathComponent("/"), "/");
}

} // namespace
