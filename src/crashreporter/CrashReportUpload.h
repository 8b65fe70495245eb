#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>

#include <functional>

class QUrl;

// Posts a crash report or feedback message as one multipart form field.
class CrashReportUpload {
public:
    static constexpr const char* kBoundary = "0xKhTmLbOuNdArY";

    // The message, a separator line and the log in a "crashlog" field; the
    // boundary text inside them is replaced so it cannot end the body early.
    static QByteArray body(const QString& message, const QString& log);

    using Finished = std::function<void(bool sent, const QString& error)>;

    // `finished` runs on this thread's event loop. Only a 2xx reply counts as
    // sent; anything else leaves the report to send again.
    void send(const QUrl& endpoint, const QByteArray& body, Finished finished);

private:
    QNetworkAccessManager _network;
};
