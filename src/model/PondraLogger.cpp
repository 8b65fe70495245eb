#include "model/PondraLogger.h"

#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"

#include <ctime>
#include <utility>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<PondraLogger>("PondraLogger");
    return true;
}();

} // namespace

PondraLogger::PondraLogger(WallClock now)
    : _now(now ? std::move(now) : WallClock(&std::chrono::system_clock::now)) {}

std::string PondraLogger::timeStamp(std::chrono::system_clock::time_point time) {
    // Floored, so a time before 1970 does not round up to the next second.
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
    std::tm local{};
    char text[64];
    if (localtime_r(&seconds, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
        // Only a clock beyond the calendar's range gets here; keep the line anyway.
        return "0000-00-00 00:00:00";
    }
    return text;
}

void PondraLogger::appendLog(const std::string& message) {
    bool muted = false;
    {
        std::lock_guard lock(_mutex);
        muted = _muted;
        if (!muted) {
            // Stamped under the lock, so the lines stay in the order of their times.
            _log.push_back(timeStamp(_now()) + " - " + message);
        }
    }
    if (muted) {
        logFormat("muted: %s", message.c_str());
    } else {
        postUpdate();
    }
}

void PondraLogger::clearLog() {
    {
        std::lock_guard lock(_mutex);
        _log.clear();
    }
    postUpdate();
}

void PondraLogger::toggleMute() {
    std::lock_guard lock(_mutex);
    _muted = !_muted;
}

bool PondraLogger::muted() const {
    std::lock_guard lock(_mutex);
    return _muted;
}

std::vector<std::string> PondraLogger::log() const {
    std::lock_guard lock(_mutex);
    return _log;
}

void PondraLogger::setLog(std::vector<std::string> lines) {
    {
        std::lock_guard lock(_mutex);
        _log = std::move(lines);
    }
    postUpdate();
}

std::string PondraLogger::stringWithContentsOfLog() const {
    std::lock_guard lock(_mutex);
    std::string text;
    for (const auto& line : _log) {
        text += line;
        text += '\n';
    }
    return text;
}

std::shared_ptr<PondraLogger> PondraLogger::copy() const {
    auto logger = std::make_shared<PondraLogger>(_now);
    logger->_log = log();
    return logger;
}

void PondraLogger::encodeWithCoder(KivKeyedEncoder& coder) const {
    coder.encodeValue(log(), "log");
}

std::shared_ptr<PondraLogger> PondraLogger::initWithCoder(const KivKeyedDecoder& coder) {
    auto logger = std::make_shared<PondraLogger>();
    if (!coder.containsValueForKey("log")) {
        return logger;
    }
    const nlohmann::json stored = coder.decodeValueForKey("log");
    if (!stored.is_array()) {
        coder.failWithError("PondraLogger: log is not an array");
        return nullptr;
    }
    if (stored.size() > kMaximumLines) {
        coder.failWithError("PondraLogger: more than " + std::to_string(kMaximumLines) +
                            " lines in the log");
        return nullptr;
    }
    for (const auto& line : stored) {
        if (!line.is_string()) {
            coder.failWithError("PondraLogger: a line of the log is not a string");
            return nullptr;
        }
        logger->_log.push_back(line.get<std::string>());
    }
    return logger;
}

void PondraLogger::postUpdate() const {
    NotificationCenter::defaultCenter().post(PondraLogUpdatedNotification, this);
}
