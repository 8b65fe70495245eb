#include "model/PackageWriter.h"

#include "model/PackageTree.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace {

using AudioFixtures::readBytes;
using AudioFixtures::writeBytes;
using Step = PackageWriter::Step;

ino_t inodeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

nlink_t linksOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_nlink;
}

// Fails the given step (its n-th call) with the given errno.
PackageWriter::FaultInjector failing(Step step, int error, int call = 1) {
    auto calls = std::make_shared<int>(0);
    return [=](Step reached) { return reached == step && ++*calls == call ? error : 0; };
}

class PackageWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path("a"));
        std::filesystem::create_directories(folder.path("b"));
        std::filesystem::create_directories(folder.path("shows"));
        writeBytes(folder.path("a/x.wav"), "first x");
        writeBytes(folder.path("b/x.wav"), "second x");
    }

    PackageContents twoFiles(const std::string& text) const {
        return {
            text,
            {{folder.path("a/x.wav"), "Media/x.wav"}, {folder.path("b/x.wav"), "Media/x-1.wav"}}};
    }

    AudioFixtures::TempFolder folder;
    const std::string package = folder.path("shows/Show.pondra");
};

TEST_F(PackageWriterTest, NewPackageHoldsDocumentAndItsOwnCopiesOfTheMediaAndNothingElse) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("{\"v\":1}"), package));

    EXPECT_EQ(readBytes(package + "/document"), "{\"v\":1}");
    EXPECT_EQ(readBytes(package + "/Media/x.wav"), "first x");
    EXPECT_EQ(readBytes(package + "/Media/x-1.wav"), "second x");
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});
    EXPECT_EQ(folderNames(package), (std::vector<std::string>{"Media", "document"}));
    // No link to the user's file: a change to it in place leaves the show's copy.
    EXPECT_NE(inodeOf(package + "/Media/x.wav"), inodeOf(folder.path("a/x.wav")));
    EXPECT_EQ(linksOf(package + "/Media/x.wav"), 1u);
    {
        std::ofstream edited(folder.path("a/x.wav"), std::ios::in | std::ios::out);
        edited << "FIRST";
    }
    EXPECT_EQ(readBytes(folder.path("a/x.wav")), "FIRST x");
    EXPECT_EQ(readBytes(package + "/Media/x.wav"), "first x");
}

TEST_F(PackageWriterTest, SavingInPlaceFromThePackagesOwnMediaKeepsThem) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("one"), package));
    const PackageContents fromPackage{
        "two",
        {{package + "/Media/x.wav", "Media/x.wav"}, {package + "/Media/x-1.wav", "Media/x-1.wav"}}};
    ASSERT_FALSE(PackageWriter().write(fromPackage, package));
    ASSERT_FALSE(PackageWriter().write(fromPackage, package));

    EXPECT_EQ(readBytes(package + "/document"), "two");
    EXPECT_EQ(readBytes(package + "/Media/x.wav"), "first x");
    EXPECT_EQ(readBytes(package + "/Media/x-1.wav"), "second x");
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});
    // The old package gone, the media are the package's alone again.
    EXPECT_EQ(linksOf(package + "/Media/x.wav"), 1u);
}

TEST_F(PackageWriterTest, ThePackagesOwnMediaAreCopiedWhereLinkingFails) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("t"), package));
    const ino_t before = inodeOf(package + "/Media/x.wav");
    const PackageContents fromPackage{"t", {{package + "/Media/x.wav", "Media/x.wav"}}};
    ASSERT_FALSE(PackageWriter(failing(Step::LinkMedia, EXDEV)).write(fromPackage, package));
    EXPECT_EQ(readBytes(package + "/Media/x.wav"), "first x");
    EXPECT_NE(inodeOf(package + "/Media/x.wav"), before);
}

TEST_F(PackageWriterTest, MediaFromAnotherFileSystemAreCopied) {
    struct stat shm {
    }, tmp{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(folder.path("").c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev) {
        GTEST_SKIP() << "no second file system";
    }
    const std::string source = "/dev/shm/pondra-writer-test-" + std::to_string(::getpid());
    writeBytes(source, "elsewhere");
    const KivError error = PackageWriter().write({"t", {{source, "Media/e.wav"}}}, package);
    std::filesystem::remove(source);
    ASSERT_FALSE(error) << error.description;
    EXPECT_EQ(readBytes(package + "/Media/e.wav"), "elsewhere");
}

struct FailingStep {
    Step step;
    int error;
    int code;
};

class PackageWriterFailureTest : public PackageWriterTest,
                                 public ::testing::WithParamInterface<FailingStep> {};

TEST_P(PackageWriterFailureTest, LeavesTheOldPackageByteIdenticalAndNoStagingFolder) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("old document"), package));
    const auto before = packageTree(package);
    CapturingLogSink log;

    PackageWriter::FaultInjector faults = failing(GetParam().step, GetParam().error);
    if (GetParam().step == Step::CopyMedia) {
        faults = [](Step step) {
            return step == Step::LinkMedia || step == Step::CopyMedia ? EIO : 0;
        };
    }
    const KivError error = PackageWriter(faults).write(twoFiles("new document"), package);

    EXPECT_EQ(error.domain, "Saving");
    EXPECT_EQ(error.code, GetParam().code);
    ASSERT_FALSE(log.lines().empty());
    EXPECT_EQ(log.lines().front(), error.description);
    EXPECT_EQ(packageTree(package), before);
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});
}

