#include "window/grid/MediaImport.h"

#include <QMetaObject>

MediaImport::MediaImport(std::vector<std::string> paths, Steps steps, OnRefusal onRefusal)
    : _paths(std::move(paths))
    , _steps(std::move(steps))
    , _onRefusal(onRefusal) {}

MediaImport::~MediaImport() {
    _stop.store(true);
    if (_worker.joinable()) {
        _worker.join();
    }
}

void MediaImport::start() {
    _worker = std::thread([this] { run(); });
}

void MediaImport::cancel() {
    _cancelledByUser = true;
    _stop.store(true);
}

void MediaImport::run() {
    for (std::size_t index = 0; index < _paths.size() && !_stop.load(); ++index) {
        Taken taken = _steps.take(_paths[index], _stop);
        if (_stop.load()) {
            break;
        }
        const bool refused = taken.path.empty();
        // Queued on this object: dropped if the import goes first.
        QMetaObject::invokeMethod(
            this,
            [this, index, taken = std::move(taken)] {
                if (_cancelledByUser || _stop.load()) {
                    return;
                }
                if (taken.path.empty()) {
                    refuse(index, taken.refusal, _onRefusal == OnRefusal::Stop);
                    return;
                }
                std::string reason;
                if (_steps.place(_paths[index], taken.path, reason)) {
                    ++_placed;
                } else {
                    refuse(index, reason, true);
                }
            },
            Qt::QueuedConnection);
        if (refused && _onRefusal == OnRefusal::Stop) {
            break;
        }
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (_steps.finished) {
                _steps.finished(_outcome);
            }
        },
        Qt::QueuedConnection);
}

void MediaImport::refuse(std::size_t index, const std::string& reason, bool andAllAfter) {
    if (_outcome.notAdded.empty()) {
        _outcome.reason = reason;
    }
    const std::size_t end = andAllAfter ? _paths.size() : index + 1;
    _outcome.notAdded.insert(_outcome.notAdded.end(), _paths.begin() + index, _paths.begin() + end);
    if (andAllAfter) {
        // What the worker still hands over is not placed.
        _stop.store(true);
    }
}
