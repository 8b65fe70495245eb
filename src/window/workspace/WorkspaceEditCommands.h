#pragma once

#include "KivUI/services/KivPasteboard.h"

class QString;
class WorkspaceController;

// The Edit menu's commands on the selected cart: copy, cut, paste and delete
// of its selected cue through the clipboard, undo and redo (neither in show
// mode), and the selection moved by the arrows. GUI thread only.
class WorkspaceEditCommands {
public:
    explicit WorkspaceEditCommands(WorkspaceController& controller);

    bool canCopy() const;
    bool canCut() const;
    bool canPaste() const;
    bool canDelete() const;
    void copy();
    // Cut, paste and delete beep when there is nothing they can do. A paste
    // whose cue cannot be had (its holder does not answer, it is too large or
    // no cue) ends in one message on the window.
    void cut();
    void paste();
    void deleteSelected();
    void undo();
    void redo();
    void moveUp();
    void moveDown();
    void moveLeft();
    void moveRight();

private:
    void pasteContents(const KivPasteboard::Contents& contents);
    void refusePaste(const QString& why);

    WorkspaceController& _controller;
};
