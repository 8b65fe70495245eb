#pragma once

#include "foundation/KivArchivable.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class KivKeyedDecoder;

// Posted through NotificationCenter::defaultCenter() by a logger, as object,
// whenever its lines change; synchronously on the thread that changed them.
inline constexpr const char* PondraLogUpdatedNotification = "PondraLogUpdatedNotification";

// The play log of a workspace: lines "<yyyy-MM-dd HH:mm:ss> - <message>" in
// local time. Any thread may append (MIDI-triggered plays arrive on the MIDI
// thread) and read; the notification is posted after the lock is released, so
// observers may read the logger. Archived as "PondraLogger" with the key "log";
// the muted flag is not archived.
class PondraLogger : public KivArchivable {
public:
    using WallClock = std::function<std::chrono::system_clock::time_point()>;
    // An archived log of more lines is refused before any is read.
    static constexpr std::size_t kMaximumLines = 1000000;

    // `now` gives the time of each line; it is called under the logger's lock.
    // An empty one means the system clock.
    explicit PondraLogger(WallClock now = &std::chrono::system_clock::now);
    PondraLogger(const PondraLogger&) = delete;
    PondraLogger& operator=(const PondraLogger&) = delete;

    // "yyyy-MM-dd HH:mm:ss" in the process's local time zone.
    static std::string timeStamp(std::chrono::system_clock::time_point time);

    // While muted only writes "muted: <message>" to the console.
    void appendLog(const std::string& message);
    void clearLog();
    void toggleMute();
    bool muted() const;

    // A snapshot of the lines.
    std::vector<std::string> log() const;
    void setLog(std::vector<std::string> lines);
    // Each line followed by a line feed; empty without lines.
    std::string stringWithContentsOfLog() const;

    // A new, unmuted logger with its own copy of the lines and the same clock,
    // so that later lines of either do not reach the other.
    std::shared_ptr<PondraLogger> copy() const;

    void encodeWithCoder(KivKeyedEncoder& coder) const override;
    // "log" must be an array of strings; absent, the log is empty.
    static std::shared_ptr<PondraLogger> initWithCoder(const KivKeyedDecoder& coder);

private:
    void postUpdate() const;

    const WallClock _now;
    mutable std::mutex _mutex;
    // Written and read on any thread, under _mutex.
    std::vector<std::string> _log;
    bool _muted = false;
};
