#include "platform/files/SymlinkChain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class SymlinkChainTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path().string() + "/pondra-links-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root + "/sub");
        std::ofstream(root + "/sub/real.wav") << "real";
    }
    void TearDown() override { fs::remove_all(root); }

    std::string root;
};

TEST_F(SymlinkChainTest, FollowsRelativeAndAbsoluteLinksToTheFirstFile) {
    fs::create_symlink("sub/real.wav", root + "/one");
    fs::create_symlink(root + "/one", root + "/sub/two");
    fs::create_symlink("two", root + "/sub/three");
    EXPECT_EQ(ResolveSymlinkChain(root + "/sub/three"), root + "/sub/real.wav");
    EXPECT_EQ(ResolveSymlinkChain(root + "/sub/real.wav"), root + "/sub/real.wav");
}

TEST_F(SymlinkChainTest, ACycleGivesNothingHoweverItIsSpelled) {
    fs::create_symlink("b", root + "/a");
    fs::create_symlink("a", root + "/b");
    EXPECT_EQ(ResolveSymlinkChain(root + "/a"), std::nullopt);
    // Each turn spells the path longer, so only the link's identity shows the cycle.
    fs::create_symlink("./self", root + "/self");
    EXPECT_EQ(ResolveSymlinkChain(root + "/self"), std::nullopt);
}

TEST_F(SymlinkChainTest, AMissingItemOrDanglingLinkGivesNothing) {
    EXPECT_EQ(ResolveSymlinkChain(root + "/missing"), std::nullopt);
    fs::create_symlink("missing", root + "/dangling");
    EXPECT_EQ(ResolveSymlinkChain(root + "/dangling"), std::nullopt);
}

} // namespace
