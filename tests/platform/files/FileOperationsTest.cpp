#include "platform/files/FileOperations.h"

#include "support/FifoOpening.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

TEST(FileOperations, ReadingTakesOnlyRegularFilesUpToTheLimit) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pondra-read-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = folder / "document";
    ASSERT_EQ(FileOperations::writeNewFile(file, "{\"version\": 1}"), 0);
    std::string text;
    EXPECT_EQ(FileOperations::readRegularFile(file, 14, text), 0);
    EXPECT_EQ(text, "{\"version\": 1}");
    text = "kept";
    EXPECT_EQ(FileOperations::readRegularFile(file, 13, text), EFBIG);
    EXPECT_EQ(FileOperations::readRegularFile(folder, 1000, text), EISDIR);
    EXPECT_EQ(FileOperations::readRegularFile(folder / "absent", 1000, text), ENOENT);
    EXPECT_EQ(text, "kept");

    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int error = 0;
    EXPECT_TRUE(returnsWithoutAWriter(
        fifo, [&] { error = FileOperations::readRegularFile(fifo, 1000, text); }));
    EXPECT_EQ(error, EINVAL);
    std::filesystem::remove_all(folder);
}

TEST(FileOperations, CopyingAFifoFailsAtOnceAndLeavesNoCopy) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pondra-fifo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = folder / "x.wav";
    const std::string copy = folder / "copy.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int error = 0;
    EXPECT_TRUE(returnsWithoutAWriter(fifo, [&] { error = FileOperations::copyFile(fifo, copy); }));
    EXPECT_NE(error, 0);
    EXPECT_FALSE(std::filesystem::exists(copy));
    std::filesystem::remove_all(folder);
}
