#include "platform/system/SystemInformation.h"

#include "platform/system/MachineModel.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace SystemInformation {

namespace {

// The file's first line without trailing NULs and white space (device-tree
// strings end in a NUL).
std::optional<std::string> firstLine(const char* path) {
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line)) {
        return std::nullopt;
    }
    while (!line.empty() &&
           (line.back() == '\0' || std::isspace(static_cast<unsigned char>(line.back())))) {
        line.pop_back();
    }
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

std::optional<std::string> modelIdentifier() {
    if (auto model = firstLine("/proc/device-tree/model")) {
        return model;
    }
    return firstLine("/sys/class/dmi/id/product_name");
}

} // namespace

std::string operatingSystemVersion() {
    utsname name{};
    if (uname(&name) != 0) {
        return "unknown";
    }
    return std::string(name.sysname) + " " + name.release;
}

std::uint64_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

unsigned PhysicalMemoryMegabytes() {
    return static_cast<unsigned>(physicalMemoryBytes() / (1024 * 1024));
}

void OSVersionComponents(long& major, long& minor, long& third) {
    utsname name{};
    if (uname(&name) != 0) {
        return;
    }
    long* parts[] = {&major, &minor, &third};
    const char* cursor = name.release;
    for (long* part : parts) {
        char* end = nullptr;
        const long value = std::strtol(cursor, &end, 10);
        if (end == cursor) {
            return;
        }
        *part = value;
        if (*end != '.') {
            return;
        }
        cursor = end + 1;
    }
}

std::string OSVersionString() {
    long major = 10;
    long minor = 0;
    long third = 0;
    OSVersionComponents(major, minor, third);
    char text[64];
    std::snprintf(text, sizeof text, "%ld.%ld.%ld", major, minor, third);
    return text;
}

int CPUClockMHz() {
    if (const auto kilohertz = firstLine("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq")) {
        const long value = std::strtol(kilohertz->c_str(), nullptr, 10);
        if (value > 0) {
            return static_cast<int>(value / 1000);
        }
    }
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("cpu MHz", 0) != 0) {
            continue;
        }
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            return static_cast<int>(std::strtod(line.c_str() + colon + 1, nullptr));
        }
    }
    return 0;
}

int ProcessorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int>(count) : 1;
}

std::string MachineModelName() {
    static const std::string name = MachineModelNameForIdentifier(modelIdentifier());
    return name;
}

std::string UserFullName() {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return {};
    }
    std::string comment = entry.pw_gecos != nullptr ? entry.pw_gecos : "";
    // The comment field's first comma-separated part is the full name.
    comment = comment.substr(0, comment.find(','));
    return comment.empty() ? std::string(entry.pw_name) : comment;
}

std::optional<std::string> UserEmailAddress() {
    const char* email = std::getenv("EMAIL");
    if (email == nullptr || email[0] == '\0') {
        return std::nullopt;
    }
    return std::string(email);
}

} // namespace SystemInformation
