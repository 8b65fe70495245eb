#include "platform/system/SystemInformation.h"

#include <gtest/gtest.h>

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
