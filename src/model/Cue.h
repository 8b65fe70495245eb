#pragma once

#include "foundation/Signal.h"

#include <cstddef>
#include <string>

class Cart;

// The abstract cue: a playable thing on a cell of a cart. Main thread only:
// MIDI batches and keys reach the model there.
class Cue {
public:
    // An archived name longer than this is refused: the name field makes
    // none so long.
    static constexpr std::size_t kMaximumNameSize = 128 * 1024;

    virtual ~Cue();
    Cue(const Cue&) = delete;
    Cue& operator=(const Cue&) = delete;

    // The cart that holds the cue; not owned. The cart sets it when it places
    // the cue and clears it when it lets the cue go or dies.
    Cart* cart() const { return _cart; }
    void setCart(Cart* cart) { _cart = cart; }

    const std::string& name() const { return _name; }
    void setName(std::string name);
    ChangeSignal<std::string>& nameChanged() { return _nameChanged; }
    bool flagged() const { return _flagged; }
    void setFlagged(bool flagged) { _flagged = flagged; }

    // "Cue".
    virtual std::string type() const;
    // Empty.
    virtual std::string defaultName() const;
    // The name, else the default name, else "(Untitled <type> Cue)".
    std::string displayName() const;
    // The name, else the default name (possibly empty).
    std::string listName() const;
    // The cue's visible index in its cart as text; empty outside a cart.
    std::string number() const;

    virtual bool isBroken() const;
    virtual std::string brokenExplanation() const;

    // Fades the cue out over the workspace's panic duration, then stops it.
    void panic();
    virtual bool isPanicking() const;

    // For log lines.
    virtual std::string description() const;

protected:
    Cue() = default;
    virtual void panicAction();

private:
    Cart* _cart = nullptr;
    std::string _name;
    bool _flagged = false;
    ChangeSignal<std::string> _nameChanged;
};
