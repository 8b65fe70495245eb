#pragma once

#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

// Checks every file, then copies them one at a time on a thread of its own
// and hands each copy, in order, to the GUI thread, where it is placed. A
// file the check refuses stops it before anything is copied; it also stops
// at the first failed copy, when a placement says so, or when cancelled.
// GUI thread, except `check` and `copy`, which run on the worker.
class MediaImport final : public QObject {
public:
    struct Steps {
        // Worker thread: whether the file may be imported; none takes all.
        std::function<bool(const std::string& path)> check;
        // GUI thread, instead of any placement: the names of the files the
        // check refused. `finished` follows once it has returned.
        std::function<void(const QStringList& names)> refused;
        // Worker thread: the copy's path, or none when the copy failed.
        std::function<std::optional<std::string>(const std::string& path)> copy;
        // GUI thread: false stops the import.
        std::function<bool(const std::string& copy)> place;
        // GUI thread, once, after the last placement.
        std::function<void()> finished;
    };

    MediaImport(QStringList paths, Steps steps);
    // Cancels and waits for the worker; nothing is placed after it.
    ~MediaImport() override;

    void start();
    // Nothing further is copied or placed.
    void cancel();
    bool isCancelled() const { return _stop.load(); }
    int count() const { return static_cast<int>(_paths.size()); }
    int placed() const { return _placed; }

private:
    void run();

    const QStringList _paths;
    Steps _steps;
    std::atomic<bool> _stop{false};
    int _placed = 0;
    std::thread _worker;
};
