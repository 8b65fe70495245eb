#include "effecteditor/QtEffectPresetExecutor.h"

#include <QCoreApplication>
#include <QThreadPool>

void QtEffectPresetExecutor::runInBackground(std::function<void()> work) {
    QThreadPool::globalInstance()->start(std::move(work));
}

void QtEffectPresetExecutor::runOnOwner(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}
