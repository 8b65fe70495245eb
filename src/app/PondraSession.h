#pragma once

#include "app/WorkspaceWindows.h"
#include "foundation/KivLog.h"

#include <QStringList>

#include <memory>

class Pondra;

// Everything the program runs with between its start and its quit, beside
// the application object: the drain of the render threads' log lines, the
// installed LV2 effects, the effect editors and the document windows. main()
// makes one; a test that makes one runs the program's own start-up. Main
// thread; the process-wide services are taken away again when it goes.
class PondraSession {
public:
    explicit PondraSession(Pondra& application);
    ~PondraSession();
    PondraSession(const PondraSession&) = delete;
    PondraSession& operator=(const PondraSession&) = delete;

    // Once the event loop runs: finishes launching, then opens the packages
    // asked for, or an untitled workspace when none opens.
    void launch(QStringList packages);

    WorkspaceWindows& windows() { return _windows; }

private:
    class Effects;

    Pondra& _application;
    // First: lines logged while the rest starts reach the log too.
    RealtimeLogPump _logPump;
    // Before the windows: each inspector lists the effects when it is made.
    std::unique_ptr<Effects> _effects;
    WorkspaceWindows _windows;
};
