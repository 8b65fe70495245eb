#include "app/WorkspaceWindows.h"

#include "KivUI/services/KivPrompts.h"
#include "app/Pondra.h"
#include "effecteditor/EffectEditorWindow.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/PackagePath.h"
#include "model/SavingError.h"
#include "model/Workspace.h"
#include "tabbar/TavTabBarControl.h"
#include "window/sheets/PrefsController.h"
#include "window/tabs/CartTabBar.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"
#include "window/workspace/WorkspaceKeyRouter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

class WorkspaceWindows::MidiProcessor final : public MidiBatchProcessor {
public:
    explicit MidiProcessor(WorkspaceController& controller)
        : _controller(controller) {}
    void processMIDIMessages(const MidiBatch& messages) override {
        _controller.keys().processMIDIMessages(messages);
    }

private:
    WorkspaceController& _controller;
};

namespace {

constexpr const char* kPackageExtension = ".pondra";
// User default: each saved workspace's window frame under its package's URL.
constexpr const char* kWindowFramesKey = "window frames";
// How long a file drag rests on a cart tab before the tab opens. Our own
// setting: the desktop offers none.
constexpr const char* kSpringingDelayKey = "PondraSpringingDelayMilliseconds";

QString frameName(const Workspace& workspace) {
    return QUrl::fromLocalFile(QString::fromStdString(workspace.filePath())).toString();
}

// Untitled, and nothing ever done in it, not even undone again.
bool isUntouchedUntitled(const Document& document) {
    return document.filePath().empty() && !document.isDocumentEdited() &&
           !document.undoManager().canUndo() && !document.undoManager().canRedo();
}

} // namespace

WorkspaceWindows::WorkspaceWindows(Pondra& application, DocumentController::DocumentFactory factory,
                                   KivPrompts& prompts)
    : _application(application)
    , _prompts(prompts)
    , _controller(std::move(factory))
    , _documents(_controller,
                 [this](Document& document) -> MidiBatchProcessor* {
                     const auto found = _windows.find(&document);
                     return found == _windows.end() ? nullptr : found->second.midi.get();
                 })
    , _defaults(application.defaults()) {
    _application.setDocuments(&_documents);
    EffectEditorWindow::setWorkspaceWindowFinder(
        [this](const KivEffect& effect) { return windowOfEffect(effect); });
}

HelpActions* WorkspaceWindows::helpActions() {
    return &_application;
}

WorkspaceWindows::~WorkspaceWindows() {
    EffectEditorWindow::setWorkspaceWindowFinder(nullptr);
    _application.setDocuments(nullptr);
    for (const auto& [document, window] : _windows) {
        saveWindowFrame(*window.controller);
    }
    _windows.clear();
    _preferences.reset();
}

std::shared_ptr<Workspace> WorkspaceWindows::openUntitled() {
    auto workspace = std::dynamic_pointer_cast<Workspace>(_controller.newDocument());
    if (workspace) {
        makeWindowControllers(workspace);
    }
    return workspace;
}

