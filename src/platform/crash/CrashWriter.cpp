#include "platform/crash/CrashWriter.h"

#include "platform/files/FileOperations.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PONDRA_CRASH_WRITER_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PONDRA_CRASH_WRITER_OFF 1
#endif
#endif

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kMaxFrames = 128;

// Everything the handler needs is kept in fixed storage made before a crash:
// a signal handler may not allocate.
char gFolder[1024];
char gAppName[128];
char gTerminateReason[512];
alignas(16) char gAlternateStack[64 * 1024];

// Appends to a fixed buffer without allocating; too long a text is cut.
struct Line {
    char text[1024];
    size_t length = 0;

    void add(const char* part) {
        for (; *part != '\0' && length + 1 < sizeof text; ++part) {
            text[length++] = *part;
        }
    }
    void addNumber(long long value, int width = 1) {
        char digits[24];
        int count = 0;
        const bool negative = value < 0;
        unsigned long long rest = negative ? -static_cast<unsigned long long>(value) : value;
        do {
            digits[count++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        while (count < width) {
            digits[count++] = '0';
        }
        if (negative) {
            add("-");
        }
        while (count > 0 && length + 1 < sizeof text) {
            text[length++] = digits[--count];
        }
    }
    void write(int fd) const {
        size_t done = 0;
        while (done < length) {
            const ssize_t written = ::write(fd, text + done, length - done);
            if (written <= 0) {
                return;
            }
            done += static_cast<size_t>(written);
        }
    }
};

const char* signalName(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

struct CivilTime {
    long long year;
    int month, day, hour, minute, second;
};

// gmtime_r is not async-signal-safe, so the UTC calendar date is worked out
// here (days to civil date after H. Hinnant).
CivilTime civilTime(long long seconds) {
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    CivilTime time{};
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    return time;
}

void addDate(Line& line, const CivilTime& time, const char* dateTimeSeparator,
             const char* timeSeparator) {
    line.addNumber(time.year, 4);
    line.add("-");
    line.addNumber(time.month, 2);
    line.add("-");
    line.addNumber(time.day, 2);
    line.add(dateTimeSeparator);
    line.addNumber(time.hour, 2);
    line.add(timeSeparator);
    line.addNumber(time.minute, 2);
    line.add(timeSeparator);
    line.addNumber(time.second, 2);
}

void copyProcessMaps(int fd) {
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0) {
        return;
    }
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::read(maps, buffer, sizeof buffer)) > 0) {
        if (::write(fd, buffer, static_cast<size_t>(count)) != count) {
            break;
        }
    }
    ::close(maps);
}

void writeLog(int signal) {
    const CivilTime now = civilTime(static_cast<long long>(::time(nullptr)));
    const pid_t pid = ::getpid();
    Line path;
    path.add(gFolder);
    path.add("/");
    path.add(gAppName);
    path.add("_");
    addDate(path, now, "-", "");
    path.add("_");
    path.addNumber(pid);
    path.add(".crash");
    path.text[path.length] = '\0';
    const int fd = ::open(path.text, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    Line header;
    header.add("Process: ");
    header.add(gAppName);
    header.add(" [");
    header.addNumber(pid);
    header.add("]\nDate: ");
    addDate(header, now, " ", ":");
    header.add(" UTC\nSignal: ");
    header.add(signalName(signal));
    header.add(" (");
    header.addNumber(signal);
    header.add(")\n");
    if (gTerminateReason[0] != '\0') {
        header.add("Terminated by uncaught exception: ");
        header.add(gTerminateReason);
        header.add("\n");
    }
    header.add("\nBacktrace:\n");
    header.write(fd);
    void* frames[kMaxFrames];
    backtrace_symbols_fd(frames, backtrace(frames, kMaxFrames), fd);
    Line mapsHeader;
    mapsHeader.add("\nMemory map:\n");
    mapsHeader.write(fd);
    copyProcessMaps(fd);
    ::close(fd);
}

void handleSignal(int signal) {
    static volatile sig_atomic_t handling = 0;
    if (handling == 0) {
        handling = 1;
        writeLog(signal);
    }
    // The default action ends the process with this signal, so a parent or a
    // core dump sees the real cause.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

[[noreturn]] void handleTerminate() {
    const char* reason = "unknown exception";
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& exception) {
            reason = exception.what();
        } catch (...) {
        }
    } else {
        reason = "std::terminate without an exception";
    }
    std::strncpy(gTerminateReason, reason, sizeof gTerminateReason - 1);
    std::abort();
}

bool copyInto(char* target, size_t size, const std::string& text) {
    if (text.size() >= size) {
        return false;
    }
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

std::string CrashWriter::reportsFolder(const std::string& appName) {
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        data = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    return data + "/" + appName + "/CrashReports";
}

bool CrashWriter::install(const std::string& appName, const std::string& folder) {
#ifdef PONDRA_CRASH_WRITER_OFF
    (void)appName;
    (void)folder;
    return false;
#else
    if (folder.empty() || !copyInto(gFolder, sizeof gFolder, folder) ||
        !copyInto(gAppName, sizeof gAppName, appName)) {
        return false;
    }
    FileOperations::makeDirectories(folder);
    // The first backtrace() loads libgcc; in a handler that load could deadlock.
    void* frame = nullptr;
    backtrace(&frame, 1);

    stack_t stack{};
    stack.ss_sp = gAlternateStack;
    stack.ss_size = sizeof gAlternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = handleSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
    std::set_terminate(handleTerminate);
    return true;
#endif
}
