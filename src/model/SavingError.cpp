#include "model/SavingError.h"

#include "foundation/KivLog.h"

namespace SavingError {
namespace {

KivError made(Code code, std::string message) {
    logLine(message);
    return KivError{kSavingErrorDomain, code, std::move(message), {}};
}

} // namespace

KivError notAFile(const std::string& path) {
    return made(kNotAFile, "Error - trying to write to something that is not a file: " + path);
}

KivError readFailed(const std::string& packagePath, const std::string& reason) {
    return made(kNotAFile,
                "Error - failed to read document data from " + packagePath + ": " + reason);
}

KivError removePrevious(const std::string& path, const std::string& reason) {
    return made(kRemovePrevious,
                "Error - failed to remove previous item at " + path + ": " + reason);
}

KivError packageInUse(const std::string& path) {
    return removePrevious(path, "another open workspace is using it");
}

KivError createDirectory(const std::string& path, const std::string& reason) {
    return made(kCreateDirectory,
                "Error - failed to create directory for item at " + path + ": " + reason);
}

KivError createMedia(const std::string& path, const std::string& reason) {
    return made(kCreateMedia,
                "Error - failed to create directory for Media at " + path + ": " + reason);
}

KivError saveMedia(const std::string& file, const std::string& mediaPath,
                   const std::string& reason) {
    return made(kSaveMedia, "Error - failed to save media file from " + file + " to " + mediaPath +
                                ": " + reason);
}

KivError saveDocument(const std::string& reason) {
    return made(kSaveDocument, "Error - failed to save document file: " + reason);
}

KivError noFreeName(const std::string& documentPath) {
    return made(kNoFreeName,
                "Cannot seem to find a filename that does not exist for cue: " + documentPath);
}

KivError changedOnDisk(const std::string& packagePath) {
    return made(kChangedOnDisk, "Error - the document at " + packagePath +
                                    " was changed by another program since it was read or saved "
                                    "here");
}

} // namespace SavingError
