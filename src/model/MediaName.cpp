#include "model/MediaName.h"

#include "foundation/KivUTF8.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace MediaName {
namespace {

bool isPlainComponent(std::string_view component) {
    return !component.empty() && component != "." && component != ".." &&
           component.find('/') == std::string_view::npos &&
           component.find('\0') == std::string_view::npos;
}

std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> parts;
    for (const auto& part : std::filesystem::path(path).lexically_normal()) {
        if (!part.empty()) {
            parts.push_back(part.string());
        }
    }
    return parts;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || path.size() == 1) {
        return std::string(path);
    }
    return std::string(path.substr(slash + 1));
}

std::string textName(std::string_view fileName) {
    if (KivUTF8::isValid(fileName)) {
        return std::string(fileName);
    }
    std::string text;
    for (const char byte : fileName) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::string numberedName(std::string_view fileName, int n) {
    const auto point = fileName.rfind('.');
    const std::string suffix = "-" + std::to_string(n);
    if (point == std::string_view::npos || point == 0) {
        return std::string(fileName) + suffix;
    }
    return std::string(fileName.substr(0, point)) + suffix + std::string(fileName.substr(point));
}

std::optional<std::string> firstFreeName(const std::string& fileName,
                                         const std::function<bool(const std::string&)>& isTaken) {
    if (!isTaken(fileName)) {
        return fileName;
    }
    for (int n = 1; n <= kMaximumTries; ++n) {
        std::string candidate = numberedName(fileName, n);
        if (!isTaken(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

bool isTrustedDocumentPath(std::string_view documentPath) {
    const std::string_view prefix = "Media/";
    return documentPath.starts_with(prefix) && isPlainComponent(documentPath.substr(prefix.size()));
}

bool isInsideFolder(std::string_view path, std::string_view folder) {
    if (folder.empty()) {
        return false;
    }
    const auto pathParts = components(path);
    const auto folderParts = components(folder);
    return pathParts.size() > folderParts.size() &&
           std::equal(folderParts.begin(), folderParts.end(), pathParts.begin(), sameIgnoringCase);
}

} // namespace MediaName
