#pragma once

class HelpActions;
class Workspace;
class WorkspaceController;

// The application commands of a workspace window's menus (documents,
// quitting, preferences, help), carried out by the application side. GUI thread.
class DocumentActions {
public:
    virtual ~DocumentActions() = default;
    virtual void newDocument() = 0;
    virtual void openDocument() = 0;
    virtual void saveDocument(Workspace& workspace) = 0;
    virtual void saveDocumentAs(Workspace& workspace) = 0;
    virtual void revertDocument(Workspace& workspace) = 0;
    // Asks about unsaved changes first; false when the user keeps it open.
    // A closed document's window goes once control returns to the event loop.
    virtual bool closeDocument(Workspace& workspace) = 0;
    virtual void quit() = 0;
    // The panic of every open workspace (Escape).
    virtual void panicAllDocuments() = 0;
    virtual void showPreferences() = 0;
    // The Help menu's commands; null when the application offers none.
    virtual HelpActions* helpActions() = 0;
    // An untitled workspace without carts, in a window, for a tab torn off
    // another window; null when none could be made.
    virtual WorkspaceController* newWindowForDraggedTab() = 0;
};
