#pragma once

#include "audio/core/KivError.h"
#include "model/PackageContents.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class AudioCue;
class Cart;

// One save of a workspace as the main thread prepares and ends it. Every live
// cue gets its media name, "Media/<file name>" numbered stem-N.ext where an
// earlier cue of this save has the name, or a cue whose file is missing keeps
// it: such a cue is saved without media, still named, and stays missing. Dead
// cues (outside their grid) are left out of the package and leave their carts
// only once it is saved.
// Main thread.
class WorkspaceSavePlan {
public:
    // nullopt with `error` (code 7) when a cue finds no free name.
    static std::optional<WorkspaceSavePlan> make(const std::vector<std::shared_ptr<Cart>>& carts,
                                                 KivError& error);

    const std::vector<PackageMedia>& media() const { return _media; }
    // Per cart, the internal indexes of the cues the archive leaves out.
    const std::vector<std::set<std::size_t>>& leftOut() const { return _leftOut; }

    // The cues take their new names for the archive.
    void assignNames();
    // A failed save: the cues take their old names back and nothing leaves.
    void revert();
    // A successful save: the named cues are saved, the dead ones removed.
    void apply();

private:
    struct Named {
        std::shared_ptr<AudioCue> cue;
        std::optional<std::string> previousPath;
        std::string name;
    };
    struct Dead {
        std::shared_ptr<Cart> cart;
        std::shared_ptr<AudioCue> cue;
    };

    std::vector<Named> _named;
    std::vector<Dead> _dead;
    std::vector<std::shared_ptr<AudioCue>> _missing;
    std::vector<PackageMedia> _media;
    std::vector<std::set<std::size_t>> _leftOut;
};
