#pragma once

#include "platform/audiofile/AudioFixtures.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Everything below a folder: each item's relative path with its bytes (files),
// its destination (links) or "<dir>"; compared to prove a package untouched.
inline std::map<std::string, std::string> packageTree(const std::string& root) {
    std::map<std::string, std::string> tree;
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (entry.is_symlink()) {
            tree[name] = "<link>" + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            tree[name] = "<dir>";
        } else {
            tree[name] = AudioFixtures::readBytes(entry.path().string());
        }
    }
    return tree;
}

// The names in a folder, sorted.
inline std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
