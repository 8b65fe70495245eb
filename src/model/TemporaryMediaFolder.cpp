#include "model/TemporaryMediaFolder.h"

#include "foundation/KivLog.h"
#include "model/MediaName.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SymlinkChain.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr unsigned kFolderNumbers = 1000000;

} // namespace

std::string TemporaryMediaFolder::cachesFolder() {
    if (const char* caches = std::getenv("XDG_CACHE_HOME"); caches != nullptr && caches[0] == '/') {
        return caches;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::string(home) + "/.cache";
    }
    return {};
}

TemporaryMediaFolder::TemporaryMediaFolder(const std::string& caches,
                                           const std::function<unsigned()>& number) {
    const std::string parent = caches + "/Pondra";
    if (caches.empty()) {
        logFormat("Failed to create temporary directory at %s: %s", parent.c_str(),
                  "no caches folder is known");
        return;
    }
    int error = FileOperations::makeDirectories(parent);
    if (error == 0) {
        const auto nextNumber = [&number] {
            return (number ? number() : FileOperations::randomNumber()) % kFolderNumbers;
        };
        error = FileOperations::makeUniqueDirectory(parent, "pondra-", _path, nextNumber);
    }
    if (error != 0) {
        logFormat("Failed to create temporary directory at %s: %s", parent.c_str(),
                  FileOperations::errorText(error).c_str());
    }
}

TemporaryMediaFolder::~TemporaryMediaFolder() {
    remove();
}

std::optional<std::string> TemporaryMediaFolder::copyFileIntoTmp(const std::string& path) const {
    const auto source = ResolveSymlinkChain(path);
    if (!source) {
        logFormat("Failed to copy %s when importing: %s", path.c_str(),
                  "the file or its symbolic links cannot be followed");
        return std::nullopt;
    }
    if (_path.empty()) {
        logFormat("Failed to copy %s when importing: %s", path.c_str(),
                  "there is no temporary directory");
        return std::nullopt;
    }
    // Each name is tried by the copy itself, which never replaces a file, so
    // two imports cannot take the same name.
    int copyError = 0;
    const auto name = MediaName::firstFreeName(
        MediaName::lastPathComponent(path), [&](const std::string& candidate) {
            copyError = FileOperations::copyFile(*source, _path + "/" + candidate);
            return copyError == EEXIST;
        });
    if (!name) {
        logFormat("Cannot seem to find a filename that does not exist while importing media: %s",
                  path.c_str());
        return std::nullopt;
    }
    if (copyError != 0) {
        logFormat("Failed to copy %s when importing: %s", path.c_str(),
                  FileOperations::errorText(copyError).c_str());
        return std::nullopt;
    }
    return _path + "/" + *name;
}

bool TemporaryMediaFolder::contains(const std::string& path) const {
    return MediaName::isInsideFolder(path, _path);
}

void TemporaryMediaFolder::remove() {
    if (_path.empty()) {
        return;
    }
    if (const int error = FileOperations::removeTree(_path); error != 0) {
        logFormat("Failed to clean up tmp dir on close: %s",
                  FileOperations::errorText(error).c_str());
    }
    _path.clear();
}
