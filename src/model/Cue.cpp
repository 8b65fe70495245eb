#include "model/Cue.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"
#include "model/Cart.h"

Cue::~Cue() = default;

void Cue::setName(std::string name) {
    if (name == _name) {
        return;
    }
    std::string old = std::exchange(_name, std::move(name));
    _nameChanged.emit(old, _name);
}

std::string Cue::type() const {
    return "Cue";
}

std::string Cue::defaultName() const {
    return {};
}

std::string Cue::displayName() const {
    if (!_name.empty()) {
        return _name;
    }
    if (std::string fallback = defaultName(); !fallback.empty()) {
        return fallback;
    }
    return "(Untitled " + type() + " Cue)";
}

std::string Cue::listName() const {
    return _name.empty() ? defaultName() : _name;
}

std::string Cue::number() const {
    // Audio cues are the only cues a cart holds.
    const auto* audioCue = dynamic_cast<const AudioCue*>(this);
    if (_cart == nullptr || audioCue == nullptr) {
        return {};
    }
    const std::size_t index = _cart->indexOfCue(*audioCue);
    return index == Cart::kNotFound ? std::string() : std::to_string(index);
}

bool Cue::isBroken() const {
    return false;
}

std::string Cue::brokenExplanation() const {
    return {};
}

void Cue::panic() {
    assertMainThread();
    if (KivEnvironment::logLevel() >= 3) {
        logFormat("   panic %s", description().c_str());
    }
    panicAction();
}

bool Cue::isPanicking() const {
    return false;
}

std::string Cue::description() const {
    return type() + ": " + _name;
}

void Cue::panicAction() {
    logLine("no panic action");
}
