#include "platform/crash/CrashWriter.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// An unmapped address the compiler cannot see through, so the store stays.
volatile std::uintptr_t gUnmappedAddress = 16;

// Exported and kept out of line so the backtrace names it.
extern "C" __attribute__((noinline)) void pondraCrashWriterTestFault() {
    *reinterpret_cast<volatile int*>(gUnmappedAddress) = 1;
}

namespace {

class CrashWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        _folder = fs::temp_directory_path() /
                  ("pondra-crash-" + std::to_string(::getpid()) + "/CrashReports");
        fs::remove_all(_folder.parent_path());
    }
    void TearDown() override { fs::remove_all(_folder.parent_path()); }

    // Runs `body` in a child with the writer installed; the child's exit status.
    template <typename Body>
    int runChild(Body body) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (!CrashWriter::install("CrashTest", _folder.string())) {
                ::_exit(2);
            }
            // noexcept: an exception must end the child, not reach the test runner.
            [&]() noexcept { body(); }();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }

    std::vector<fs::path> logs() const {
        std::vector<fs::path> found;
        if (fs::exists(_folder)) {
            for (const auto& entry : fs::directory_iterator(_folder)) {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    static std::string read(const fs::path& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path _folder;
};

} // namespace

TEST_F(CrashWriterTest, FatalSignalLeavesALogWithSignalFramesAndMapsThenEndsTheProcess) {
    const int status = runChild([] { pondraCrashWriterTestFault(); });
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "the crash writer is off in sanitizer builds";
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    const std::vector<fs::path> found = logs();
    ASSERT_EQ(found.size(), 1u);
    const std::string name = found[0].filename().string();
    EXPECT_EQ(name.rfind("CrashTest_", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("CrashTest_yyyy-MM-dd-HHmmss_").size() +
                               name.substr(name.rfind('_') + 1).size());
    EXPECT_TRUE(name.ends_with(".crash")) << name;
    const std::string log = read(found[0]);
    EXPECT_NE(log.find("Process: CrashTest ["), std::string::npos) << log;
    EXPECT_NE(log.find("Signal: SIGSEGV (11)"), std::string::npos) << log;
    EXPECT_NE(log.find("pondraCrashWriterTestFault"), std::string::npos) << log;
    EXPECT_NE(log.find("Memory map:\n"), std::string::npos) << log;
    EXPECT_NE(log.find("[stack]"), std::string::npos) << log;
}

TEST_F(CrashWriterTest, UncaughtExceptionIsNamedInTheLog) {
    const int status = runChild([] { throw std::runtime_error("cue list came apart"); });
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "the crash writer is off in sanitizer builds";
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    const std::vector<fs::path> found = logs();
    ASSERT_EQ(found.size(), 1u);
    const std::string log = read(found[0]);
    EXPECT_NE(log.find("Signal: SIGABRT (6)"), std::string::npos) << log;
    EXPECT_NE(log.find("Terminated by uncaught exception: cue list came apart"), std::string::npos)
        << log;
}

TEST(CrashWriter, ReportsFolderFollowsXdgDataHome) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string kept = saved != nullptr ? saved : "";
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(CrashWriter::reportsFolder("Pondra"), "/data/home/Pondra/CrashReports");
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", "/home/op", 1);
    EXPECT_EQ(CrashWriter::reportsFolder("Pondra"), "/home/op/.local/share/Pondra/CrashReports");
    ::setenv("HOME", home.c_str(), 1);
    if (saved != nullptr) {
        ::setenv("XDG_DATA_HOME", kept.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
}
