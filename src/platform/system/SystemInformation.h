#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Facts about the machine and its user, read from uname, sysconf, /proc, /sys
// and the password database.
namespace SystemInformation {

// "<kernel name> <kernel release>", e.g. "Linux 6.1.0-18-amd64".
std::string operatingSystemVersion();
std::uint64_t physicalMemoryBytes();

// 0 when unknown.
unsigned PhysicalMemoryMegabytes();
// The kernel release's first three numbers ("6.1.0-18-amd64" gives 6, 1, 0);
// a part that is missing stays as it was passed in.
void OSVersionComponents(long& major, long& minor, long& third);
// "%ld.%ld.%ld" of the components, starting from 10, 0, 0.
std::string OSVersionString();
// The first processor's highest clock; 0 when unknown.
int CPUClockMHz();
// The processors online; 1 when unknown.
int ProcessorCount();
// The display name of the model in the device tree or the firmware's product
// name; read once and kept for the process.
std::string MachineModelName();

// The user's full name from the password database's comment field, else the
// login name; empty when the user has no entry.
std::string UserFullName();
// $EMAIL when it is set and not empty.
std::optional<std::string> UserEmailAddress();

} // namespace SystemInformation
