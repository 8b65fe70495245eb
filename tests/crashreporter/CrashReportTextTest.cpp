#include "crashreporter/CrashReportText.h"

#include <gtest/gtest.h>

TEST(CrashReportText, TheSpeedLineCountsProcessorsOnlyWhenThereAreSeveral) {
    CrashReportMachine machine{QStringLiteral("Desk 7"), 1, 2000, 8192, QStringLiteral("6.1.0")};
    EXPECT_EQ(crashReportText(machine, QStringLiteral("Signal: SIGSEGV"), QStringLiteral("a = 1")),
              "Model:\t\tDesk 7\nCPU Speed:\t2.00 GHz\nRAM:\t\t8192 MBs\nSignal: SIGSEGV\n\n"
              "Preferences:\na = 1");
    machine.processorCount = 2;
    EXPECT_TRUE(crashReportText(machine, {}, {}).contains("\nCPU Speed:\t2x 2.00 GHz\n"));
}
