#include "crashreporter/CrashReportText.h"

#include "KivUI/services/UserDefaults.h"
#include "platform/system/SystemInformation.h"

#include <QStringList>

namespace {

QString speed(const CrashReportMachine& machine) {
    const QString processors =
        machine.processorCount > 1 ? QStringLiteral("%1x ").arg(machine.processorCount) : QString();
    return processors + QString::number(machine.clockMHz / 1000.0, 'f', 2);
}

} // namespace

CrashReportMachine CrashReportMachine::current() {
    return {QString::fromStdString(SystemInformation::MachineModelName()),
            SystemInformation::ProcessorCount(), SystemInformation::CPUClockMHz(),
            SystemInformation::PhysicalMemoryMegabytes(),
            QString::fromStdString(SystemInformation::OSVersionString())};
}

QString crashReportText(const CrashReportMachine& machine, const QString& report,
                        const QString& preferences) {
    return QStringLiteral(
               "Model:\t\t%1\nCPU Speed:\t%2 GHz\nRAM:\t\t%3 MBs\n%4\n\nPreferences:\n%5")
        .arg(machine.model, speed(machine), QString::number(machine.memoryMegabytes), report,
             preferences);
}

QString feedbackSystemText(const QString& appName, const QString& appVersion,
                           const CrashReportMachine& machine, const QString& preferences) {
    return QStringLiteral("Application: %1 %2\nModel: %3\nCPU Speed: %4 GHz\nSystem Version: "
                          "%5\n\nPreferences:\n%6")
        .arg(appName, appVersion, machine.model, speed(machine), machine.systemVersion,
             preferences);
}

QString preferencesText(const UserDefaults& defaults) {
    QStringList keys = defaults.allKeys();
    keys.sort();
    QStringList lines;
    for (const QString& key : keys) {
        lines.append(key + QStringLiteral(" = ") + defaults.value(key).toString());
    }
    return lines.join(QLatin1Char('\n'));
}
