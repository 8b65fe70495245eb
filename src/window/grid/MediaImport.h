#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Takes files one at a time on a thread of its own (each is checked and
// copied there) and hands each, in order, to the GUI thread, where it is
// placed. A file refused stops the import, or is passed over when the import
// goes on past refusals; a placement may stop it too, and so may a cancel.
// Once it ends, the GUI thread is told which files were not added and why the
// first of them was not. GUI thread, except `take`, which runs on the worker.
class MediaImport final : public QObject {
public:
    // What the worker made of one file: the path to place (a copy, or the
    // file itself), or, when that is empty, why the file was refused.
    struct Taken {
        std::string path;
        std::string refusal;
    };
    // How an import ended. Files the user cancelled are not counted.
    struct Outcome {
        // The files not added, in the order given.
        std::vector<std::string> notAdded;
        // Why the first of them was not.
        std::string reason;
    };
    enum class OnRefusal { Stop, GoOn };
    struct Steps {
        // Worker thread: takes the file; gives up soon once `cancelled` is set.
        std::function<Taken(const std::string& path, const std::atomic<bool>& cancelled)> take;
        // GUI thread: places what was taken of the file at `source`; false
        // leaves it out and stops the import, `reason` telling why.
        std::function<bool(const std::string& source, const std::string& taken,
                           std::string& reason)>
            place;
        // GUI thread, once, after the last placement.
        std::function<void(const Outcome& outcome)> finished;
    };

    MediaImport(std::vector<std::string> paths, Steps steps, OnRefusal onRefusal = OnRefusal::Stop);
    // Cancels and waits for the worker, which stops within one piece of its
    // copy and removes it; nothing is placed or told after it.
    ~MediaImport() override;

    void start();
    // Nothing further is copied or placed.
    void cancel();
    int count() const { return static_cast<int>(_paths.size()); }
    int placed() const { return _placed; }

private:
    void run();
    void refuse(std::size_t index, const std::string& reason, bool andAllAfter);

    const std::vector<std::string> _paths;
    Steps _steps;
    const OnRefusal _onRefusal;
    std::atomic<bool> _stop{false};
    // GUI thread.
    int _placed = 0;
    bool _cancelledByUser = false;
    Outcome _outcome;
    std::thread _worker;
};
