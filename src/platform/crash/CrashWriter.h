#pragma once

#include <string>

// Writes a crash log when the process dies of a fatal signal or an uncaught
// exception, then lets the signal end the process as it would have.
namespace CrashWriter {

// "$XDG_DATA_HOME/<appName>/CrashReports" when that variable is an absolute
// path, else under "$HOME/.local/share"; empty when neither is known.
std::string reportsFolder(const std::string& appName);

// Each log is "<appName>_<yyyy-MM-dd-HHmmss>_<pid>.crash" in `folder`, made
// here when missing. False, with nothing installed, in sanitizer builds (the
// sanitizer reports those signals itself) or when `folder` is empty.
bool install(const std::string& appName, const std::string& folder);

} // namespace CrashWriter
