#include "model/PackageWriter.h"

#include "foundation/KivLog.h"
#include "model/MediaName.h"
#include "model/PackagePath.h"
#include "model/SavingError.h"
#include "platform/files/FileOperations.h"
#include "platform/files/PathIdentity.h"

#include <cerrno>

namespace {

bool isPackageName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name != "/";
}

void syncParent(const std::string& parent) {
    if (const int error = FileOperations::syncDirectory(parent); error != 0) {
        logFormat("Failed to flush the folder %s: %s", parent.c_str(),
                  FileOperations::errorText(error).c_str());
    }
}

} // namespace

KivError PackageWriter::write(const PackageContents& contents, const std::string& packagePath,
                              const FileOperations::FileState* expected,
                              std::optional<FileOperations::FileState>* written) const {
    std::string target = packagePath;
    while (target.size() > 1 && target.back() == '/') {
        target.pop_back();
    }
    const std::string name = MediaName::lastPathComponent(target);
    if (target.empty() || target.front() != '/' || !isPackageName(name)) {
        return SavingError::notAFile(packagePath);
    }
    const std::size_t parentLength = target.size() - name.size() - 1;
    const std::string parent = parentLength == 0 ? "/" : target.substr(0, parentLength);
    const std::string document = target + "/" + PackagePath::kDocumentFile;
    const auto unchanged = [&] {
        return expected == nullptr || FileOperations::fileState(document) == *expected;
    };
    if (!unchanged()) {
        return SavingError::changedOnDisk(target);
    }

    std::string staging;
    int error = fault(Step::CreateStaging);
    if (error == 0) {
        error = FileOperations::makeUniqueDirectory(parent, "." + name + ".saving-", staging);
    }
    if (error != 0) {
        return SavingError::createDirectory(target, FileOperations::errorText(error));
    }
    KivError result = build(contents, staging, target);
    // The staging folder moves whole: its "document" keeps its state.
    const auto state = FileOperations::fileState(staging + "/" + PackagePath::kDocumentFile);
    if (!result && !unchanged()) {
        result = SavingError::changedOnDisk(target);
    }
    if (!result) {
        result = swapIn(staging, target, parent);
    }
    if (!result && written != nullptr) {
        *written = state;
    }
    if (result) {
        FileOperations::removeTree(staging);
    }
    return result;
}

KivError PackageWriter::build(const PackageContents& contents, const std::string& staging,
                              const std::string& packagePath) const {
    const std::string mediaFolder = staging + "/" + MediaName::kMediaFolder;
    int error = fault(Step::CreateMedia);
    if (error == 0) {
        error = FileOperations::makeDirectory(mediaFolder);
    }
    if (error != 0) {
        return SavingError::createMedia(packagePath + "/" + MediaName::kMediaFolder,
                                        FileOperations::errorText(error));
    }
    for (const PackageMedia& media : contents.media) {
        const std::string destination = staging + "/" + media.name;
        if (!MediaName::isTrustedDocumentPath(media.name)) {
            error = EINVAL;
        } else {
            // A file of the very package this save replaces is the package's
            // own: linked, it stays the only name of its bytes once the old
            // package goes. Any other file is copied, so that the package
            // holds its own media and a change to the file does not reach it.
            error =
                PathIdentity::isBelow(media.source, packagePath) ? fault(Step::LinkMedia) : EXDEV;
            if (error == 0) {
                error = FileOperations::linkFile(media.source, destination);
            }
            if (error != 0) {
                error = fault(Step::CopyMedia);
                if (error == 0) {
                    error = FileOperations::copyFile(media.source, destination);
                }
            }
        }
        if (error != 0) {
            return SavingError::saveMedia(media.source, packagePath + "/" + media.name,
                                          FileOperations::errorText(error));
        }
    }
    error = fault(Step::WriteDocument);
    if (error == 0) {
        error = FileOperations::writeNewFile(staging + "/" + PackagePath::kDocumentFile,
                                             contents.documentText);
    }
    if (error != 0) {
        return SavingError::saveDocument(FileOperations::errorText(error));
    }
    error = fault(Step::SyncFolders);
    if (error == 0) {
        error = FileOperations::syncDirectory(mediaFolder);
    }
    if (error == 0) {
        error = FileOperations::syncDirectory(staging);
    }
    if (error != 0) {
        return SavingError::createDirectory(packagePath, FileOperations::errorText(error));
    }
    return {};
}

KivError PackageWriter::swapIn(const std::string& staging, const std::string& packagePath,
                               const std::string& parent) const {
    if (!FileOperations::itemExists(packagePath)) {
        int error = fault(Step::Rename);
        if (error == 0) {
            error = FileOperations::rename(staging, packagePath);
        }
        if (error != 0) {
            return SavingError::createDirectory(packagePath, FileOperations::errorText(error));
        }
        syncParent(parent);
        return {};
    }
    int error = fault(Step::Exchange);
    if (error == 0) {
        error = FileOperations::exchange(staging, packagePath);
    }
    if (error == EINVAL || error == ENOSYS) {
        return replaceByRenames(staging, packagePath, parent);
    }
    if (error != 0) {
        return SavingError::removePrevious(packagePath, FileOperations::errorText(error));
    }
    syncParent(parent);
    // The staging folder now holds the previous package.
    removeOld(staging);
    return {};
}

// Where the file system cannot exchange two items: the old package moves into
// a folder of its own first and comes back when the new one cannot take its
// place.
KivError PackageWriter::replaceByRenames(const std::string& staging, const std::string& packagePath,
                                         const std::string& parent) const {
    const std::string name = MediaName::lastPathComponent(packagePath);
    std::string aside;
    int error = FileOperations::makeUniqueDirectory(parent, "." + name + ".previous-", aside);
    if (error != 0) {
        return SavingError::removePrevious(packagePath, FileOperations::errorText(error));
    }
    const std::string previous = aside + "/" + name;
    error = fault(Step::Rename);
    if (error == 0) {
        error = FileOperations::rename(packagePath, previous);
    }
    if (error != 0) {
        FileOperations::removeTree(aside);
        return SavingError::removePrevious(packagePath, FileOperations::errorText(error));
    }
    error = fault(Step::Rename);
    if (error == 0) {
        error = FileOperations::rename(staging, packagePath);
    }
    if (error != 0) {
        if (const int restoreError = FileOperations::rename(previous, packagePath);
            restoreError != 0) {
            logFormat("Failed to put the previous package back from %s: %s", previous.c_str(),
                      FileOperations::errorText(restoreError).c_str());
        } else {
            FileOperations::removeTree(aside);
        }
        return SavingError::removePrevious(packagePath, FileOperations::errorText(error));
    }
    syncParent(parent);
    removeOld(aside);
    return {};
}

void PackageWriter::removeOld(const std::string& path) const {
    int error = fault(Step::RemoveOld);
    if (error == 0) {
        error = FileOperations::removeTree(path);
    }
    if (error != 0) {
        logFormat("Error - failed to remove previous item at %s: %s", path.c_str(),
                  FileOperations::errorText(error).c_str());
    }
}