INSTANTIATE_TEST_SUITE_P(EachStep, PackageWriterFailureTest,
                         ::testing::Values(FailingStep{Step::CreateStaging, EACCES, 3},
                                           FailingStep{Step::CreateMedia, ENOSPC, 4},
                                           FailingStep{Step::CopyMedia, EIO, 5},
                                           FailingStep{Step::WriteDocument, ENOSPC, 6},
                                           FailingStep{Step::SyncFolders, EIO, 3},
                                           FailingStep{Step::Exchange, EIO, 2}));

TEST_F(PackageWriterTest, MessagesNameThePathsAndTheReason) {
    CapturingLogSink log;
    const auto faults = [](Step step) {
        return step == Step::LinkMedia || step == Step::CopyMedia ? EIO : 0;
    };
    EXPECT_EQ(PackageWriter(faults).write(twoFiles("t"), package).description,
              "Error - failed to save media file from " + folder.path("a/x.wav") + " to " +
                  package + "/Media/x.wav: Input/output error");
    EXPECT_EQ(PackageWriter(failing(Step::WriteDocument, ENOSPC))
                  .write(twoFiles("t"), package)
                  .description,
              "Error - failed to save document file: No space left on device");
    EXPECT_FALSE(std::filesystem::exists(package));
}

TEST_F(PackageWriterTest, WithoutExchangeTheOldPackageMovesAsideAndIsRemoved) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("old"), package));
    ASSERT_FALSE(PackageWriter(failing(Step::Exchange, EINVAL)).write(twoFiles("new"), package));
    EXPECT_EQ(readBytes(package + "/document"), "new");
    EXPECT_EQ(readBytes(package + "/Media/x-1.wav"), "second x");
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});
}

TEST_F(PackageWriterTest, WithoutExchangeAFailedRenamePutsTheOldPackageBack) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("old"), package));
    const auto before = packageTree(package);
    CapturingLogSink log;
    const auto faults = [calls = std::make_shared<int>(0)](Step step) {
        if (step == Step::Exchange) {
            return ENOSYS;
        }
        return step == Step::Rename && ++*calls == 2 ? EIO : 0;
    };
    EXPECT_EQ(PackageWriter(faults).write(twoFiles("new"), package).code, 2);
    EXPECT_EQ(packageTree(package), before);
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});
}

TEST_F(PackageWriterTest, AFailedRenameOfANewPackageLeavesNothing) {
    CapturingLogSink log;
    EXPECT_EQ(PackageWriter(failing(Step::Rename, EIO)).write(twoFiles("t"), package).code, 3);
    EXPECT_TRUE(folderNames(folder.path("shows")).empty());
}

TEST_F(PackageWriterTest, AnOldPackageThatCannotBeRemovedIsOnlyLogged) {
    ASSERT_FALSE(PackageWriter().write(twoFiles("old"), package));
    CapturingLogSink log;
    EXPECT_FALSE(PackageWriter(failing(Step::RemoveOld, EBUSY)).write(twoFiles("new"), package));
    EXPECT_EQ(readBytes(package + "/document"), "new");
    ASSERT_EQ(log.lines().size(), 1U);
    EXPECT_TRUE(log.lines()[0].starts_with("Error - failed to remove previous item at " +
                                           folder.path("shows/.Show.pondra.saving-")))
        << log.lines()[0];
}

TEST_F(PackageWriterTest, ATargetThatIsNoFilePathFailsWithCodeOne) {
    CapturingLogSink log;
    for (const std::string target : {"", "relative/Show.pondra", "/", "/tmp/.."}) {
        const KivError error = PackageWriter().write(twoFiles("t"), target);
        EXPECT_EQ(error.code, 1) << target;
        EXPECT_EQ(error.description,
                  "Error - trying to write to something that is not a file: " + target);
    }
}

TEST_F(PackageWriterTest, AMediaNameOutsideTheMediaFolderIsRefused) {
    const PackageContents hostile{"t", {{folder.path("a/x.wav"), "Media/../../escape.wav"}}};
    EXPECT_EQ(PackageWriter().write(hostile, package).code, 5);
    EXPECT_FALSE(std::filesystem::exists(folder.path("shows/escape.wav")));
    EXPECT_FALSE(std::filesystem::exists(package));
}

} // namespace

TEST_F(PackageWriterTest, ASaveInPlaceFindingTheDocumentChangedLeavesThePackageAsItIs) {
    std::optional<FileOperations::FileState> written;
    ASSERT_FALSE(PackageWriter().write(twoFiles("mine"), package, nullptr, &written));
    ASSERT_TRUE(written);
    EXPECT_EQ(FileOperations::fileState(package + "/document"), written);

    // Another writer's package in its place.
    ASSERT_FALSE(PackageWriter().write(twoFiles("theirs"), package));
    const auto before = packageTree(package);
    CapturingLogSink log;
    std::optional<FileOperations::FileState> again;
    const KivError error =
        PackageWriter().write(twoFiles("mine again"), package, &*written, &again);
    EXPECT_EQ(error.domain, "Saving");
    EXPECT_EQ(error.code, 8);
    EXPECT_FALSE(again);
    EXPECT_EQ(packageTree(package), before);
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});

    // The state it finds is the one it may replace.
    const auto theirs = FileOperations::fileState(package + "/document");
    ASSERT_FALSE(PackageWriter().write(twoFiles("mine again"), package, &*theirs, &again));
    EXPECT_EQ(readBytes(package + "/document"), "mine again");
    EXPECT_EQ(FileOperations::fileState(package + "/document"), again);
}
