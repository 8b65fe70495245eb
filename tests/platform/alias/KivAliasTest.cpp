#include "platform/alias/KivAlias.h"

#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "platform/alias/FileDescriptorLimit.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class KivAliasTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pondra-alias-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        _folder = fs::canonical(pattern);
    }
    void TearDown() override { fs::remove_all(_folder); }

    std::string makeFile(const std::string& relative, const std::string& content = "audio") {
        const fs::path path = _folder / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << content;
        return path.string();
    }
    std::string at(const std::string& relative) const { return (_folder / relative).string(); }

    // An alias as it comes back from a saved archive: no hold on the file.
    static std::shared_ptr<KivAlias> reloaded(const KivAlias& alias) {
        KivKeyedEncoder encoder;
        encoder.encodeObject(alias, "file");
        const auto decoder = KivKeyedDecoder::decoderForText(encoder.archivedText().value());
        auto decoded = decoder.decodeObjectForKey<KivAlias>("file");
        EXPECT_FALSE(decoder.failed()) << decoder.error();
        return decoded;
    }

    fs::path _folder;
};

} // namespace

TEST_F(KivAliasTest, MissingPathGivesNoAliasAndNoMessage) {
    CapturingLogSink log;
    EXPECT_FALSE(KivAlias::aliasWithPath(at("nothing.wav")));
    EXPECT_FALSE(KivAlias::aliasWithPath(at("nowhere/nothing.wav")));
    EXPECT_FALSE(KivAlias::aliasWithPath(""));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(KivAliasTest, FollowsRenamesAndMovesWhileRunning) {
    const auto alias = KivAlias::aliasWithPath(makeFile("a.wav"));
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->fullPath(), at("a.wav"));

    fs::rename(at("a.wav"), at("b.wav"));
    EXPECT_EQ(alias->fullPath(), at("b.wav"));
    EXPECT_EQ(alias->lastKnownFullPath(), at("b.wav"));

    fs::create_directories(at("Media/Show"));
    fs::rename(at("b.wav"), at("Media/Show/b.wav"));
    fs::rename(at("Media"), at("Renamed"));
    EXPECT_EQ(alias->fullPath(), at("Renamed/Show/b.wav"));
    EXPECT_EQ(alias->description(), at("Renamed/Show/b.wav"));
}

TEST_F(KivAliasTest, DeletedFileResolvesToEmptyWithoutMessage) {
    CapturingLogSink log;
    const auto alias = KivAlias::aliasWithPath(makeFile("gone.wav"));
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->fullPath(), at("gone.wav"));
    fs::remove(at("gone.wav"));
    EXPECT_EQ(alias->fullPath(), "");
    EXPECT_EQ(alias->fileURL(), "");
    EXPECT_EQ(alias->lastKnownFullPath(), at("gone.wav"));

    makeFile("gone.wav", "another file in its place");
    EXPECT_EQ(alias->fullPath(), "") << "a new file at the old path is not the same file";
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(KivAliasTest, Equality) {
    const auto a = KivAlias::aliasWithPath(makeFile("a.wav"));
    const auto sameFile = KivAlias::aliasWithPath(at("./a.wav"));
    const auto b = KivAlias::aliasWithPath(makeFile("b.wav"));
    ASSERT_TRUE(a && sameFile && b);
    EXPECT_EQ(*a, *sameFile);
    EXPECT_NE(*a, *b);

    const auto aCopy = a->copy();
    fs::remove(at("a.wav"));
    fs::remove(at("b.wav"));
    EXPECT_NE(*a, *b) << "two different missing files are not the same reference";
    EXPECT_EQ(*a, *aCopy);
    EXPECT_EQ(KivAlias(), KivAlias());
}

TEST_F(KivAliasTest, CopyFollowsTheSameFile) {
    const auto alias = KivAlias::aliasWithPath(makeFile("a.wav"));
    ASSERT_TRUE(alias);
    const auto copy = alias->copy();
    fs::rename(at("a.wav"), at("c.wav"));
    EXPECT_EQ(copy->fullPath(), at("c.wav"));
    EXPECT_EQ(copy->lastKnownFullPath(), at("c.wav"));
}

