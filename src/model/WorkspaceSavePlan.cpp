#include "model/WorkspaceSavePlan.h"

#include "audio/KivAudioSource.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/MediaName.h"
#include "model/SavingError.h"
#include "platform/alias/KivAlias.h"

#include <sys/stat.h>

namespace {

// Where the cue's audio is now: its file reference follows a file that moved
// since, and the stored path stands when the reference finds nothing.
std::string currentFile(const AudioCue& cue) {
    if (const KivAudioSource* source = cue.audioSource()) {
        if (const auto alias = source->alias()) {
            if (std::string path = alias->fullPath(); !path.empty()) {
                return path;
            }
        }
    }
    return cue.file();
}

bool isFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

std::optional<WorkspaceSavePlan>
WorkspaceSavePlan::make(const std::vector<std::shared_ptr<Cart>>& carts, KivError& error) {
    WorkspaceSavePlan plan;
    std::set<std::string> taken;
    for (const auto& cart : carts) {
        auto& leftOut = plan._leftOut.emplace_back();
        for (const auto& [internalIndex, cue] : cart->cues()) {
            if (cue->dead()) {
                leftOut.insert(internalIndex);
                plan._dead.push_back({cart, cue});
                continue;
            }
            const std::string source = currentFile(*cue);
            // One missing file must not stop the whole show from being saved:
            // the cue is kept, broken as it is now, without media.
            if (!isFile(source)) {
                logFormat("Saving cue %s without media: its file %s is missing",
                          cue->name().c_str(), source.c_str());
                continue;
            }
            const std::string fileName = MediaName::lastPathComponent(cue->file());
            const auto name =
                MediaName::firstFreeName(fileName, [&taken](const std::string& candidate) {
                    return taken.contains(candidate);
                });
            if (!name) {
                error = SavingError::noFreeName(cue->documentPath().value_or(
                    std::string(MediaName::kMediaFolder) + "/" + fileName));
                return std::nullopt;
            }
            taken.insert(*name);
            const std::string documentPath = std::string(MediaName::kMediaFolder) + "/" + *name;
            plan._named.push_back({cue, cue->documentPath(), documentPath});
            plan._media.push_back({source, documentPath});
        }
    }
    return plan;
}

void WorkspaceSavePlan::assignNames() {
    for (const Named& named : _named) {
        named.cue->setDocumentPath(named.name);
    }
}

void WorkspaceSavePlan::revert() {
    for (const Named& named : _named) {
        named.cue->setDocumentPath(named.previousPath);
    }
}

void WorkspaceSavePlan::apply() {
    for (const Named& named : _named) {
        named.cue->setSaved(true);
    }
    for (const Dead& dead : _dead) {
        // Only if it is still dead where the save found it: the archive
        // left it out either way.
        if (dead.cue->dead() && dead.cue->cart() == dead.cart.get()) {
            dead.cart->removeCue(*dead.cue);
        }
    }
}
