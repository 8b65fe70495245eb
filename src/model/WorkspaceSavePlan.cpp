#include "model/WorkspaceSavePlan.h"

#include "audio/source/KivAudioSource.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/MediaName.h"
#include "model/SavingError.h"
#include "platform/alias/KivAlias.h"

namespace {

// Where the cue's audio is now: its file reference follows a file that moved
// since. Empty when the reference finds nothing: the stored path is never
// tried, since whatever sits there now need not be the cue's sound.
std::string currentFile(const AudioCue& cue) {
    if (const KivAudioSource* source = cue.audioSource()) {
        if (const auto alias = source->alias()) {
            return alias->fullPath();
        }
    }
    return {};
}

// The name a cue without media keeps in the package, so no other cue's file
// takes it; none for a cue that never had one.
std::optional<std::string> reservedName(const AudioCue& cue) {
    const auto& documentPath = cue.documentPath();
    if (!documentPath || !MediaName::isTrustedDocumentPath(*documentPath)) {
        return std::nullopt;
    }
    return MediaName::lastPathComponent(*documentPath);
}

} // namespace

std::optional<WorkspaceSavePlan>
WorkspaceSavePlan::make(const std::vector<std::shared_ptr<Cart>>& carts, KivError& error) {
    WorkspaceSavePlan plan;
    struct Live {
        std::shared_ptr<AudioCue> cue;
        std::string source;
    };
    std::vector<Live> live;
    std::set<std::string> taken;
    for (const auto& cart : carts) {
        auto& leftOut = plan._leftOut.emplace_back();
        for (const auto& [internalIndex, cue] : cart->cues()) {
            if (cue->dead()) {
                leftOut.insert(internalIndex);
                plan._dead.push_back({cart, cue});
                continue;
            }
            // A file deleted since it was placed is found out here: the cue
            // shows itself missing and joins the warnings.
            if (cue->checkMedia() && !cue->file().empty()) {
                if (std::string source = currentFile(*cue); !source.empty()) {
                    live.push_back({cue, std::move(source)});
                    continue;
                }
            }
            // One missing file must not stop the whole show from being saved:
            // the cue is kept, missing as it is now, without media.
            logFormat("Saving cue %s without media: its file %s is missing", cue->name().c_str(),
                      cue->file().c_str());
            plan._missing.push_back(cue);
            if (const auto name = reservedName(*cue)) {
                taken.insert(*name);
            }
        }
    }
    for (Live& cue : live) {
        const std::string fileName = MediaName::lastPathComponent(cue.cue->file());
        const auto name = MediaName::firstFreeName(
            fileName, [&taken](const std::string& candidate) { return taken.contains(candidate); });
        if (!name) {
            error = SavingError::noFreeName(cue.cue->documentPath().value_or(
                std::string(MediaName::kMediaFolder) + "/" + fileName));
            return std::nullopt;
        }
        taken.insert(*name);
        const std::string documentPath = std::string(MediaName::kMediaFolder) + "/" + *name;
        plan._named.push_back({cue.cue, cue.cue->documentPath(), documentPath});
        plan._media.push_back({std::move(cue.source), documentPath});
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
    // Their media are not in this package: nothing may re-point them to it.
    for (const auto& cue : _missing) {
        cue->setSaved(false);
    }
    for (const Dead& dead : _dead) {
        // Only if it is still dead where the save found it: the archive
        // left it out either way.
        if (dead.cue->dead() && dead.cue->cart() == dead.cart.get()) {
            dead.cart->removeCue(*dead.cue);
        }
    }
}
