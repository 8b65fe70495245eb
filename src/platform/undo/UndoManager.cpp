#include "platform/undo/UndoManager.h"

#include <algorithm>
#include <utility>

std::vector<UndoManager::Group>& UndoManager::registrationStack() {
    return _mode == Mode::Undoing ? _redoStack : _undoStack;
}

void UndoManager::registerUndo(const void* target, Action action) {
    if (!isUndoRegistrationEnabled() || !action) {
        return;
    }
    if (_open.empty()) {
        beginUndoGrouping();
        _open.front().openedByRegistration = true;
    }
    _open.front().entries.push_back(Entry{target, std::move(action)});
}

void UndoManager::setActionName(std::string name) {
    if (!_open.empty()) {
        _open.front().name = std::move(name);
        return;
    }
    auto& stack = registrationStack();
    if (!stack.empty()) {
        stack.back().name = std::move(name);
    }
}

std::string UndoManager::undoActionName() const {
    return _undoStack.empty() ? std::string() : _undoStack.back().name;
}

std::string UndoManager::redoActionName() const {
    return _redoStack.empty() ? std::string() : _redoStack.back().name;
}

bool UndoManager::canUndo() const {
    if (_open.size() == 1 && _open.front().openedByRegistration && !_open.front().entries.empty()) {
        return true;
    }
    return !_undoStack.empty();
}

bool UndoManager::canRedo() const {
    return !_redoStack.empty();
}

void UndoManager::beginUndoGrouping() {
    _open.push_back(Group{});
    checkpoint.emit();
}

void UndoManager::endUndoGrouping() {
    if (_open.empty()) {
        return;
    }
    closeTopGroup();
    checkpoint.emit();
}

void UndoManager::endTurn() {
    if (_open.size() == 1 && _open.front().openedByRegistration) {
        endUndoGrouping();
    }
}

void UndoManager::closeTopGroup() {
    if (_open.size() > 1) {
        // Nested groups flatten into the outermost one: its entries already
        // collect there, only the nesting level goes.
        _open.pop_back();
        return;
    }
    Group group = std::move(_open.back());
    _open.pop_back();
    if (group.entries.empty()) {
        return;
    }
    if (_mode == Mode::Undoing) {
        _redoStack.push_back(std::move(group));
        return;
    }
    _undoStack.push_back(std::move(group));
    if (_mode == Mode::Normal) {
        if (!_redoStack.empty() && _changeCount < 0) {
            _savedStateReachable = false;
        }
        _redoStack.clear();
        ++_changeCount;
    }
}

bool UndoManager::perform(std::vector<Group>& from, Mode mode) {
    if (_mode != Mode::Normal) {
        return false;
    }
    endTurn();
    if (!_open.empty() || from.empty()) {
        return false;
    }
    Group group = std::move(from.back());
    from.pop_back();
    checkpoint.emit();
    _mode = mode;
    // The reverse step keeps the name of the one being undone unless an
    // action names it otherwise.
    _open.push_back(Group{group.name, {}, false});
    for (auto it = group.entries.rbegin(); it != group.entries.rend(); ++it) {
        it->action();
    }
    while (_open.size() > 1) {
        _open.pop_back();
    }
    closeTopGroup();
    _mode = Mode::Normal;
    _changeCount += mode == Mode::Undoing ? -1 : 1;
    checkpoint.emit();
    return true;
}

bool UndoManager::undo() {
    return perform(_undoStack, Mode::Undoing);
}

bool UndoManager::redo() {
    return perform(_redoStack, Mode::Redoing);
}

void UndoManager::enableUndoRegistration() {
    if (_disabled > 0) {
        --_disabled;
    }
}

void UndoManager::removeAllActions(const void* target) {
    const auto sameTarget = [target](const Entry& e) { return e.target == target; };
    const auto emptyGroup = [](const Group& g) { return g.entries.empty(); };
    for (auto* stack : {&_undoStack, &_redoStack}) {
        for (auto& group : *stack) {
            std::erase_if(group.entries, sameTarget);
        }
        std::erase_if(*stack, emptyGroup);
    }
    for (auto& group : _open) {
        std::erase_if(group.entries, sameTarget);
    }
}

void UndoManager::removeAllActions() {
    _undoStack.clear();
    _redoStack.clear();
    for (auto& group : _open) {
        group.entries.clear();
    }
}

void UndoManager::markSaved() {
    _changeCount = 0;
    _savedStateReachable = true;
}

bool UndoManager::hasUnsavedChanges() const {
    return _changeCount != 0 || !_savedStateReachable;
}
