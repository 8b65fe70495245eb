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

std::optional<std::string>
TemporaryMediaFolder::copyFileIntoTmp(const std::string& path, const std::atomic<bool>* cancelled,
                                      std::string* problem,
                                      const FileOperations::FileState* expected) const {
    const auto fail = [&](const std::string& why) -> std::optional<std::string> {
        logFormat("Failed to copy %s when importing: %s", path.c_str(), why.c_str());
        if (problem) {
            *problem = why;
        }
        return std::nullopt;
    };
    const auto source = ResolveSymlinkChain(path);
    if (!source) {
        return fail("the file or its symbolic links cannot be followed");
    }
    if (_path.empty()) {
        return fail("there is no temporary directory");
    }
    // Each name is tried by the copy itself, which never replaces a file, so
    // two imports cannot take the same name.
    int copyError = 0;
    const auto name = MediaName::firstFreeName(
        MediaName::textName(MediaName::lastPathComponent(path)), [&](const std::string& candidate) {
            copyError =
                FileOperations::copyFile(*source, _path + "/" + candidate, cancelled, expected);
            return copyError == EEXIST;
        });
    if (!name) {
        logFormat("Cannot seem to find a filename that does not exist while importing media: %s",
                  path.c_str());
        if (problem) {
            *problem = "no free name is left for it";
        }
        return std::nullopt;
    }
    if (copyError != 0) {
        return fail(FileOperations::errorText(copyError));
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
