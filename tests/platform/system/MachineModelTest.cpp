#include "platform/system/MachineModel.h"

#include <gtest/gtest.h>

using SystemInformation::MachineModelNameForIdentifier;

TEST(MachineModel, AnExactKeyNamesTheModel) {
    EXPECT_EQ(MachineModelNameForIdentifier("PowerMac7,2"), "PowerMac G5");
    EXPECT_EQ(MachineModelNameForIdentifier("PowerMac3,4"), "PowerMac G4 (QuickSilver)");
    EXPECT_EQ(MachineModelNameForIdentifier("RackMac3,1"), "XServe G5");
    EXPECT_EQ(MachineModelNameForIdentifier("AAPL,8500"), "PowerMac 8500/8600");
}

TEST(MachineModel, AFamilyKeyIsNamedWithTheKey) {
    EXPECT_EQ(MachineModelNameForIdentifier("iMac9,1"), "iMac (iMac)");
    EXPECT_EQ(MachineModelNameForIdentifier("Macmini3,1"), "Mac Mini (Macmini)");
    EXPECT_EQ(MachineModelNameForIdentifier("AAPL,9999"), "Yikes! Old machine (AAPL)");
}

TEST(MachineModel, AnUnknownOrUnreadableModelIsUnknown) {
    EXPECT_EQ(MachineModelNameForIdentifier("MacBookPro5,1"), "Unknown (MacBookPro5,1)");
    EXPECT_EQ(MachineModelNameForIdentifier("Standard PC (Q35 + ICH9, 2009)"),
              "Unknown (Standard PC (Q35 + ICH9, 2009))");
    EXPECT_EQ(MachineModelNameForIdentifier(std::nullopt), "Unknown");
}
