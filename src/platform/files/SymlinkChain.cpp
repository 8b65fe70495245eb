#include "platform/files/SymlinkChain.h"

#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <utility>
#include <vector>

std::optional<std::string> ResolveSymlinkChain(const std::string& path) {
    std::set<std::pair<dev_t, ino_t>> visited;
    std::string current = path;
    for (;;) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            return std::nullopt;
        }
        if (!S_ISLNK(status.st_mode)) {
            return current;
        }
        if (!visited.emplace(status.st_dev, status.st_ino).second) {
            return std::nullopt;
        }
        std::vector<char> buffer(
            static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1);
        const ssize_t length = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
            return std::nullopt;
        }
        std::string destination(buffer.data(), static_cast<std::size_t>(length));
        if (destination.empty()) {
            return std::nullopt;
        }
        if (destination.front() != '/') {
            const auto slash = current.rfind('/');
            destination =
                (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
                destination;
        }
        current = std::move(destination);
    }
}
