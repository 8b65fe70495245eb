#include "platform/files/FileOperations.h"

#include "support/FifoOpening.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

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
