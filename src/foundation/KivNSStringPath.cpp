#include "foundation/KivNSString.h"

#include <cstdlib>
#include <filesystem>

namespace KivNSString {

std::string standardizedPath(std::string_view path) {
    std::string expanded(path);
    if (!expanded.empty() && expanded[0] == '~' && (expanded.size() == 1 || expanded[1] == '/')) {
        if (const char* home = std::getenv("HOME")) {
            expanded = std::string(home) + expanded.substr(1);
        }
    }
    std::string normal = std::filesystem::path(expanded).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    if (normal == ".") {
        return expanded.empty() ? std::string() : normal;
    }
    return normal;
}

std::vector<std::string> canonicalPathComponents(std::string_view path) {
    std::vector<std::string> components;
    const std::string standard = standardizedPath(path);
    for (const auto& part : std::filesystem::path(standard)) {
        const std::string text = part.string();
        if (!text.empty()) {
            components.push_back(text);
        }
    }
    return components;
}

std::vector<std::string> canonicalPathComponentsRelativeTo(std::string_view path,
                                                           std::string_view base) {
    const auto own = canonicalPathComponents(path);
    const auto from = canonicalPathComponents(base);
    std::size_t common = 0;
    while (common < own.size() && common < from.size() && own[common] == from[common]) {
        ++common;
    }
    std::vector<std::string> result(from.size() - common, "..");
    result.insert(result.end(), own.begin() + static_cast<std::ptrdiff_t>(common), own.end());
    return result;
}

std::string stringByMakingPathRelativeTo(std::string_view path, std::string_view base) {
    std::string joined;
    for (const auto& component : canonicalPathComponentsRelativeTo(path, base)) {
        if (!joined.empty()) {
            joined += '/';
        }
        joined += component;
    }
    return joined;
}

std::optional<std::string> stringByMakingPathAbsoluteWithBase(std::string_view path,
                                                              std::string_view base) {
    if (base.empty() || base.front() != '/') {
        return std::nullopt;
    }
    return standardizedPath(std::string(base) + "/" + std::string(path));
}

} // namespace KivNSString
