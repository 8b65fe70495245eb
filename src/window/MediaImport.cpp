#include "window/MediaImport.h"

#include <QFileInfo>
#include <QMetaObject>

MediaImport::MediaImport(QStringList paths, Steps steps)
    : _paths(std::move(paths))
    , _steps(std::move(steps)) {}

MediaImport::~MediaImport() {
    cancel();
    if (_worker.joinable()) {
        _worker.join();
    }
}

void MediaImport::start() {
    _worker = std::thread([this] { run(); });
}

void MediaImport::cancel() {
    _stop.store(true);
}

void MediaImport::run() {
    if (_steps.check) {
        QStringList refused;
        for (const QString& path : _paths) {
            if (_stop.load()) {
                break;
            }
            if (!_steps.check(path.toStdString())) {
                refused << QFileInfo(path).fileName();
            }
        }
        if (!refused.isEmpty()) {
            // One call: an alert shown there runs an event loop, in which
            // `finished` must not already let this object go.
            QMetaObject::invokeMethod(
                this,
                [this, refused] {
                    if (_steps.refused) {
                        _steps.refused(refused);
                    }
                    if (_steps.finished) {
                        _steps.finished();
                    }
                },
                Qt::QueuedConnection);
            return;
        }
    }
    for (const QString& path : _paths) {
        if (_stop.load()) {
            break;
        }
        const std::optional<std::string> copy = _steps.copy(path.toStdString());
        if (!copy) {
            break;
        }
        // Queued on this object: dropped if the import goes first.
        QMetaObject::invokeMethod(
            this,
            [this, copy = *copy] {
                if (_stop.load()) {
                    return;
                }
                ++_placed;
                if (!_steps.place(copy)) {
                    _stop.store(true);
                }
            },
            Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (_steps.finished) {
                _steps.finished();
            }
        },
        Qt::QueuedConnection);
}
