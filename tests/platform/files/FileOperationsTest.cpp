#include "platform/files/FileOperations.h"

#include "support/FifoOpening.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>

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

TEST(FileOperations, ACopyOfAFileThatChangesIsRefusedAndLeavesNoCopy) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pondra-change-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = folder / "x.wav";
    const std::string copy = folder / "copy.wav";
    ASSERT_EQ(FileOperations::writeNewFile(file, std::string(4096, 'x')), 0);
    const auto checked = FileOperations::fileState(file);
    ASSERT_TRUE(checked);
    EXPECT_EQ(checked->size, 4096);

    // Written to since it was looked at: not copied at all.
    ASSERT_EQ(::truncate(file.c_str(), 2048), 0);
    EXPECT_EQ(FileOperations::copyFile(file, copy, nullptr, &*checked),
              FileOperations::kSourceChanged);
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_EQ(FileOperations::errorText(FileOperations::kSourceChanged),
              "the file changed while it was being copied");

    // Cut short by another while the copy runs.
    ASSERT_EQ(::truncate(file.c_str(), 256 << 20), 0);
    std::thread cutter([&] {
        while (!std::filesystem::exists(copy)) {
            std::this_thread::yield();
        }
        ::truncate(file.c_str(), 100 * 1024);
    });
    const int error = FileOperations::copyFile(file, copy);
    cutter.join();
    EXPECT_EQ(error, FileOperations::kSourceChanged);
    EXPECT_FALSE(std::filesystem::exists(copy));

    // Left alone, the same file copies whole.
    const auto now = FileOperations::fileState(file);
    ASSERT_TRUE(now);
    EXPECT_EQ(FileOperations::copyFile(file, copy, nullptr, &*now), 0);
    EXPECT_EQ(std::filesystem::file_size(copy), 100u * 1024);
    std::filesystem::remove_all(folder);
}
