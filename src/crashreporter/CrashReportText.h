#pragma once

#include <QString>

// The machine facts a crash report starts with.
struct CrashReportMachine {
    QString model;
    int processorCount = 1;
    int clockMHz = 0;
    unsigned memoryMegabytes = 0;
};

// The text offered for sending: the machine, the log's report piece and the
// application's preferences.
QString crashReportText(const CrashReportMachine& machine, const QString& report,
                        const QString& preferences);
