#include "model/Workspace.h"

#include "audio/device/KivAudioDevice.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/MediaName.h"
#include "model/PondraLogger.h"
#include "model/WorkspaceSavePlan.h"
#include "model/WorkspaceSettings.h"

#include <algorithm>
#include <utility>

Workspace::Workspace(std::shared_ptr<KivAudioDevice> device, const std::string& caches)
    : _logger(std::make_shared<PondraLogger>())
    , _output(std::move(device), undoManager())
    , _tmp(caches) {}

Workspace::~Workspace() {
    for (const auto& cart : _carts) {
        cart->setWorkspace(nullptr);
    }
}

std::shared_ptr<KivAudioDevice> Workspace::defaultDevice() {
    return KivAudioDevice::defaultOutputDevice();
}

const std::shared_ptr<PondraLogger>& Workspace::logger() const {
    return _logger;
}

void Workspace::setLogger(std::shared_ptr<PondraLogger> logger) {
    if (logger) {
        _logger = std::move(logger);
    }
}

WorkspaceSettings* Workspace::settings() const {
    return _settings;
}

void Workspace::setSettings(WorkspaceSettings* settings) {
    _settings = settings;
}

void Workspace::awakeFromNib() {
    if (_settings != nullptr && !_savedSettingsState.is_null()) {
        _settings->setState(_savedSettingsState);
        _savedSettingsState = nullptr;
    }
}

const std::vector<std::shared_ptr<Cart>>& Workspace::carts() const {
    return _carts;
}

void Workspace::addCart(std::shared_ptr<Cart> cart) {
    assertMainThread();
    if (!cart || std::find(_carts.begin(), _carts.end(), cart) != _carts.end()) {
        return;
    }
    // A cart in two lists would keep a pointer to whichever let it go last.
    if (Workspace* previous = cart->workspace(); previous != nullptr && previous != this) {
        previous->removeCart(cart);
    }
    cart->setWorkspace(this);
    _carts.push_back(std::move(cart));
    updateCueDucking();
}

void Workspace::removeCart(const std::shared_ptr<Cart>& cart) {
    assertMainThread();
    const auto found = std::find(_carts.begin(), _carts.end(), cart);
    if (found == _carts.end()) {
        return;
    }
    // Kept alive until its back reference is cleared.
    const std::shared_ptr<Cart> removed = *found;
    _carts.erase(found);
    removed->setWorkspace(nullptr);
    // Its cues play on elsewhere, or not at all: not under this workspace's duck.
    removed->unduckCues();
    updateCueDucking();
}

void Workspace::swapCartAtIndex(std::size_t index, std::size_t otherIndex) {
    if (index < _carts.size() && otherIndex < _carts.size()) {
        std::swap(_carts[index], _carts[otherIndex]);
    }
}

void Workspace::panic() {
    assertMainThread();
    for (const auto& cart : _carts) {
        cart->panicCues();
    }
    _paused = false;
}

void Workspace::updateCueDucking() {
    assertMainThread();
    _cuesDucked = std::any_of(_carts.begin(), _carts.end(), [](const auto& cart) {
        return std::any_of(cart->cues().begin(), cart->cues().end(), [](const auto& entry) {
            return entry.second->ducking() && entry.second->playing();
        });
    });
    for (const auto& cart : std::vector<std::shared_ptr<Cart>>(_carts)) {
        if (_cuesDucked) {
            cart->duckCues();
        } else {
            cart->unduckCues();
        }
    }
}

bool Workspace::isPaused() const {
    return _paused;
}

void Workspace::setPaused(bool paused) {
    assertMainThread();
    _paused = paused;
}

bool Workspace::isLocked() const {
    return _locked;
}

void Workspace::setLocked(bool locked) {
    assertMainThread();
    _locked = locked;
}

void Workspace::setAudioDevice(std::shared_ptr<KivAudioDevice> device) {
    assertMainThread();
    _output.setAudioDevice(std::move(device));
    for (const auto& cart : _carts) {
        cart->updateCuesWithAudioDevice(_output.audioDevice());
    }
}

std::shared_ptr<KivAudioDevice>
Workspace::replaceAudioDevice(std::shared_ptr<KivAudioDevice> device) {
    std::shared_ptr<KivAudioDevice> old = _output.audioDevice();
    const bool holdOld = old && old->isOpen();
    if (holdOld) {
        old->engage();
    }
    setAudioDevice(std::move(device));
    return holdOld ? old : nullptr;
}

bool Workspace::containsMediaFile(const std::string& path) const {
    return (!filePath().empty() && MediaName::isInsideFolder(path, filePath())) ||
           _tmp.contains(path);
}

std::string Workspace::description() const {
    std::string text = "Workspace " + displayName() + " - (";
    for (std::size_t i = 0; i < _carts.size(); ++i) {
        text += (i == 0 ? "" : ", ") + _carts[i]->description();
    }
    return text + ")";
}
