#include "crashreporter/CrashLogCheck.h"

#include "KivUI/services/UserDefaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

const QString kLastReportDateKey = QStringLiteral("ZorCrashReporterLastCrashReportDate");
const QString kUnreadable = QStringLiteral("*** Couldn't read Report ***");

// An open crash log: a regular file reached without following a link at its
// name and opened without blocking, so a FIFO or a device in its place is
// refused at once.
class OpenLog {
public:
    explicit OpenLog(const QString& path)
        : _fd(::open(QFile::encodeName(path).constData(),
                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)) {
        if (_fd >= 0 && (::fstat(_fd, &_status) != 0 || !S_ISREG(_status.st_mode))) {
            ::close(_fd);
            _fd = -1;
        }
    }
    ~OpenLog() {
        if (_fd >= 0) {
            ::close(_fd);
        }
    }
    OpenLog(const OpenLog&) = delete;
    OpenLog& operator=(const OpenLog&) = delete;

    bool isOpen() const { return _fd >= 0; }
    double modifiedSecondsSince1970() const {
        return static_cast<double>(_status.st_mtim.tv_sec) +
               static_cast<double>(_status.st_mtim.tv_nsec) / 1e9;
    }

    // The end of the file, at most kReadLimit bytes; none when it fails.
    std::optional<QByteArray> readEnd() const {
        const off_t size = _status.st_size;
        const off_t start = size > static_cast<off_t>(CrashLogCheck::kReadLimit)
                                ? size - static_cast<off_t>(CrashLogCheck::kReadLimit)
                                : 0;
        QByteArray bytes(static_cast<qsizetype>(size - start), '\0');
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t got =
                ::pread(_fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done),
                        start + done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return std::nullopt;
            }
            if (got == 0) {
                break;
            }
            done += got;
        }
        bytes.truncate(done);
        if (start > 0) {
            // The cut falls inside a line, maybe inside a character.
            bytes.remove(0, bytes.indexOf('\n') + 1);
        }
        return bytes;
    }

private:
    int _fd;
    struct stat _status {};
};

QString lastPiece(const QByteArray& log) {
    return QString::fromUtf8(log).split(QStringLiteral("\n\n**********\n\n")).constLast();
}

} // namespace

QString CrashLogCheck::FindNewestCrashLogPath(const QString& appName, const QString& folder) {
    QString newest;
    QDateTime newestDate;
    // Links are neither listed nor followed into: only what lies in the folder.
    QDirIterator entries(folder, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    for (int seen = 0; seen < kEntryLimit && entries.hasNext(); ++seen) {
        const QFileInfo entry(entries.next());
        const QString name = entry.fileName();
        if (!name.startsWith(appName + QLatin1Char('_')) ||
            !name.endsWith(QLatin1String(".crash"))) {
            continue;
        }
        const QDateTime date = entry.lastModified();
        if (newest.isEmpty() || date > newestDate) {
            newest = entry.filePath();
            newestDate = date;
        }
    }
    return newest;
}

QString CrashLogCheck::reportFromLog(const QString& path) {
    const OpenLog log(path);
    const std::optional<QByteArray> bytes = log.isOpen() ? log.readEnd() : std::nullopt;
    return bytes ? lastPiece(*bytes) : kUnreadable;
}

double CrashLogCheck::lastReportDate(const UserDefaults& settings) {
    return settings.value(kLastReportDateKey, 0.0).toDouble();
}

void CrashLogCheck::setLastReportDate(UserDefaults& settings, double secondsSince1970) {
    settings.setValue(kLastReportDateKey, secondsSince1970);
}

std::optional<QString> CrashLogCheck::newReport(const QString& appName, const QString& folder,
                                                double lastReportDate) {
    const QString path = FindNewestCrashLogPath(appName, folder);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    // The date of the very file that is read, not of whatever took its name since.
    const OpenLog log(path);
    if (!log.isOpen() || log.modifiedSecondsSince1970() <= lastReportDate) {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = log.readEnd();
    return bytes ? lastPiece(*bytes) : kUnreadable;
}
