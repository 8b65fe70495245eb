#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>

class QNetworkReply;
class QUrl;

// How far an upload may go before it is abandoned as failed: the bytes of
// the reply read, and the time from the request to the reply's end, by
// default the network library's own transfer timeout (30 s).
struct CrashReportUploadLimits {
    qint64 replyBytes = 64 * 1024;
    std::chrono::milliseconds time{QNetworkRequest::DefaultTransferTimeoutConstant};
};

// Posts a crash report or feedback message as one multipart form field.
// Whatever the server does, the upload ends: a reply is read up to a size
// and the whole exchange may take up to a time, past which it is abandoned
// as failed.
class CrashReportUpload {
public:
    static constexpr const char* kBoundary = "0xKhTmLbOuNdArY";

    using Limits = CrashReportUploadLimits;

    explicit CrashReportUpload(Limits limits = {});
    // Abandons an upload under way without telling its `finished`.
    ~CrashReportUpload();
    CrashReportUpload(const CrashReportUpload&) = delete;
    CrashReportUpload& operator=(const CrashReportUpload&) = delete;

    // The message, a separator line and the log in a "crashlog" field; the
    // boundary text inside them is replaced so it cannot end the body early.
    static QByteArray body(const QString& message, const QString& log);

    using Finished = std::function<void(bool sent, const QString& error)>;

    // `finished` runs on this thread's event loop, once. Only a 2xx reply
    // within the limits counts as sent; anything else leaves the report to
    // send again.
    void send(const QUrl& endpoint, const QByteArray& body, Finished finished);

private:
    const Limits _limits;
    QNetworkAccessManager _network;
    QPointer<QNetworkReply> _reply;
};
