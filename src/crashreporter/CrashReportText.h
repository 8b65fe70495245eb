#pragma once

#include <QString>

class UserDefaults;

// The machine facts a crash report starts with.
struct CrashReportMachine {
    QString model;
    int processorCount = 1;
    int clockMHz = 0;
    unsigned memoryMegabytes = 0;
    QString systemVersion;

    // This machine, from the system information.
    static CrashReportMachine current();
};

// The text offered for sending: the machine, the log's report piece and the
// application's preferences.
QString crashReportText(const CrashReportMachine& machine, const QString& report,
                        const QString& preferences);

// The system information a feedback message is sent with.
QString feedbackSystemText(const QString& appName, const QString& appVersion,
                           const CrashReportMachine& machine, const QString& preferences);

// Every user default as "key = value" lines, in key order.
QString preferencesText(const UserDefaults& defaults);
