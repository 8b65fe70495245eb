#include "platform/files/FileOperations.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

namespace FileOperations {
namespace {

constexpr int kUniqueNameTries = 1000;

class Descriptor {
public:
    explicit Descriptor(int fd)
        : _fd(fd) {}
    ~Descriptor() {
        if (_fd >= 0) {
            ::close(_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return _fd; }
    // A failed close can be the first report of a failed write.
    int close() {
        const int result = ::close(_fd);
        _fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int _fd;
};

int writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

FileState stateOf(const struct stat& status) {
    return {
        status.st_dev, status.st_ino, status.st_size,
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
        static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec};
}

// The bytes sent, which fall short of `size` when the file shrank meanwhile.
int copyContents(int from, int to, off_t size, const std::atomic<bool>* cancelled, off_t& copied) {
    off_t offset = 0;
    while (offset < size) {
        if (cancelled && cancelled->load(std::memory_order_relaxed)) {
            return ECANCELED;
        }
        const off_t start = offset;
        const auto chunk = std::min(static_cast<std::size_t>(size - offset), kCopyChunk);
        const ssize_t sent = ::sendfile(to, from, &offset, chunk);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (sent == 0) {
            break; // the file shrank while being copied: told by `copied`
        }
        // Each piece reaches the disk before the next is sent, so the final
        // flush is short and a cancel never waits behind gigabytes of it.
        ::sync_file_range(to, start, sent,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
    }
    copied = offset;
    return 0;
}

int copyOpenFile(int from, const std::string& destination, const std::atomic<bool>* cancelled,
                 const FileState* expected) {
    struct stat status {};
    if (::fstat(from, &status) != 0) {
        return errno;
    }
    if (!S_ISREG(status.st_mode)) {
        return EINVAL;
    }
    const FileState before = stateOf(status);
    if (expected && before != *expected) {
        return kSourceChanged;
    }
    Descriptor to(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (to.get() < 0) {
        return errno;
    }
    off_t copied = 0;
    int error = 0;
    // A reflink shares the blocks until either side is written to: a copy of
    // its own at once, where the file system offers one.
    if (::ioctl(to.get(), FICLONE, from) == 0) {
        struct stat cloned {};
        error = ::fstat(to.get(), &cloned) == 0 ? 0 : errno;
        copied = cloned.st_size;
    } else {
        error = copyContents(from, to.get(), status.st_size, cancelled, copied);
    }
    if (error == 0 && cancelled && cancelled->load(std::memory_order_relaxed)) {
        error = ECANCELED;
    }
    // What was copied must be what was there: the whole length, and no
    // writing into the file meanwhile.
    if (error == 0 &&
        (copied != status.st_size || ::fstat(from, &status) != 0 || stateOf(status) != before)) {
        error = kSourceChanged;
    }
    if (error == 0 && ::fsync(to.get()) != 0) {
        error = errno;
    }
    if (const int closeError = to.close(); error == 0) {
        error = closeError;
    }
    if (error != 0) {
        ::unlink(destination.c_str());
    }
    return error;
}

} // namespace

std::optional<FileState> fileState(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return stateOf(status);
}

unsigned randomNumber() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<unsigned>(generator());
}

int makeUniqueDirectory(const std::string& parent, const std::string& prefix, std::string& path,
                        const std::function<unsigned()>& number) {
    for (int attempt = 0; attempt < kUniqueNameTries; ++attempt) {
        std::string candidate = parent + "/" + prefix + std::to_string(number());
        const int error = makeDirectory(candidate);
        if (error == 0) {
            path = std::move(candidate);
            return 0;
        }
        if (error != EEXIST) {
            return error;
        }
    }
    return EEXIST;
}

int makeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

int makeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return error.value();
}

int linkFile(const std::string& source, const std::string& destination) {
    return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
}

int copyFile(const std::string& source, const std::string& destination,
             const std::atomic<bool>* cancelled, const FileState* expected) {
    // Non-blocking, so a FIFO in place of the file is refused at once, not waited on.
    Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (from.get() < 0) {
        return errno;
    }
    return copyOpenFile(from.get(), destination, cancelled, expected);
}

int readRegularFile(const std::string& path, std::size_t limit, std::string& contents,
                    FileState* state) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        return errno;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        return errno;
    }
    if (!S_ISREG(status.st_mode)) {
        return S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    }
    if (static_cast<std::size_t>(status.st_size) > limit) {
        return EFBIG;
    }
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::read(file.get(), text.data() + done, text.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    // A file that shrank meanwhile gives what it still held.
    text.resize(done);
    contents = std::move(text);
    if (state != nullptr) {
        *state = stateOf(status);
    }
    return 0;
}

int writeNewFile(const std::string& path, std::string_view contents) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        return errno;
    }
    int error = writeAll(file.get(), contents);
    if (error == 0 && ::fsync(file.get()) != 0) {
        error = errno;
    }
    if (const int closeError = file.close(); error == 0) {
        error = closeError;
    }
    return error;
}

int syncDirectory(const std::string& path) {
    Descriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        return errno;
    }
    return ::fsync(folder.get()) == 0 ? 0 : errno;
}

int exchange(const std::string& first, const std::string& second) {
    return ::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0
               ? 0
               : errno;
}

int rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int removeTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return error.value();
}

bool itemExists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string errorText(int error) {
    if (error == kSourceChanged) {
        return "the file changed while it was being copied";
    }
    char buffer[256];
    // The GNU form: thread-safe, and the text may not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

} // namespace FileOperations