std::shared_ptr<Workspace> WorkspaceWindows::openPackage(const std::string& path) {
    const std::string absolute = PackagePath::packageOf(
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
    if (auto open = _controller.documentForPath(absolute)) {
        if (WorkspaceController* window = windowControllerOf(*open)) {
            window->window()->raise();
            window->window()->activateWindow();
        }
        return std::dynamic_pointer_cast<Workspace>(open);
    }
    const Document* replaced = untouchedUntitledDocument();
    KivError error;
    auto workspace =
        std::dynamic_pointer_cast<Workspace>(_controller.openDocument(absolute, error));
    if (!workspace) {
        _prompts.runAlert(
            {QStringLiteral("The document \u201C%1\u201D could not be opened.")
                 .arg(QFileInfo(QString::fromStdString(absolute)).fileName()),
             QString::fromStdString(error.informativeText.empty() ? error.description
                                                                  : error.informativeText),
             {QStringLiteral("OK")}});
        return nullptr;
    }
    // As document programs do: the show takes the fresh Untitled window's
    // place. That window may be the one asking (its menu is on the stack),
    // so it goes on the next turn, unless it was touched meanwhile.
    makeWindowControllers(workspace, replaced
                                         ? windowControllerOf(*replaced)->window()->saveGeometry()
                                         : QByteArray());
    if (replaced) {
        QTimer::singleShot(0, &_application, [this, replaced] {
            const auto found = _windows.find(replaced);
            if (found != _windows.end() &&
                isUntouchedUntitled(found->second.controller->workspace())) {
                dropDocument(*replaced);
            }
        });
    }
    return workspace;
}

const Document* WorkspaceWindows::untouchedUntitledDocument() const {
    const auto& documents = _controller.documents();
    if (documents.size() != 1 || !isUntouchedUntitled(*documents.front()) ||
        !windowControllerOf(*documents.front())) {
        return nullptr;
    }
    return documents.front().get();
}

WorkspaceController* WorkspaceWindows::windowControllerOf(const Document& document) const {
    const auto found = _windows.find(&document);
    return found == _windows.end() ? nullptr : found->second.controller.get();
}

QWidget* WorkspaceWindows::windowOfEffect(const KivEffect& effect) const {
    for (const auto& [document, window] : _windows) {
        for (const auto& cart : window.controller->workspace().carts()) {
            for (const auto& [index, cue] : cart->cues()) {
                for (const auto& held : cue->effects()) {
                    if (held.get() == &effect) {
                        return window.controller->window();
                    }
                }
            }
        }
    }
    return nullptr;
}

void WorkspaceWindows::makeWindowControllers(const std::shared_ptr<Workspace>& workspace,
                                             const QByteArray& fallbackFrame) {
    auto controller =
        std::make_unique<WorkspaceController>(workspace, _prompts, _application.pasteboard(), this);
    applySpringDelay(*controller);
    for (const auto& cart : workspace->carts()) {
        controller->addControllerForCart(cart);
    }
    restoreWindowFrame(*controller, fallbackFrame);
    controller->showWindow();
    auto midi = std::make_unique<MidiProcessor>(*controller);
    _windows[workspace.get()] = Window{std::move(controller), std::move(midi)};
}

void WorkspaceWindows::applySpringDelay(WorkspaceController& controller) const {
    const double springDelay = _defaults
                                   .value(QString::fromLatin1(kSpringingDelayKey),
                                          TavTabBarControl::kDefaultSpringDelay * 1000.0)
                                   .toDouble() /
                               1000.0;
    controller.window()->tabs()->tabBar()->setSpringDelay(springDelay);
}

void WorkspaceWindows::restoreWindowFrame(WorkspaceController& controller,
                                          const QByteArray& fallbackFrame) {
    QByteArray frame;
    if (!controller.workspace().filePath().empty()) {
        const QVariantMap frames = _defaults.value(QString::fromLatin1(kWindowFramesKey)).toMap();
        frame = frames.value(frameName(controller.workspace())).toByteArray();
    }
    if (frame.isEmpty()) {
        frame = fallbackFrame;
    }
    if (!frame.isEmpty()) {
        controller.window()->restoreGeometry(frame);
    }
}

void WorkspaceWindows::saveWindowFrame(const WorkspaceController& controller) {
    if (controller.workspace().filePath().empty()) {
        return;
    }
    QVariantMap frames = _defaults.value(QString::fromLatin1(kWindowFramesKey)).toMap();
    frames.insert(frameName(controller.workspace()), controller.window()->saveGeometry());
    _defaults.setValue(QString::fromLatin1(kWindowFramesKey), frames);
}

WorkspaceController* WorkspaceWindows::newWindowForDraggedTab() {
    auto workspace =
        std::dynamic_pointer_cast<Workspace>(_controller.newDocument([](Document& document) {
            if (auto* made = dynamic_cast<Workspace*>(&document)) {
                made->setCreatedFromDrag(true);
            }
        }));
    if (!workspace) {
        return nullptr;
    }
    workspace->undoManager().countChangeWithoutUndo();
    makeWindowControllers(workspace);
    return windowControllerOf(*workspace);
}

void WorkspaceWindows::newDocument() {
    openUntitled();
}

void WorkspaceWindows::openDocument() {
    // A workspace is a package folder; its archive inside may be picked too.
    const QStringList chosen = _prompts.runOpenPanel(
        {.title = QStringLiteral("Open Workspace"),
         .directory = QString(),
         .nameFilters = {QStringLiteral("Workspaces (*%1 %2)")
                             .arg(QString::fromLatin1(kPackageExtension),
                                  QString::fromLatin1(PackagePath::kDocumentFile))},
         .allowsMultipleSelection = false,
         .packageExtension = QString::fromLatin1(kPackageExtension)});
    for (const QString& path : chosen) {
        openPackage(path.toStdString());
    }
}

void WorkspaceWindows::saveDocument(Workspace& workspace) {
    if (workspace.filePath().empty()) {
        saveDocumentAs(workspace);
        return;
    }
    // The save ends before its document goes: closing waits for it.
    _controller.saveDocument(workspace, [this, &workspace](const KivError& error) {
        if (error.domain.empty()) {
            return;
        }
        if (error.code != SavingError::kChangedOnDisk) {
            alertSaveError(error);
            return;
        }
        switch (askAboutChangedPackage(workspace)) {
        case OnChangedPackage::SaveAnyway:
            _controller.saveDocument(
                workspace,
                [this](const KivError& again) {
                    if (!again.domain.empty()) {
                        alertSaveError(again);
                    }
                },
                true);
            break;
        case OnChangedPackage::Revert:
            revertAndReload(workspace);
            break;
        case OnChangedPackage::Cancel:
            break;
        }
    });
}

WorkspaceWindows::OnChangedPackage
WorkspaceWindows::askAboutChangedPackage(const Workspace& workspace) {
    const int answer = _prompts.runAlert(
        {QStringLiteral("The document \u201C%1\u201D was changed by another program.")
             .arg(QString::fromStdString(workspace.displayName())),
         QStringLiteral("Another program has saved it since it was opened or saved here. Save "
                        "Anyway replaces what that program saved with this window\u2019s show; "
                        "Revert drops this window\u2019s changes and opens what was saved."),
         // Cancel second: the escape key's, as in every alert here.
         {QStringLiteral("Save Anyway"), QStringLiteral("Cancel"), QStringLiteral("Revert")}});
    switch (answer) {
    case 0:
        return OnChangedPackage::SaveAnyway;
    case 2:
        return OnChangedPackage::Revert;
    default:
        return OnChangedPackage::Cancel;
    }
}

void WorkspaceWindows::saveDocumentAs(Workspace& workspace) {
    QString path = _prompts.runSavePanel(
        {QStringLiteral("Save Workspace"),
         QString(),
         QString::fromStdString(workspace.displayName()) + QString::fromLatin1(kPackageExtension),
         {}});
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QString::fromLatin1(kPackageExtension))) {
        path += QString::fromLatin1(kPackageExtension);
    }
    _controller.saveDocumentAs(workspace, path.toStdString(), [this](const KivError& error) {
        if (!error.domain.empty()) {
            alertSaveError(error);
        }
    });
}

