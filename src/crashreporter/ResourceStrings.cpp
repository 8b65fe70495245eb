#include "crashreporter/ResourceStrings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QString ResourceStrings::value(const QString& table, const QString& key) {
    QFile file(QStringLiteral(":/%1.json").arg(table));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object().value(key).toString();
}
