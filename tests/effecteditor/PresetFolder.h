#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

// A scratch folder for preset files, removed with the test.
class PresetFolder {
public:
    explicit PresetFolder(const std::string& tag)
        : _root(std::filesystem::temp_directory_path() /
                ("pondra-" + tag + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(_root);
        std::filesystem::create_directories(_root);
    }
    ~PresetFolder() { std::filesystem::remove_all(_root); }
    PresetFolder(const PresetFolder&) = delete;
    PresetFolder& operator=(const PresetFolder&) = delete;

    std::string path(const std::string& relative = {}) const {
        return relative.empty() ? _root.string() : (_root / relative).string();
    }
    // Writes `text` to the relative path, making its folders.
    std::string write(const std::string& relative, const std::string& text = "{}") const {
        const auto file = _root / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }
    void makeFolder(const std::string& relative) const {
        std::filesystem::create_directories(_root / relative);
    }

private:
    std::filesystem::path _root;
};

// Sets an environment variable for the scope, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : _name(name) {
        if (const char* old = std::getenv(name)) {
            _saved = old;
        }
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (_saved) {
            ::setenv(_name, _saved->c_str(), 1);
        } else {
            ::unsetenv(_name);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* _name;
    std::optional<std::string> _saved;
};
