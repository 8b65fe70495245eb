#include "model/Workspace.h"

#include "model/Cart.h"
#include "model/PondraLogger.h"

#include <algorithm>
#include <utility>

Workspace::Workspace()
    : _logger(std::make_shared<PondraLogger>()) {}

Workspace::~Workspace() {
    for (const auto& cart : _carts) {
        cart->setWorkspace(nullptr);
    }
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

const std::vector<std::shared_ptr<Cart>>& Workspace::carts() const {
    return _carts;
}

void Workspace::addCart(std::shared_ptr<Cart> cart) {
    if (!cart || std::find(_carts.begin(), _carts.end(), cart) != _carts.end()) {
        return;
    }
    // A cart in two lists would keep a pointer to whichever let it go last.
    if (Workspace* previous = cart->workspace(); previous != nullptr && previous != this) {
        previous->removeCart(cart);
    }
    cart->setWorkspace(this);
    _carts.push_back(std::move(cart));
}

void Workspace::removeCart(const std::shared_ptr<Cart>& cart) {
    const auto found = std::find(_carts.begin(), _carts.end(), cart);
    if (found == _carts.end()) {
        return;
    }
    // Kept alive until its back reference is cleared.
    const std::shared_ptr<Cart> removed = *found;
    _carts.erase(found);
    removed->setWorkspace(nullptr);
}

void Workspace::swapCartAtIndex(std::size_t index, std::size_t otherIndex) {
    if (index < _carts.size() && otherIndex < _carts.size()) {
        std::swap(_carts[index], _carts[otherIndex]);
    }
}

void Workspace::panic() {
    for (const auto& cart : _carts) {
        cart->panicCues();
    }
    _paused = false;
}

bool Workspace::isPaused() const {
    return _paused;
}

void Workspace::setPaused(bool paused) {
    _paused = paused;
}

bool Workspace::isLocked() const {
    return _locked;
}

void Workspace::setLocked(bool locked) {
    _locked = locked;
}