void WorkspaceWindows::alertSaveError(const KivError& error) {
    _prompts.runAlert({QString::fromStdString(error.description),
                       QString::fromStdString(error.informativeText),
                       {QStringLiteral("OK")}});
}

bool WorkspaceWindows::saveAndWait(Workspace& workspace, const std::string& path) {
    bool failed = false;
    bool changedOnDisk = false;
    const auto completion = [this, &failed, &changedOnDisk](const KivError& error) {
        if (error.code == SavingError::kChangedOnDisk && !error.domain.empty()) {
            changedOnDisk = true;
        } else if (!error.domain.empty()) {
            failed = true;
            alertSaveError(error);
        }
    };
    if (path == workspace.filePath()) {
        _controller.saveDocument(workspace, completion);
    } else {
        _controller.saveDocumentAs(workspace, path, completion);
    }
    _controller.finishSaving(workspace);
    if (!changedOnDisk) {
        return !failed;
    }
    switch (askAboutChangedPackage(workspace)) {
    case OnChangedPackage::SaveAnyway:
        _controller.saveDocument(workspace, completion, true);
        _controller.finishSaving(workspace);
        return !failed;
    case OnChangedPackage::Revert:
        return revertAndReload(workspace);
    case OnChangedPackage::Cancel:
        break;
    }
    return false;
}

