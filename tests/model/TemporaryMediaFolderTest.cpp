#include "model/TemporaryMediaFolder.h"

#include "model/PackageTree.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using AudioFixtures::readBytes;
using AudioFixtures::writeBytes;

std::function<unsigned()> numbers(std::vector<unsigned> sequence) {
    auto next = std::make_shared<std::size_t>(0);
    return [=] { return sequence[(*next)++ % sequence.size()]; };
}

class TemporaryMediaFolderTest : public ::testing::Test {
protected:
    AudioFixtures::TempFolder folder;
    const std::string caches = folder.path("cache");
};

TEST_F(TemporaryMediaFolderTest, TwoFoldersNeverShareANumber) {
    TemporaryMediaFolder first(caches, numbers({1000005}));
    TemporaryMediaFolder second(caches, numbers({5, 5, 7}));
    EXPECT_EQ(first.path(), caches + "/Pondra/pondra-5");
    EXPECT_EQ(second.path(), caches + "/Pondra/pondra-7");
    EXPECT_TRUE(std::filesystem::is_directory(second.path()));
}

TEST_F(TemporaryMediaFolderTest, RemovedWithItsMediaWhenClosed) {
    std::string path;
    {
        TemporaryMediaFolder tmp(caches);
        path = tmp.path();
        writeBytes(folder.path("x.wav"), "x");
        ASSERT_TRUE(tmp.copyFileIntoTmp(folder.path("x.wav")));
    }
    EXPECT_FALSE(path.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(caches + "/Pondra"));
}

TEST_F(TemporaryMediaFolderTest, AFailureToCreateIsLoggedAndImportsFail) {
    writeBytes(caches, "a file where the caches folder should be");
    CapturingLogSink log;
    TemporaryMediaFolder tmp(caches);
    EXPECT_TRUE(tmp.path().empty());
    ASSERT_EQ(log.lines().size(), 1U);
    EXPECT_EQ(log.lines()[0],
              "Failed to create temporary directory at " + caches + "/Pondra: Not a directory");
    writeBytes(folder.path("x.wav"), "x");
    EXPECT_EQ(tmp.copyFileIntoTmp(folder.path("x.wav")), std::nullopt);
}

TEST_F(TemporaryMediaFolderTest, ImportsOfOneNameAreNumberedAndKeepTheirBytes) {
    TemporaryMediaFolder tmp(caches);
    std::vector<std::string> copies;
    for (const std::string from : {"a", "b", "c"}) {
        std::filesystem::create_directories(folder.path(from));
        writeBytes(folder.path(from + "/x.wav"), "bytes of " + from);
        copies.push_back(tmp.copyFileIntoTmp(folder.path(from + "/x.wav")).value_or(""));
    }
    EXPECT_EQ(copies, (std::vector<std::string>{tmp.path() + "/x.wav", tmp.path() + "/x-1.wav",
                                                tmp.path() + "/x-2.wav"}));
    EXPECT_EQ(readBytes(copies[1]), "bytes of b");
    EXPECT_EQ(readBytes(copies[2]), "bytes of c");
}

TEST_F(TemporaryMediaFolderTest, ALinkIsImportedAsItsFileUnderTheLinksName) {
    TemporaryMediaFolder tmp(caches);
    writeBytes(folder.path("real.wav"), "real");
    std::filesystem::create_symlink("real.wav", folder.path("middle.wav"));
    std::filesystem::create_symlink(folder.path("middle.wav"), folder.path("cue.wav"));
    const auto copy = tmp.copyFileIntoTmp(folder.path("cue.wav"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, tmp.path() + "/cue.wav");
    EXPECT_FALSE(std::filesystem::is_symlink(*copy));
    EXPECT_EQ(readBytes(*copy), "real");
}

TEST_F(TemporaryMediaFolderTest, FailedImportsAreLogged) {
    TemporaryMediaFolder tmp(caches);
    std::filesystem::create_symlink("b.wav", folder.path("a.wav"));
    std::filesystem::create_symlink("a.wav", folder.path("b.wav"));
    CapturingLogSink log;
    EXPECT_EQ(tmp.copyFileIntoTmp(folder.path("a.wav")), std::nullopt);
    EXPECT_EQ(tmp.copyFileIntoTmp(folder.path("")), std::nullopt);
    ASSERT_EQ(log.lines().size(), 2U);
    EXPECT_TRUE(
        log.lines()[0].starts_with("Failed to copy " + folder.path("a.wav") + " when importing: "));
    EXPECT_TRUE(
        log.lines()[1].starts_with("Failed to copy " + folder.path("") + " when importing: "))
        << log.lines()[1];
    EXPECT_EQ(folderNames(tmp.path()), std::vector<std::string>{});
}

TEST_F(TemporaryMediaFolderTest, NoFreeNameAmongTenThousandGivesNothing) {
    TemporaryMediaFolder tmp(caches);
    writeBytes(tmp.path() + "/x.wav", "");
    for (int n = 1; n <= 10000; ++n) {
        writeBytes(tmp.path() + "/x-" + std::to_string(n) + ".wav", "");
    }
    writeBytes(folder.path("x.wav"), "x");
    CapturingLogSink log;
    EXPECT_EQ(tmp.copyFileIntoTmp(folder.path("x.wav")), std::nullopt);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"Cannot seem to find a filename that does not exist while "
                                       "importing media: " +
                                       folder.path("x.wav")});
}

TEST_F(TemporaryMediaFolderTest, ContainsPathsBelowItInAnyCase) {
    TemporaryMediaFolder tmp(caches, numbers({42}));
    EXPECT_TRUE(tmp.contains(caches + "/PONDRA/Pondra-42/x.wav"));
    EXPECT_FALSE(tmp.contains(caches + "/Pondra/pondra-421/x.wav"));
    EXPECT_FALSE(tmp.contains(tmp.path()));
}

TEST(TemporaryMediaFolderCachesTest, FollowsXdgCacheHomeElseHome) {
    const char* savedCache = std::getenv("XDG_CACHE_HOME");
    const std::string cache = savedCache ? savedCache : "";
    ::setenv("XDG_CACHE_HOME", "/x/cache", 1);
    EXPECT_EQ(TemporaryMediaFolder::cachesFolder(), "/x/cache");
    ::setenv("XDG_CACHE_HOME", "relative", 1);
    EXPECT_EQ(TemporaryMediaFolder::cachesFolder(), std::string(std::getenv("HOME")) + "/.cache");
    if (savedCache) {
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    } else {
        ::unsetenv("XDG_CACHE_HOME");
    }
}

} // namespace
