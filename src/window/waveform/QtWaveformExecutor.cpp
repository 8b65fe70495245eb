#include "window/waveform/QtWaveformExecutor.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

#include <cmath>

void QtWaveformExecutor::runInBackground(std::function<void()> work) {
    QThreadPool::globalInstance()->start(std::move(work));
}

void QtWaveformExecutor::runOnOwner(double seconds, std::function<void()> work) {
    // Queued first, so that the timer is made on the GUI thread whoever asks.
    const int milliseconds = static_cast<int>(std::lround(seconds * 1000.0));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [milliseconds, work = std::move(work)]() mutable {
            QTimer::singleShot(milliseconds, QCoreApplication::instance(), std::move(work));
        },
        Qt::QueuedConnection);
}
