#include "effecteditor/KivEffectPresetFolders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

std::string presetsBelow(const std::string& base, const std::string& maker,
                         const std::string& effect) {
    return base + "/pondra/presets/" + KivEffectPresetFolders::fileSafeName(maker) + "/" +
           KivEffectPresetFolders::fileSafeName(effect);
}

std::vector<std::string> systemDataFolders() {
    std::vector<std::string> folders;
    const char* list = std::getenv("XDG_DATA_DIRS");
    std::istringstream entries(list != nullptr ? list : "");
    for (std::string entry; std::getline(entries, entry, ':');) {
        // Relative entries are invalid there and would depend on the working folder.
        if (!entry.empty() && entry[0] == '/') {
            folders.push_back(entry);
        }
    }
    if (folders.empty()) {
        folders = {"/usr/local/share", "/usr/share"};
    }
    return folders;
}

} // namespace

namespace KivEffectPresetFolders {

std::string systemFolder(const std::string& maker, const std::string& effect) {
    const std::vector<std::string> folders = systemDataFolders();
    for (const std::string& folder : folders) {
        std::error_code error;
        const std::string path = presetsBelow(folder, maker, effect);
        if (std::filesystem::is_directory(path, error)) {
            return path;
        }
    }
    return presetsBelow(folders.front(), maker, effect);
}

std::string userFolder(const std::string& maker, const std::string& effect) {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        return presetsBelow(data, maker, effect);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return presetsBelow(std::string(home) + "/.local/share", maker, effect);
    }
    return {};
}

std::string fileSafeName(const std::string& name) {
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '/', '_');
    return safe;
}

std::string presetPath(const std::string& folder, const std::string& name) {
    return folder + "/" + fileSafeName(name) + "." + kPresetExtension;
}

std::string presetName(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

} // namespace KivEffectPresetFolders
