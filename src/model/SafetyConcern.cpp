#include "model/SafetyConcern.h"

#include "model/AudioCue.h"
#include "model/Cart.h"

namespace {

// "<list name> (<cart name>)" of the other cue; empty parts for a gone cue or cart.
std::string otherCueText(const std::shared_ptr<AudioCue>& other) {
    if (!other) {
        return " ()";
    }
    const Cart* cart = other->cart();
    return other->listName() + " (" + (cart != nullptr ? cart->name() : std::string()) + ")";
}

} // namespace

SafetyConcern::SafetyConcern(std::weak_ptr<AudioCue> cue, int concernType)
    : _cue(std::move(cue))
    , _concernType(concernType) {}

std::string SafetyConcern::description() const {
    switch (_concernType) {
    case kSameMidiTrigger:
        return "same MIDI trigger as " + otherCueText(otherCue());
    case kSameHotkey:
        return "same hotkey trigger as " + otherCueText(otherCue());
    case kBroken: {
        const auto concerned = cue();
        return concerned ? concerned->brokenExplanation() : std::string();
    }
    case kOutsideGrid:
        return "outside of the current grid. Enlarge the grid to find it.";
    case kWorkspaceHotkey:
        return "same hotkey trigger as a workspace action. See workspace settings.";
    default:
        return {};
    }
}
