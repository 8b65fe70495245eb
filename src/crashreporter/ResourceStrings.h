#pragma once

#include <QString>

// The texts of a resource table ":/<table>.json", a flat JSON object of
// strings: the application's information ("Info") and the reporter's
// strings ("ZorCrashReporter").
namespace ResourceStrings {

// Empty when the table or the key is missing.
QString value(const QString& table, const QString& key);

inline QString info(const QString& key) {
    return value(QStringLiteral("Info"), key);
}

} // namespace ResourceStrings
