#pragma once

#include "platform/files/FileOperations.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>

// A workspace's folder for imported media, "<caches>/Pondra/pondra-<n>",
// created so that no two workspaces, of this process or another, share one.
// Failures are only logged: without a folder, imports fail and the workspace
// goes on. Removed with everything in it when the workspace closes.
//
// Main thread, except copyFileIntoTmp(), which runs on any thread.
class TemporaryMediaFolder {
public:
    // $XDG_CACHE_HOME when it is an absolute path, else $HOME/.cache; empty
    // when neither is known.
    static std::string cachesFolder();

    explicit TemporaryMediaFolder(const std::string& caches = cachesFolder(),
                                  const std::function<unsigned()>& number = {});
    ~TemporaryMediaFolder();
    TemporaryMediaFolder(const TemporaryMediaFolder&) = delete;
    TemporaryMediaFolder& operator=(const TemporaryMediaFolder&) = delete;

    // Empty when the folder could not be made, and after remove().
    const std::string& path() const { return _path; }

    // Copies the file a path (or its chain of symbolic links) leads to into
    // the folder under the path's own file name (made valid UTF-8, a name that
    // is not being taken as Latin-1), numbered stem-N.ext when taken; the
    // copy's path, or nullopt (logged, and told in `problem`) when it fails or
    // is called off through `cancelled`, which leaves no partial copy. A file
    // that changes during the copy, or is not in the state `expected` (when
    // given) as it begins, is not copied (see FileOperations::copyFile).
    std::optional<std::string>
    copyFileIntoTmp(const std::string& path, const std::atomic<bool>* cancelled = nullptr,
                    std::string* problem = nullptr,
                    const FileOperations::FileState* expected = nullptr) const;

    bool contains(const std::string& path) const;

    // Deletes the folder; logs a failure.
    void remove();

private:
    std::string _path;
};
