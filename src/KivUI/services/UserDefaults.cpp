#include "KivUI/services/UserDefaults.h"

#include "foundation/KivLog.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

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
    readStored();
    _writer = std::thread([this] { writerLoop(); });
}

void UserDefaults::readStored() {
    // Opened without blocking and looked at before anything is read, so a
    // FIFO or a device in the file's place is passed over at once.
    const int fd = ::open(QFile::encodeName(_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            logFormat("Warning: the user defaults in %s cannot be read: %s", qPrintable(_path),
                      std::strerror(errno));
        }
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        logFormat("Warning: the user defaults in %s are not a regular file and are not read",
                  qPrintable(_path));
    } else if (status.st_size > kReadLimit) {
        logFormat("Warning: the user defaults in %s are larger than %lld bytes and are not read",
                  qPrintable(_path), static_cast<long long>(kReadLimit));
    } else {
        // The very file looked at, whatever has taken its name since.
        const QSettings stored(QStringLiteral("/proc/self/fd/%1").arg(fd), QSettings::IniFormat);
        for (const QString& key : stored.allKeys()) {
            _values.insert(key, stored.value(key));
        }
    }
    ::close(fd);
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