TEST_F(KivAliasTest, ReloadedAliasResolvesOnlyWhileTheIdentityMatches) {
    const auto alias = KivAlias::aliasWithPath(makeFile("a.wav"));
    ASSERT_TRUE(alias);
    fs::rename(at("a.wav"), at("b.wav"));
    EXPECT_EQ(alias->fullPath(), at("b.wav"));

    const auto reloadedAlias = reloaded(*alias);
    ASSERT_TRUE(reloadedAlias);
    EXPECT_EQ(reloadedAlias->lastKnownFullPath(), at("b.wav"));
    EXPECT_EQ(reloadedAlias->fullPath(), at("b.wav"));
    // Found again, it holds the file and follows later moves.
    fs::rename(at("b.wav"), at("c.wav"));
    EXPECT_EQ(reloadedAlias->fullPath(), at("c.wav"));

    const auto second = reloaded(*alias);
    fs::remove(at("c.wav"));
    makeFile("c.wav", "a different file under the same name");
    EXPECT_EQ(second->fullPath(), "");
}

TEST_F(KivAliasTest, MoveWhileNotRunningIsNotFound) {
    const auto alias = KivAlias::aliasWithPath(makeFile("a.wav"));
    ASSERT_TRUE(alias);
    const auto saved = reloaded(*alias);
    fs::rename(at("a.wav"), at("moved.wav"));
    EXPECT_EQ(saved->fullPath(), "");
    fs::rename(at("moved.wav"), at("a.wav"));
    EXPECT_EQ(saved->fullPath(), at("a.wav")) << "back at its recorded path";
}

TEST_F(KivAliasTest, ArchiveKeysAndBadRecordBytes) {
    const auto alias = KivAlias::aliasWithPath(makeFile("a b.wav"));
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->fileURL(), "file://" + _folder.string() + "/a%20b.wav");
    KivKeyedEncoder encoder;
    encoder.encodeObject(alias, "file");
    const nlohmann::json& stored = encoder.storedForm()["file"];
    EXPECT_EQ(stored["$class"], "KivAlias");
    EXPECT_TRUE(stored["alias"].contains("$data"));
    EXPECT_EQ(stored["lastKnownPath"], at("a b.wav"));

    CapturingLogSink log;
    const auto decoder = KivKeyedDecoder::decoderForText(
        R"({"file": {"$class": "KivAlias", "alias": {"$data": "AAEC"}, "lastKnownPath": "/x"}})");
    const auto bad = decoder.decodeObjectForKey<KivAlias>("file");
    ASSERT_TRUE(bad);
    EXPECT_FALSE(decoder.failed()) << "a bad record leaves the alias unresolved, not the archive";
    EXPECT_EQ(bad->fullPath(), "");
    EXPECT_EQ(bad->lastKnownFullPath(), "/x");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("Error: 22"), std::string::npos) << log.lines()[0];
}

TEST(KivAliasRecord, RoundTripsAndRejectsMalformedBytes) {
    const KivAliasRecord record{0x0102030405060708, 0xFFFFFFFFFFFFFFFF, "/show/a.wav"};
    const auto data = record.data();
    EXPECT_EQ(KivAliasRecord::fromData(data), record);

    const std::vector<std::uint8_t> truncated(data.begin(), data.end() - 1);
    auto longer = data;
    longer.push_back('x');
    auto badMagic = data;
    badMagic[0] = 'X';
    auto badVersion = data;
    badVersion[4] = 2;
    const auto relative = KivAliasRecord{1, 2, "show/a.wav"}.data();
    const auto withZero = KivAliasRecord{1, 2, std::string("/a\0b", 4)}.data();
    const auto empty = KivAliasRecord{1, 2, ""}.data();
    for (const auto& bad : {truncated, longer, badMagic, badVersion, relative, withZero, empty,
                            std::vector<std::uint8_t>{}}) {
        EXPECT_FALSE(KivAliasRecord::fromData(bad));
    }
}

TEST(FileDescriptorLimit, RaisesTheSoftLimitToTheHardLimit) {
    const std::uint64_t limit = raiseFileDescriptorLimit();
    rlimit now{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &now), 0);
    EXPECT_EQ(limit, now.rlim_cur);
    if (now.rlim_max != RLIM_INFINITY) {
        EXPECT_EQ(now.rlim_cur, now.rlim_max);
    }
}
