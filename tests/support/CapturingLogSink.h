#pragma once

#include "foundation/KivLog.h"

#include <mutex>
#include <string>
#include <vector>

// Installs itself as the log sink for its lifetime and keeps every line.
class CapturingLogSink : public LogSink {
public:
    CapturingLogSink() { _previous = setLogSink(this); }
    ~CapturingLogSink() override { setLogSink(_previous); }

    void write(std::string_view line) override {
        std::lock_guard lock(_mutex);
        _lines.emplace_back(line);
    }

    std::vector<std::string> lines() const {
        std::lock_guard lock(_mutex);
        return _lines;
    }

private:
    LogSink* _previous = nullptr;
    mutable std::mutex _mutex;
    std::vector<std::string> _lines;
};
