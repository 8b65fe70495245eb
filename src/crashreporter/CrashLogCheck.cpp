#include "crashreporter/CrashLogCheck.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kLastReportDateKey = QStringLiteral("ZorCrashReporterLastCrashReportDate");

} // namespace

QString CrashLogCheck::FindNewestCrashLogPath(const QString& appName, const QString& folder) {
    QString newest;
    QDateTime newestDate;
    QDirIterator entries(folder, QDir::Files, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("*** Couldn't read Report ***");
    }
    const QString text = QString::fromUtf8(file.readAll());
    return text.split(QStringLiteral("\n\n**********\n\n")).constLast();
}

double CrashLogCheck::lastReportDate(const QSettings& settings) {
    return settings.value(kLastReportDateKey, 0.0).toDouble();
}

void CrashLogCheck::setLastReportDate(QSettings& settings, double secondsSince1970) {
    settings.setValue(kLastReportDateKey, secondsSince1970);
}

std::optional<QString> CrashLogCheck::newReport(const QString& appName, const QString& folder,
                                                const QSettings& settings) {
    const QString path = FindNewestCrashLogPath(appName, folder);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QDateTime date = QFileInfo(path).lastModified();
    if (!date.isValid() || date.toMSecsSinceEpoch() / 1000.0 <= lastReportDate(settings)) {
        return std::nullopt;
    }
    return reportFromLog(path);
}
