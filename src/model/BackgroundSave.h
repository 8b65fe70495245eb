#pragma once

#include "audio/core/KivError.h"
#include "foundation/MainRunLoop.h"
#include "foundation/Scheduler.h"
#include "model/PackageContents.h"
#include "model/PackageWriter.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

// Writes one package on a thread of its own, so the main thread goes on while
// the media are linked and flushed; the result comes back on the main thread.
// The thread sees only the plain contents, never a model object.
class BackgroundSave {
public:
    // Main thread; an empty error on success. The completion may destroy the
    // BackgroundSave.
    using Completion = std::function<void(const KivError&)>;

    // Main thread. Starts at once; `expected` makes it a save in place that
    // first looks at the package on disk (see PackageWriter::write).
    BackgroundSave(PackageContents contents, std::string packagePath, PackageWriter writer,
                   Completion completion, Scheduler& scheduler = MainRunLoop::scheduler(),
                   std::optional<FileOperations::FileState> expected = std::nullopt);
    // Waits for the thread; a completion not yet run is dropped.
    ~BackgroundSave();
    BackgroundSave(const BackgroundSave&) = delete;
    BackgroundSave& operator=(const BackgroundSave&) = delete;

    // Main thread. Waits for the thread and runs the completion now, unless it
    // has run already.
    void finish();
    bool isFinished() const { return _finished; }
    // Once finished well: the state of the "document" written.
    const std::optional<FileOperations::FileState>& written() const { return _writtenState; }

private:
    static constexpr double kPollInterval = 0.02;

    void poll();
    void complete();

    Scheduler& _scheduler;
    Scheduler::TimerId _timer = 0;
    Completion _completion;                                 // main thread
    bool _finished = false;                                 // main thread
    KivError _result;                                       // written by the thread before _written
    std::optional<FileOperations::FileState> _writtenState; // likewise
    std::atomic<bool> _written{false};
    std::thread _thread; // last: started once everything above exists
};
