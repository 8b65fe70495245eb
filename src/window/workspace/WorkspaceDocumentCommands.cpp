#include "window/workspace/WorkspaceDocumentCommands.h"

#include "model/Workspace.h"
#include "window/workspace/DocumentActions.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <QTimer>

WorkspaceDocumentCommands::WorkspaceDocumentCommands(WorkspaceController& controller)
    : _controller(controller) {}

void WorkspaceDocumentCommands::newDocument() {
    if (DocumentActions* documents = _controller.documents()) {
        documents->newDocument();
    }
}

void WorkspaceDocumentCommands::openDocument() {
    if (DocumentActions* documents = _controller.documents()) {
        documents->openDocument();
    }
}

void WorkspaceDocumentCommands::saveDocument() {
    if (DocumentActions* documents = _controller.documents()) {
        documents->saveDocument(_controller.workspace());
    }
}

void WorkspaceDocumentCommands::saveDocumentAs() {
    if (DocumentActions* documents = _controller.documents()) {
        documents->saveDocumentAs(_controller.workspace());
    }
}

void WorkspaceDocumentCommands::revertDocument() {
    // A revert replaces the window, and the menu that asked for it is still
    // handling its key or click: the window goes on the next turn.
    WorkspaceController& controller = _controller;
    QTimer::singleShot(0, &controller, [&controller] {
        DocumentActions* documents = controller.documents();
        if (documents && !controller.workspace().filePath().empty()) {
            documents->revertDocument(controller.workspace());
        }
    });
}

void WorkspaceDocumentCommands::closeWindow() {
    _controller.window()->close();
}

void WorkspaceDocumentCommands::quit() {
    if (DocumentActions* documents = _controller.documents()) {
        documents->quit();
    }
}

HelpActions* WorkspaceDocumentCommands::helpActions() const {
    DocumentActions* documents = _controller.documents();
    return documents ? documents->helpActions() : nullptr;
}

void WorkspaceDocumentCommands::showPreferences() {
    if (DocumentActions* documents = _controller.documents()) {
        documents->showPreferences();
    }
}

bool WorkspaceDocumentCommands::windowShouldClose() {
    DocumentActions* documents = _controller.documents();
    return !documents || documents->closeDocument(_controller.workspace());
}
