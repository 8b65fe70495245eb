#include "crashreporter/CrashReportUpload.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

CrashReportUpload::CrashReportUpload(Limits limits)
    : _limits(limits) {}

CrashReportUpload::~CrashReportUpload() {
    if (_reply) {
        _reply->disconnect();
        _reply->abort();
        delete _reply;
    }
}

QByteArray CrashReportUpload::body(const QString& message, const QString& log) {
    QString text = message + QStringLiteral("\n==========\n") + log;
    text.replace(QLatin1String(kBoundary), QStringLiteral("USED_TO_BE_KHTMLBOUNDARY"));
    const QByteArray boundary(kBoundary);
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"crashlog\"\r\n\r\n" +
           text.toUtf8() + "\r\n--" + boundary + "--\r\n";
}

void CrashReportUpload::send(const QUrl& endpoint, const QByteArray& body, Finished finished) {
    QNetworkRequest request(endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("multipart/form-data; boundary=") + kBoundary);
    request.setRawHeader("User-Agent", "ZorCrashReporter");
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    QNetworkReply* reply = _network.post(request, body);
    _reply = reply;
    // Why the upload was given up, once it was.
    auto abandoned = std::make_shared<QString>();
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, abandoned, time = _limits.time] {
        *abandoned = QStringLiteral("The report server did not answer within %1 seconds.")
                         .arg(QLocale::c().toString(static_cast<double>(time.count()) / 1000.0));
        reply->abort();
    });
    deadline->start(_limits.time);
    // The reply's body is not needed: it is read only to be thrown away,
    // and only so far.
    auto received = std::make_shared<qint64>(0);
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, received, abandoned, limit = _limits.replyBytes] {
                         *received += reply->skip(reply->bytesAvailable());
                         if (*received > limit && abandoned->isEmpty()) {
                             *abandoned = QStringLiteral("The report server's reply was too long.");
                             reply->abort();
                         }
                     });
    QObject::connect(
        reply, &QNetworkReply::finished, reply, [reply, abandoned, finished = std::move(finished)] {
            reply->deleteLater();
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const bool sent = abandoned->isEmpty() && reply->error() == QNetworkReply::NoError &&
                              status >= 200 && status < 300;
            finished(sent, sent                    ? QString()
                           : !abandoned->isEmpty() ? *abandoned
                                                   : reply->errorString());
        });
}
