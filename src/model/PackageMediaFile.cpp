#include "model/PackageMediaFile.h"

#include "model/MediaName.h"
#include "platform/alias/KivAlias.h"

#include <sys/stat.h>

namespace PackageMediaFile {

std::shared_ptr<KivAlias> alias(const std::string& packagePath, std::string_view documentPath) {
    if (!MediaName::isTrustedDocumentPath(documentPath)) {
        return nullptr;
    }
    const std::string path = packagePath + "/" + std::string(documentPath);
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return nullptr;
    }
    auto found = KivAlias::aliasWithPath(path);
    // The reference resolves every link on the way: it must end where it
    // began, or some folder on the way was a link (or was swapped for one).
    if (!found || found->fullPath() != path) {
        return nullptr;
    }
    return found;
}

} // namespace PackageMediaFile
