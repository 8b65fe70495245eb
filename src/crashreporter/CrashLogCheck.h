#pragma once

#include <QString>

#include <cstddef>
#include <optional>

class UserDefaults;

// The launch-time search for a crash log the user has not yet been offered.
// Only regular files inside the folder count: symbolic links, FIFOs and the
// like are never opened. The file work runs on any thread.
namespace CrashLogCheck {

// At most this much of a log is read: its end, where the last report is.
inline constexpr std::size_t kReadLimit = 512 * 1024;
// At most this many entries of the folder and its subfolders are looked at.
inline constexpr int kEntryLimit = 10000;

// The newest "<appName>_*.crash" under `folder`, subfolders included; on equal
// dates the first found stays. Empty when none matches.
QString FindNewestCrashLogPath(const QString& appName, const QString& folder);

// The last piece of the log after "\n\n**********\n\n", or
// "*** Couldn't read Report ***" when the file cannot be read. Of a log longer
// than kReadLimit only the end is read, from its first whole line on.
QString reportFromLog(const QString& path);

// Seconds since 1970 of the last sent or discarded report; 0 when none. Kept as
// a double: a float would round present dates by up to 64 s and hide a new log.
double lastReportDate(const UserDefaults& settings);
void setLastReportDate(UserDefaults& settings, double secondsSince1970);

// The report of the newest log when it is later than `lastReportDate`.
std::optional<QString> newReport(const QString& appName, const QString& folder,
                                 double lastReportDate);

} // namespace CrashLogCheck
