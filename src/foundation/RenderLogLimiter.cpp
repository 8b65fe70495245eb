#include "foundation/RenderLogLimiter.h"

#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/RealtimeLogQueue.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Appends the held-back count to a line that may already fill the buffer.
void logWithCount(char* text, std::size_t size, std::uint64_t heldBack) {
    if (heldBack > 0) {
        std::size_t used = 0;
        while (used < size && text[used] != '\0') {
            ++used;
        }
        std::snprintf(text + used, size - used, " (%llu more held back)",
                      static_cast<unsigned long long>(heldBack));
    }
    logLine(text);
}

} // namespace

bool RenderLogLimiter::admit(double now) noexcept {
    if (_logged && now - _lastLine < kInterval) {
        ++_heldBack;
        return false;
    }
    _logged = true;
    _lastLine = now;
    return true;
}

void RenderLogLimiter::logFormat(double now, const char* format, ...) noexcept {
    if (!admit(now)) {
        return;
    }
    char text[RealtimeLogQueue::kLineLength + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    logWithCount(text, sizeof text, _heldBack);
    _heldBack = 0;
}

void RenderLogLimiter::logStatusError(double now, std::int32_t status, const char* operation,
                                      int line) noexcept {
    if (!admit(now)) {
        return;
    }
    char chars[5];
    statusCharacters(status, chars);
    char text[RealtimeLogQueue::kLineLength + 1];
    std::snprintf(text, sizeof text, "Error: %d [%4.4s] | %s [line %d]", status, chars, operation,
                  line);
    logWithCount(text, sizeof text, _heldBack);
    _heldBack = 0;
}
