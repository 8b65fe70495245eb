#include "foundation/KivEnvironment.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

TEST(KivEnvironment, LogLevelStartsAtZero) {
    EXPECT_EQ(KivEnvironment::logLevel(), 0);
    KivEnvironment::setLogLevel(3);
    EXPECT_EQ(KivEnvironment::logLevel(), 3);
    KivEnvironment::setLogLevel(0);
}

TEST(KivEnvironment, StoreTreatsAnEmptyValueAsNil) {
    EXPECT_FALSE(KivEnvironment::objectForKey("never stored").has_value());
    KivEnvironment::setObject(std::string("2026-12-09"), "appLaunchDate");
    EXPECT_EQ(std::any_cast<std::string>(KivEnvironment::objectForKey("appLaunchDate")),
              "2026-12-09");
    KivEnvironment::setObject(std::any(), "appLaunchDate");
    EXPECT_FALSE(KivEnvironment::objectForKey("appLaunchDate").has_value());
}

TEST(KivEnvironment, IpAddressesIncludeLoopbackWithItsBroadcast) {
    const std::regex dotted("\\d+\\.\\d+\\.\\d+\\.\\d+");
    bool loopback = false;
    for (const auto& entry : KivEnvironment::ipAddresses()) {
        for (const char* key : {"address", "netmask", "broadcast"}) {
            EXPECT_TRUE(std::regex_match(entry.at(key), dotted)) << key << " " << entry.at(key);
        }
        if (entry.at("address") == "127.0.0.1") {
            loopback = true;
            EXPECT_EQ(entry.at("netmask"), "255.0.0.0");
            EXPECT_EQ(entry.at("broadcast"), "127.255.255.255");
        }
    }
    EXPECT_TRUE(loopback);
}
