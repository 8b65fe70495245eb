#include "platform/alias/KivAlias.h"

#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivStatusError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<KivAlias>("KivAlias");
    return true;
}();

bool isMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

bool usablePath(const std::string& path) {
    return !path.empty() && path.front() == '/' && path.find('\0') == std::string::npos;
}

bool sameFile(const struct stat& s, std::uint64_t device, std::uint64_t inode) {
    return static_cast<std::uint64_t>(s.st_dev) == device &&
           static_cast<std::uint64_t>(s.st_ino) == inode;
}

} // namespace

class KivAlias::Descriptor {
public:
    explicit Descriptor(int fd)
        : _fd(fd) {}
    ~Descriptor() { close(_fd); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return _fd; }

    // nullptr when the file cannot be held (it is gone, or descriptors ran
    // out); the alias then resolves by identity alone.
    static std::shared_ptr<const Descriptor> open(const KivAliasRecord& record) {
        const int fd = ::open(record.path.c_str(), O_PATH | O_CLOEXEC);
        if (fd < 0) {
            if (!isMissing(errno)) {
                logStatusError(errno, "open(O_PATH)", __LINE__);
            }
            return nullptr;
        }
        struct stat s {};
        if (fstat(fd, &s) != 0 || !sameFile(s, record.device, record.inode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_shared<const Descriptor>(fd);
    }

private:
    int _fd;
};

KivAlias::KivAlias(std::optional<KivAliasRecord> record)
    : _record(std::move(record)) {}

KivAlias::KivAlias(const KivAlias& other) {
    std::lock_guard lock(other._mutex);
    _record = other._record;
    _descriptor = other._descriptor;
    _lastKnownFullPath = other._lastKnownFullPath;
}

std::shared_ptr<KivAlias> KivAlias::aliasWithPath(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return nullptr;
    }
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        if (!isMissing(errno)) {
            logStatusError(errno, "realpath", __LINE__);
        }
        return nullptr;
    }
    struct stat s {};
    if (stat(resolved, &s) != 0) {
        if (!isMissing(errno)) {
            logStatusError(errno, "stat", __LINE__);
        }
        return nullptr;
    }
    KivAliasRecord record{static_cast<std::uint64_t>(s.st_dev),
                          static_cast<std::uint64_t>(s.st_ino), resolved};
    auto alias = std::make_shared<KivAlias>(record);
    alias->_descriptor = Descriptor::open(record);
    return alias;
}

std::optional<KivAliasRecord> KivAlias::record() const {
    std::lock_guard lock(_mutex);
    return _record;
}

void KivAlias::refer(const KivAlias& other) {
    if (this == &other) {
        return;
    }
    std::optional<KivAliasRecord> record;
    std::shared_ptr<const Descriptor> descriptor;
    std::string lastKnown;
    {
        std::lock_guard lock(other._mutex);
        record = other._record;
        descriptor = other._descriptor;
        lastKnown = other._lastKnownFullPath;
    }
    std::lock_guard lock(_mutex);
    _record = std::move(record);
    _descriptor = std::move(descriptor);
    _lastKnownFullPath = std::move(lastKnown);
}

std::string KivAlias::lastKnownFullPath() const {
    std::lock_guard lock(_mutex);
    return _lastKnownFullPath;
}

std::string KivAlias::resolveByDescriptor(const Descriptor& descriptor) const {
    struct stat held {};
    // A file whose last link is gone has been deleted, even if we still hold it.
    if (fstat(descriptor.fd(), &held) != 0 || held.st_nlink == 0) {
        return {};
    }
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor.fd());
    char buffer[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return {};
    }
    std::string path(buffer, static_cast<std::size_t>(length));
    // The name the kernel gives must still lead to the held file (not, say,
    // to one put in its place since, or outside our view of the filesystem).
    struct stat named {};
    if (!usablePath(path) || stat(path.c_str(), &named) != 0 || named.st_dev != held.st_dev ||
        named.st_ino != held.st_ino) {
        return {};
    }
    return path;
}

std::string KivAlias::resolveByIdentity(const KivAliasRecord& record,
                                        const std::string& lastKnownPath) const {
    for (const std::string* candidate : {&lastKnownPath, &record.path}) {
        struct stat s {};
        if (usablePath(*candidate) && stat(candidate->c_str(), &s) == 0 &&
            sameFile(s, record.device, record.inode)) {
            return *candidate;
        }
    }
    return {};
}

std::string KivAlias::fullPath() const {
    std::optional<KivAliasRecord> record;
    std::shared_ptr<const Descriptor> descriptor;
    std::string lastKnown;
    {
        std::lock_guard lock(_mutex);
        record = _record;
        descriptor = _descriptor;
        lastKnown = _lastKnownFullPath;
    }
    if (!record) {
        return {};
    }
    std::string path;
    if (descriptor) {
        path = resolveByDescriptor(*descriptor);
    } else {
        path = resolveByIdentity(*record, lastKnown);
        if (!path.empty()) {
            // Found again: hold on to it from now on, so later moves are followed.
            KivAliasRecord found = *record;
            found.path = path;
            descriptor = Descriptor::open(found);
        }
    }
    if (path.empty()) {
        return {};
    }
    std::lock_guard lock(_mutex);
    _lastKnownFullPath = path;
    if (!_descriptor && _record == record) {
        _descriptor = std::move(descriptor);
    }
    return path;
}

std::string KivAlias::fileURL() const {
    const std::string path = fullPath();
    if (path.empty()) {
        return {};
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 0xF];
        }
    }
    return url;
}

bool KivAlias::isEqual(const KivAlias& other) const {
    if (this == &other) {
        return true;
    }
    const std::string mine = fullPath();
    const std::string theirs = other.fullPath();
    if (!mine.empty() || !theirs.empty()) {
        return mine == theirs;
    }
    return record() == other.record();
}

void KivAlias::encodeWithCoder(KivKeyedEncoder& coder) const {
    std::lock_guard lock(_mutex);
    if (_record) {
        coder.encodeBytes(_record->data(), "alias");
    }
    coder.encodeString(_lastKnownFullPath, "lastKnownPath");
}

std::shared_ptr<KivAlias> KivAlias::initWithCoder(const KivKeyedDecoder& coder) {
    auto alias = std::make_shared<KivAlias>();
    if (coder.containsValueForKey("alias")) {
        const auto data = coder.decodeBytesForKey("alias");
        auto record = KivAliasRecord::fromData(data);
        if (!record) {
            // Unusable bytes leave an alias that resolves to nothing, as a
            // missing file would, rather than failing the whole archive.
            logStatusError(EINVAL, "KivAliasRecord::fromData", __LINE__);
        }
        alias->_record = std::move(record);
    }
    alias->_lastKnownFullPath = coder.decodeStringForKey("lastKnownPath", PATH_MAX);
    return alias;
}
