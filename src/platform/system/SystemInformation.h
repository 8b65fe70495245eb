#pragma once

#include <cstdint>
#include <string>

// Facts about the machine, read from uname, sysconf and /proc.
namespace SystemInformation {

// "<kernel name> <kernel release>", e.g. "Linux 6.1.0-18-amd64".
std::string operatingSystemVersion();
std::uint64_t physicalMemoryBytes();

} // namespace SystemInformation
