#include "platform/audiofile/FfmpegLog.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstring>
#include <mutex>

namespace {

// FFmpeg may write one line in several calls; each thread gathers its pieces.
thread_local char tLine[1024];
thread_local std::size_t tLength = 0;
thread_local int tPrintPrefix = 1;

void ffmpegLogCallback(void* context, int level, const char* format, va_list args) {
    if (level > AV_LOG_WARNING) {
        return;
    }
    const int needed = level > AV_LOG_ERROR ? 3 : 1;
    if (KivEnvironment::logLevel() < needed) {
        return;
    }
    char piece[1024];
    av_log_format_line2(context, level, format, args, piece, sizeof piece, &tPrintPrefix);
    const std::size_t pieceLength = std::strlen(piece);
    const std::size_t room = sizeof tLine - 1 - tLength;
    const std::size_t take = pieceLength < room ? pieceLength : room;
    std::memcpy(tLine + tLength, piece, take);
    tLength += take;
    tLine[tLength] = '\0';
    if (tLength > 0 && (tLine[tLength - 1] == '\n' || tLength == sizeof tLine - 1)) {
        logFormat("FFmpeg: %s", tLine);
        tLength = 0;
    }
}

} // namespace

void routeFfmpegLogToKivLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(ffmpegLogCallback); });
}
