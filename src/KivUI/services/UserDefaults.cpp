#include "KivUI/services/UserDefaults.h"

#include "foundation/KivLog.h"

#include <stdio.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <random>

UserDefaults::UserDefaults(QString path)
    : _path(std::move(path)) {
    const QFileInfo file(_path);
    if (file.size() > kReadLimit) {
        logFormat("Warning: the user defaults in %s are larger than %lld bytes and are not read",
                  qPrintable(_path), static_cast<long long>(kReadLimit));
    } else if (file.exists()) {
        const QSettings stored(_path, QSettings::IniFormat);
        for (const QString& key : stored.allKeys()) {
            _values.insert(key, stored.value(key));
        }
    }
    _writer = std::thread([this] { writerLoop(); });
}

UserDefaults::~UserDefaults() {
    {
        std::lock_guard lock(_mutex);
        _stopping = true;
    }
    _wake.notify_all();
    _writer.join();
}

QString UserDefaults::standardPath(const QString& organisation, const QString& application) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + organisation + QLatin1Char('/') + application +
           QStringLiteral(".conf");
}

QVariant UserDefaults::value(const QString& key, const QVariant& fallback) const {
    std::lock_guard lock(_mutex);
    return _values.value(key, fallback);
}

bool UserDefaults::contains(const QString& key) const {
    std::lock_guard lock(_mutex);
    return _values.contains(key);
}

QStringList UserDefaults::allKeys() const {
    std::lock_guard lock(_mutex);
    // A map's keys come in order.
    return _values.keys();
}

void UserDefaults::setValue(const QString& key, const QVariant& value) {
    {
        std::lock_guard lock(_mutex);
        _values.insert(key, value);
    }
    changed();
}

void UserDefaults::remove(const QString& key) {
    {
        std::lock_guard lock(_mutex);
        _values.remove(key);
    }
    changed();
}

void UserDefaults::changed() {
    {
        std::lock_guard lock(_mutex);
        ++_changes;
    }
    _wake.notify_all();
}

void UserDefaults::waitForWrites() {
    std::unique_lock lock(_mutex);
    const std::uint64_t wanted = _changes;
    _hurry = true;
    _wake.notify_all();
    _wake.wait(lock, [&] { return _written >= wanted; });
}

void UserDefaults::writerLoop() {
    std::unique_lock lock(_mutex);
    for (;;) {
        _wake.wait(lock, [&] { return _stopping || _changes > _written; });
        if (_changes == _written) {
            return;
        }
        // The changes of a moment go to disk together.
        _wake.wait_for(lock, kGatherTime, [&] { return _stopping || _hurry; });
        _hurry = false;
        const std::uint64_t reached = _changes;
        const QVariantMap values = _values;
        lock.unlock();
        write(values);
        lock.lock();
        _written = reached;
        _wake.notify_all();
    }
}

void UserDefaults::write(const QVariantMap& values) {
    const QFileInfo target(_path);
    QDir().mkpath(target.path());
    const QString temporary =
        _path + QStringLiteral(".%1").arg(std::random_device{}(), 8, 16, QLatin1Char('0'));
    {
        QSettings file(temporary, QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it) {
            file.setValue(it.key(), it.value());
        }
        file.sync();
        if (file.status() != QSettings::NoError) {
            logFormat("Error: the user defaults could not be written to %s", qPrintable(temporary));
            QFile::remove(temporary);
            return;
        }
    }
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(_path).constData()) !=
        0) {
        logFormat("Error: the user defaults could not be written to %s: %s", qPrintable(_path),
                  std::strerror(errno));
        QFile::remove(temporary);
    }
}
