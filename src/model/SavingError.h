#pragma once

#include "audio/core/KivError.h"

#include <string>

// The errors of saving and reading a workspace, in the domain "Saving". Each
// one logs its message when it is made; the message is the error's
// description, and the alert offers the single option "OK".
inline constexpr const char* kSavingErrorDomain = "Saving";

namespace SavingError {

enum Code {
    kNotAFile = 1, // also every failed read
    kRemovePrevious = 2,
    kCreateDirectory = 3,
    kCreateMedia = 4,
    kSaveMedia = 5,
    kSaveDocument = 6,
    kNoFreeName = 7,
    // A save in place found the package changed by another program.
    kChangedOnDisk = 8,
};

KivError notAFile(const std::string& path);
KivError readFailed(const std::string& packagePath, const std::string& reason);
KivError removePrevious(const std::string& path, const std::string& reason);
// Code 2: the package at the path is open in another workspace.
KivError packageInUse(const std::string& path);
KivError createDirectory(const std::string& path, const std::string& reason);
KivError createMedia(const std::string& path, const std::string& reason);
KivError saveMedia(const std::string& file, const std::string& mediaPath,
                   const std::string& reason);
KivError saveDocument(const std::string& reason);
KivError noFreeName(const std::string& documentPath);
KivError changedOnDisk(const std::string& packagePath);

} // namespace SavingError
