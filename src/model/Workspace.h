#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class Cart;
class PondraLogger;
class WorkspaceSettings;

// The document: one open show with its carts, its play log and the window's
// settings. Main thread only.
class Workspace {
public:
    // No carts, a new logger, no settings.
    Workspace();
    // Clears the workspace of every cart it still holds.
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Never null; replaced when a document is read.
    const std::shared_ptr<PondraLogger>& logger() const;
    // A null logger is refused.
    void setLogger(std::shared_ptr<PondraLogger> logger);

    // The window's settings, not owned; nullptr while there is no window.
    WorkspaceSettings* settings() const;
    void setSettings(WorkspaceSettings* settings);

    const std::vector<std::shared_ptr<Cart>>& carts() const;
    // Appends the cart and makes this its workspace; a cart of another
    // workspace leaves that one first. A cart already here stays where it is.
    void addCart(std::shared_ptr<Cart> cart);
    void removeCart(const std::shared_ptr<Cart>& cart);
    // Out-of-range indexes change nothing.
    void swapCartAtIndex(std::size_t index, std::size_t otherIndex);

    // Panics every cart's cues, then clears the pause-all state.
    void panic();

    bool isPaused() const;
    void setPaused(bool paused);
    // Show mode.
    bool isLocked() const;
    void setLocked(bool locked);

private:
    std::shared_ptr<PondraLogger> _logger;
    WorkspaceSettings* _settings = nullptr;
    std::vector<std::shared_ptr<Cart>> _carts;
    bool _paused = false;
    bool _locked = false;
};
