#include "app/Pondra.h"
#include "app/PondraSession.h"
#include "audio/device/KivAudioHardware.h"
#include "foundation/ThreadRole.h"
#include "platform/alias/FileDescriptorLimit.h"
#include "platform/crash/CrashWriter.h"

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
    // Once the log level is set: the devices are scanned while the rest starts.
    KivAudioHardware::prepareDefault();
    PondraSession session(application);
    // Qt has taken its own arguments out: what is left names packages.
    session.launch(application.arguments().mid(1));
    return application.exec();
}
