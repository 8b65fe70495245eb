#pragma once

class HelpActions;
class WorkspaceController;

// The File and application menus' commands of one workspace window: new,
// open, save, save as, revert, close and quit, the preferences and the Help
// menu, handed to the application's documents. A window on its own (no
// documents) does none of them and closes when asked. GUI thread only.
class WorkspaceDocumentCommands {
public:
    explicit WorkspaceDocumentCommands(WorkspaceController& controller);

    void newDocument();
    void openDocument();
    void saveDocument();
    void saveDocumentAs();
    // On the next turn of the main loop, once the menu that asked is done.
    void revertDocument();
    void closeWindow();
    void quit();
    void showPreferences();
    // Null without an application.
    HelpActions* helpActions() const;
    // Asked by the window's close request.
    bool windowShouldClose();

private:
    WorkspaceController& _controller;
};
