#pragma once

#include <QString>

#include <optional>

class QSettings;

// The launch-time search for a crash log the user has not yet been offered.
namespace CrashLogCheck {

// The newest "<appName>_*.crash" under `folder`, subfolders included; on equal
// dates the first found stays. Empty when none matches.
QString FindNewestCrashLogPath(const QString& appName, const QString& folder);

// The last piece of the log after "\n\n**********\n\n", or
// "*** Couldn't read Report ***" when the file cannot be read.
QString reportFromLog(const QString& path);

// Seconds since 1970 of the last sent or discarded report; 0 when none. Kept as
// a double: a float would round present dates by up to 64 s and hide a new log.
double lastReportDate(const QSettings& settings);
void setLastReportDate(QSettings& settings, double secondsSince1970);

// The report of the newest log when it is later than the last report date.
std::optional<QString> newReport(const QString& appName, const QString& folder,
                                 const QSettings& settings);

} // namespace CrashLogCheck
