#include "foundation/LogRepeats.h"

#include "foundation/KivLog.h"

void LogRepeats::write(std::string_view line, LogSink& sink, Clock::time_point now) {
    if (!_last.empty() && line == _last) {
        if (_repeats == 0) {
            _firstRepeat = now;
        }
        ++_repeats;
        _lastRepeat = now;
        return;
    }
    writeCount(sink);
    sink.write(line);
    _last.assign(line);
}

void LogRepeats::flushDue(LogSink& sink, Clock::time_point now) {
    if (_repeats > 0 && (now - _lastRepeat >= kQuiet || now - _firstRepeat >= kLongest)) {
        writeCount(sink);
    }
}

void LogRepeats::flush(LogSink& sink) {
    writeCount(sink);
    _last.clear();
}

void LogRepeats::writeCount(LogSink& sink) {
    if (_repeats == 0) {
        return;
    }
    const std::string count = "last line repeated " + std::to_string(_repeats) +
                              (_repeats == 1 ? " more time" : " more times");
    _repeats = 0;
    sink.write(count);
}
