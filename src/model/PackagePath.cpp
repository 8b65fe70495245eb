#include "model/PackagePath.h"

#include "model/MediaName.h"
#include "platform/files/FileOperations.h"

std::string PackagePath::packageOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    if (MediaName::lastPathComponent(trimmed) != kDocumentFile ||
        FileOperations::isDirectory(trimmed)) {
        return trimmed;
    }
    const auto slash = trimmed.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}