void WorkspaceWindows::revertDocument(Workspace& workspace) {
    const int answer = _prompts.runAlert(
        {QStringLiteral("Do you want to revert to the most recently saved version of the "
                        "document \u201C%1\u201D?")
             .arg(QString::fromStdString(workspace.displayName())),
         QStringLiteral("Your current changes will be lost."),
         {QStringLiteral("Revert"), QStringLiteral("Cancel")}});
    if (answer != 0) {
        return;
    }
    revertAndReload(workspace);
}

bool WorkspaceWindows::revertAndReload(Workspace& workspace) {
    KivError error;
    if (!_controller.revertDocument(workspace, error)) {
        alertSaveError(error);
        return false;
    }
    if (WorkspaceController* window = windowControllerOf(workspace)) {
        window->reloadCarts();
        applySpringDelay(*window);
    }
    return true;
}

bool WorkspaceWindows::closeDocument(Workspace& workspace) {
    if (_controller.isSaving(workspace)) {
        _controller.finishSaving(workspace);
    }
    if (workspace.isDocumentEdited()) {
        const int answer = _prompts.runAlert(
            {QStringLiteral("Do you want to save the changes made to the document \u201C%1\u201D?")
                 .arg(QString::fromStdString(workspace.displayName())),
             QStringLiteral("Your changes will be lost if you don\u2019t save them."),
             {QStringLiteral("Save"), QStringLiteral("Cancel"),
              QStringLiteral("Don\u2019t Save")}});
        if (answer == 1) {
            return false;
        }
        if (answer == 0) {
            std::string path = workspace.filePath();
            if (path.empty()) {
                QString chosen =
                    _prompts.runSavePanel({QStringLiteral("Save Workspace"),
                                           QString(),
                                           QString::fromStdString(workspace.displayName()) +
                                               QString::fromLatin1(kPackageExtension),
                                           {}});
                if (chosen.isEmpty()) {
                    return false;
                }
                if (!chosen.endsWith(QString::fromLatin1(kPackageExtension))) {
                    chosen += QString::fromLatin1(kPackageExtension);
                }
                path = chosen.toStdString();
            }
            if (!saveAndWait(workspace, path)) {
                return false;
            }
        }
    }
    // The window asking is still on the stack: it goes on the next turn.
    const Document* document = &workspace;
    QTimer::singleShot(0, &_application, [this, document] { dropDocument(*document); });
    return true;
}

void WorkspaceWindows::dropDocument(const Document& document) {
    const auto found = _windows.find(&document);
    if (found == _windows.end()) {
        return;
    }
    saveWindowFrame(*found->second.controller);
    _windows.erase(found);
    for (const auto& open : _controller.documents()) {
        if (open.get() == &document) {
            const std::shared_ptr<Document> closing = open;
            _controller.closeDocument(*closing);
            break;
        }
    }
}

void WorkspaceWindows::quit() {
    QCoreApplication::quit();
}

void WorkspaceWindows::panicAllDocuments() {
    for (const auto& document : _controller.documents()) {
        if (auto* workspace = dynamic_cast<Workspace*>(document.get())) {
            workspace->panic();
        }
    }
}

void WorkspaceWindows::showPreferences() {
    if (!_preferences) {
        _preferences = std::make_unique<PrefsController>(_defaults);
    }
    _preferences->show();
    _preferences->raise();
    _preferences->activateWindow();
}
