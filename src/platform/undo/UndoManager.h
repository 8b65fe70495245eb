#pragma once

#include "foundation/Signal.h"

#include <functional>
#include <string>
#include <vector>

// The document's undo manager: each edit registers the closure that reverses
// it. Registrations between beginUndoGrouping() and the matching
// endUndoGrouping() make one undo step; a registration outside any group opens
// one itself, which endTurn() closes (the application calls it at the end of
// each event-loop turn, so one user action is one step). Registrations made
// while undoing become the redo step, and those made while redoing the next
// undo step.
//
// Main thread only: every entry point is called on the GUI thread, and the
// closures run there.
class UndoManager {
public:
    using Action = std::function<void()>;

    UndoManager() = default;
    UndoManager(const UndoManager&) = delete;
    UndoManager& operator=(const UndoManager&) = delete;

    // `target` only identifies the action for removeAllActions(target); it is
    // never dereferenced. Ignored while registration is disabled.
    void registerUndo(const void* target, Action action);

    // Names the step being built (or, with none open, the last one made).
    void setActionName(std::string name);
    std::string undoActionName() const;
    std::string redoActionName() const;

    bool canUndo() const;
    bool canRedo() const;
    // Closes the turn's own group first. False (and nothing done) while an
    // explicit group is open, while undoing or redoing, or with nothing to do.
    bool undo();
    bool redo();
    bool isUndoing() const { return _mode == Mode::Undoing; }
    bool isRedoing() const { return _mode == Mode::Redoing; }

    void beginUndoGrouping();
    // An end without a matching begin is ignored.
    void endUndoGrouping();
    int groupingLevel() const { return static_cast<int>(_open.size()); }
    // Closes the group a registration opened by itself, if that is the only
    // one open.
    void endTurn();

    // Nested: each disable needs its enable.
    void disableUndoRegistration() { ++_disabled; }
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return _disabled == 0; }

    // Drops every action of the target (a cue being released, say); steps
    // left empty disappear.
    void removeAllActions(const void* target);
    void removeAllActions();

    // +1 for each step done or redone, -1 for each step undone; 0 after
    // markSaved(). The document is edited when hasUnsavedChanges().
    int changeCount() const { return _changeCount; }
    // A change that no undo step reverses (tabs put in a new order): it
    // counts like a step done, so the document is edited until it is saved.
    void countChangeWithoutUndo() { ++_changeCount; }
    void markSaved();
    bool hasUnsavedChanges() const;

    // Emitted on the main thread whenever a group opens or closes and after
    // each undo or redo.
    Signal<> checkpoint;

private:
    struct Entry {
        const void* target = nullptr;
        Action action;
    };
    struct Group {
        std::string name;
        std::vector<Entry> entries;
        bool openedByRegistration = false;
    };
    enum class Mode { Normal, Undoing, Redoing };

    void closeTopGroup();
    bool perform(std::vector<Group>& from, Mode mode);
    std::vector<Group>& registrationStack();

    std::vector<Group> _undoStack;
    std::vector<Group> _redoStack;
    std::vector<Group> _open; // innermost last; entries collect in _open.front()
    Mode _mode = Mode::Normal;
    int _disabled = 0;
    int _changeCount = 0;
    // False once the saved state lies in a redo step that a new edit dropped:
    // no count of undos and redos can bring it back.
    bool _savedStateReachable = true;
};
