#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// The process's user defaults, held in memory: the values of a settings file
// in Qt's format ("<config>/brenmoor/Pondra.conf"). The file is read once, at
// start, and only when it is a regular file of at most kReadLimit bytes
// (anything else is left unread, without waiting on it, and the defaults
// start empty). Changes are written by a thread
// of the object's own, those of a moment together, to a new file that then
// takes the old one's place: no caller waits on the disk, and a failed write
// leaves the old file whole. GUI thread, but for the writer.
class UserDefaults {
public:
    static constexpr std::int64_t kReadLimit = 1024 * 1024;
    // How long a change waits for the ones that follow it.
    static constexpr std::chrono::milliseconds kGatherTime{200};

    explicit UserDefaults(QString path);
    // Writes what is still pending, then stops the writer.
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The file of an application's defaults: "<config>/<organisation>/<application>.conf",
    // <config> being $XDG_CONFIG_HOME or ~/.config.
    static QString standardPath(const QString& organisation, const QString& application);

    const QString& fileName() const { return _path; }
    QVariant value(const QString& key, const QVariant& fallback = {}) const;
    bool contains(const QString& key) const;
    // In key order.
    QStringList allKeys() const;
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    // A test hook: waits until every change made so far is on disk (or its
    // write has failed, which is logged).
    void waitForWrites();

private:
    void readStored();
    void changed();
    void writerLoop();
    void write(const QVariantMap& values);

    const QString _path;
    mutable std::mutex _mutex; // guards the fields below
    std::condition_variable _wake;
    QVariantMap _values;
    std::uint64_t _changes = 0;
    std::uint64_t _written = 0;
    // Someone waits for the writes: no gathering.
    bool _hurry = false;
    bool _stopping = false;
    std::thread _writer;
};
