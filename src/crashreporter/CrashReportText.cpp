#include "crashreporter/CrashReportText.h"

QString crashReportText(const CrashReportMachine& machine, const QString& report,
                        const QString& preferences) {
    const QString processors =
        machine.processorCount > 1 ? QStringLiteral("%1x ").arg(machine.processorCount) : QString();
    return QStringLiteral(
               "Model:\t\t%1\nCPU Speed:\t%2%3 GHz\nRAM:\t\t%4 MBs\n%5\n\nPreferences:\n%6")
        .arg(machine.model, processors, QString::number(machine.clockMHz / 1000.0, 'f', 2),
             QString::number(machine.memoryMegabytes), report, preferences);
}
