#include "app/Pondra.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/FileDescriptorLimit.h"

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
    raiseFileDescriptorLimit();
    Pondra application(argc, argv);
    QTimer::singleShot(0, &application, [&application] {
        application.applicationDidFinishLaunching();
        // Nothing to show a user yet: without a document controller there is
        // no workspace window, so the program ends rather than idling unseen.
        if (!application.documents()) {
            logLine("Pondra has no workspace window yet; quitting");
            application.quit();
        }
    });
    return application.exec();
}
