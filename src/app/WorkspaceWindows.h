#pragma once

#include "KivUI/services/UserDefaults.h"
#include "app/ControllerDocuments.h"
#include "model/DocumentController.h"
#include "window/workspace/DocumentActions.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <string>

class KivEffect;
class KivPrompts;
class PrefsController;
class Pondra;
class Workspace;
class WorkspaceController;

// The application's documents with their windows: each workspace the
// document controller opens gets its window controller and window, the
// menus' document commands are carried out here, and the application
// reaches the windows through it for MIDI and undo turns. GUI thread.
class WorkspaceWindows final : public DocumentActions {
public:
    // Registers itself with the application until it goes.
    WorkspaceWindows(Pondra& application, DocumentController::DocumentFactory factory,
                     KivPrompts& prompts);
    ~WorkspaceWindows() override;
    WorkspaceWindows(const WorkspaceWindows&) = delete;
    WorkspaceWindows& operator=(const WorkspaceWindows&) = delete;

    DocumentController& documentController() { return _controller; }
    // An untitled workspace with one cart, in a window.
    std::shared_ptr<Workspace> openUntitled();
    // The package at the path in a window; an alert and null when it cannot
    // be read.
    std::shared_ptr<Workspace> openPackage(const std::string& path);
    // Null for a document without a window.
    WorkspaceController* windowControllerOf(const Document& document) const;
    // The window whose workspace holds the cue of the effect; null when none
    // does. Effect editors open beside it.
    QWidget* windowOfEffect(const KivEffect& effect) const;

    void newDocument() override;
    void openDocument() override;
    void saveDocument(Workspace& workspace) override;
    void saveDocumentAs(Workspace& workspace) override;
    void revertDocument(Workspace& workspace) override;
    bool closeDocument(Workspace& workspace) override;
    void quit() override;
    void panicAllDocuments() override;
    // Made on first use.
    void showPreferences() override;
    PrefsController* preferences() const { return _preferences.get(); }
    // The application's.
    HelpActions* helpActions() override;
    // Edited from the start: its tab comes from another window.
    WorkspaceController* newWindowForDraggedTab() override;

private:
    class MidiProcessor;

    // A window restores the frame its show had; otherwise it takes
    // `fallbackFrame` when one is given, else its own default size.
    void makeWindowControllers(const std::shared_ptr<Workspace>& workspace,
                               const QByteArray& fallbackFrame = {});
    // The one document open, when it is a fresh Untitled one nobody has
    // touched: a show opened next takes its window's place.
    const Document* untouchedUntitledDocument() const;
    // How long a file drag rests on a cart tab before it opens, from the
    // user defaults; a window made anew (a revert) takes it again.
    void applySpringDelay(WorkspaceController& controller) const;
    // A saved workspace's window keeps its place and size from one opening
    // to the next.
    void restoreWindowFrame(WorkspaceController& controller, const QByteArray& fallbackFrame);
    void saveWindowFrame(const WorkspaceController& controller);
    // Runs the save to its end; false when it failed (after an alert).
    bool saveAndWait(Workspace& workspace, const std::string& path);
    void alertSaveError(const KivError& error);
    // Another program saved over the package: what the user wants done.
    enum class OnChangedPackage { SaveAnyway, Revert, Cancel };
    OnChangedPackage askAboutChangedPackage(const Workspace& workspace);
    // Reads the package again and shows what it holds; false (told) on failure.
    bool revertAndReload(Workspace& workspace);
    void dropDocument(const Document& document);

    Pondra& _application;
    KivPrompts& _prompts;
    DocumentController _controller;
    struct Window {
        std::unique_ptr<WorkspaceController> controller;
        std::unique_ptr<MidiProcessor> midi;
    };
    std::map<const Document*, Window> _windows;
    ControllerDocuments _documents;
    UserDefaults& _defaults;
    std::unique_ptr<PrefsController> _preferences;
};
