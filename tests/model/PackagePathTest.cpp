#include "model/PackagePath.h"

#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using PackagePath::packageOf;

TEST(PackagePathTest, APackageSpelledWithOrWithoutSlashOrByItsDocumentIsThePackage) {
    AudioFixtures::TempFolder files;
    const std::string package = files.path("Show.pondra");
    std::filesystem::create_directories(package + "/Media");
    std::ofstream(package + "/document") << "{}";

    EXPECT_EQ(packageOf(package), package);
    EXPECT_EQ(packageOf(package + "/"), package);
    EXPECT_EQ(packageOf(package + "//"), package);
    EXPECT_EQ(packageOf(package + "/document"), package);
    EXPECT_EQ(packageOf(package + "/document/"), package);
}

TEST(PackagePathTest, AFolderNamedDocumentAndOtherFilesAreTakenAsTheyStand) {
    AudioFixtures::TempFolder files;
    // A package may be named so; it is not the archive of the folder above.
    const std::string folder = files.path("shows/document");
    std::filesystem::create_directories(folder);
    std::ofstream(files.path("shows/notes.txt")) << "x";

    EXPECT_EQ(packageOf(folder), folder);
    EXPECT_EQ(packageOf(files.path("shows/notes.txt")), files.path("shows/notes.txt"));
    EXPECT_EQ(packageOf(files.path("shows/Media")), files.path("shows/Media"));
}

TEST(PackagePathTest, TheArchiveOfARelativeOrRootPathNamesItsFolder) {
    EXPECT_EQ(packageOf("document"), ".");
    EXPECT_EQ(packageOf("/document"), "/");
    EXPECT_EQ(packageOf("Show.pondra/document"), "Show.pondra");
    EXPECT_EQ(packageOf("/"), "/");
}

} // namespace
