#pragma once

#include "audio/core/KivError.h"
#include "model/PackageContents.h"
#include "platform/files/FileOperations.h"

#include <functional>
#include <optional>
#include <string>

// Writes a package "NAME.pondra/" ("document" and "Media/") without ever
// losing the one it replaces: the new package is built in a staging folder
// beside the target, flushed to disk, and swapped in by one rename. Until the
// swap succeeds the old package is untouched; a failure removes the staging
// folder. Media are copied (reflinked where the file system offers it), so the
// package holds its own and a change to a file outside it never reaches it;
// only media taken from the old package itself are hard-linked before the
// swap, so saving in place keeps them at no cost, the package's own still.
//
// Any thread; touches the file system only.
class PackageWriter {
public:
    // The steps a test can make fail, in order.
    enum class Step {
        CreateStaging,
        CreateMedia,
        LinkMedia, // media of the package replaced; a failed link falls back to copying
        CopyMedia,
        WriteDocument,
        SyncFolders,
        Exchange, // EINVAL or ENOSYS takes the fallback of two renames
        Rename,
        RemoveOld, // after the swap: only logged, the save has succeeded
    };
    // Answers the errno the step fails with, or 0 to let it run.
    using FaultInjector = std::function<int(Step)>;

    explicit PackageWriter(FaultInjector faults = {})
        : _faults(std::move(faults)) {}

    // An empty error on success, `written` then holding the state of the new
    // "document". With `expected`, a save in place: a "document" on disk in
    // any other state (another program saved over it, or took it away) fails
    // it with code 8 and leaves the package as it is; it is looked at before
    // the package is built and again just before the swap.
    KivError write(const PackageContents& contents, const std::string& packagePath,
                   const FileOperations::FileState* expected = nullptr,
                   std::optional<FileOperations::FileState>* written = nullptr) const;

private:
    int fault(Step step) const { return _faults ? _faults(step) : 0; }
    KivError build(const PackageContents& contents, const std::string& staging,
                   const std::string& packagePath) const;
    KivError swapIn(const std::string& staging, const std::string& packagePath,
                    const std::string& parent) const;
    KivError replaceByRenames(const std::string& staging, const std::string& packagePath,
                              const std::string& parent) const;
    void removeOld(const std::string& path) const;

    FaultInjector _faults;
};
