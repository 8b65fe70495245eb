#include "platform/files/PathIdentity.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace PathIdentity {
namespace {

std::string resolved(const std::string& path, bool& found) {
    char buffer[PATH_MAX];
    found = ::realpath(path.c_str(), buffer) != nullptr;
    return found ? std::string(buffer) : std::string();
}

} // namespace

std::string canonicalPath(const std::string& path) {
    bool found = false;
    if (std::string whole = resolved(path, found); found) {
        return whole;
    }
    if (errno != ENOENT) {
        return path;
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const auto slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : trimmed.substr(0, slash);
    if (name.empty() || name == "." || name == "..") {
        return path;
    }
    const std::string folder = resolved(parent, found);
    if (!found) {
        return path;
    }
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool isSameItem(const std::string& path, const std::string& other) {
    struct stat first {};
    struct stat second {};
    return ::stat(path.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool isBelow(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() <= folder.size() || !path.starts_with(folder)) {
        return false;
    }
    return folder.back() == '/' || path[folder.size()] == '/';
}

} // namespace PathIdentity
