#include "app/Pondra.h"
#include "app/WorkspaceWindows.h"
#include "effecteditor/EffectEditor.h"
#include "foundation/ThreadRole.h"
#include "model/Workspace.h"
#include "platform/alias/FileDescriptorLimit.h"
#include "platform/crash/CrashWriter.h"

#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // The model and every main-loop timer run on this thread.
    setCurrentThreadRole(ThreadRole::Main);
    // Answered before Qt starts, so it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Pondra %s\n", Pondra::versionString());
            return 0;
        }
    }
    // Before anything else can crash; the next launch offers what it writes.
    CrashWriter::install("Pondra", CrashWriter::reportsFolder("Pondra"));
    raiseFileDescriptorLimit();
    Pondra application(argc, argv);
    EffectEditor::install(application.prompts());
    WorkspaceWindows windows(
        application, [] { return std::make_shared<Workspace>(); }, application.prompts());
    // Qt has taken its own arguments out: what is left names packages.
    const QStringList packages = application.arguments().mid(1);
    QTimer::singleShot(0, &application, [&] {
        application.applicationDidFinishLaunching();
        for (const QString& package : packages) {
            windows.openPackage(package.toStdString());
        }
        if (windows.documentController().documents().empty() &&
            application.applicationShouldOpenUntitledFile()) {
            windows.openUntitled();
        }
    });
    return application.exec();
}
