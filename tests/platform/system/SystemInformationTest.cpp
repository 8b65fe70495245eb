#include "platform/system/SystemInformation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

TEST(SystemInformation, MemoryAgreesWithProcMeminfo) {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kilobytes = 0;
    meminfo >> key >> kilobytes;
    ASSERT_EQ(key, "MemTotal:");
    const double reported = static_cast<double>(SystemInformation::physicalMemoryBytes());
    EXPECT_NEAR(reported / 1024.0, static_cast<double>(kilobytes), kilobytes * 0.05);
}

TEST(SystemInformation, VersionNamesTheKernel) {
    EXPECT_EQ(SystemInformation::operatingSystemVersion().rfind("Linux ", 0), 0u);
}

TEST(SystemInformation, VersionComponentsComeFromTheKernelRelease) {
    long major = -1;
    long minor = -1;
    long third = -1;
    SystemInformation::OSVersionComponents(major, minor, third);
    const std::string release = SystemInformation::operatingSystemVersion().substr(6);
    EXPECT_EQ(release.rfind(std::to_string(major) + "." + std::to_string(minor), 0), 0u) << release;
    EXPECT_GE(third, 0);
    EXPECT_EQ(SystemInformation::OSVersionString(),
              std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(third));
}

TEST(SystemInformation, MachineFactsAreNeverMissing) {
    EXPECT_GE(SystemInformation::ProcessorCount(), 1);
    EXPECT_GE(SystemInformation::CPUClockMHz(), 0);
    EXPECT_EQ(SystemInformation::PhysicalMemoryMegabytes(),
              SystemInformation::physicalMemoryBytes() / (1024 * 1024));
    const std::string model = SystemInformation::MachineModelName();
    EXPECT_FALSE(model.empty());
    EXPECT_EQ(model.find("(null)"), std::string::npos);
}

TEST(SystemInformation, TheEmailAddressComesFromTheEnvironment) {
    const char* saved = std::getenv("EMAIL");
    const std::string kept = saved != nullptr ? saved : "";
    ::setenv("EMAIL", "sound@example.org", 1);
    EXPECT_EQ(SystemInformation::UserEmailAddress(), "sound@example.org");
    ::setenv("EMAIL", "", 1);
    EXPECT_FALSE(SystemInformation::UserEmailAddress());
    ::unsetenv("EMAIL");
    EXPECT_FALSE(SystemInformation::UserEmailAddress());
    if (saved != nullptr) {
        ::setenv("EMAIL", kept.c_str(), 1);
    }
}
