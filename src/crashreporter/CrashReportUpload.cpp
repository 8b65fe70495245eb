#include "crashreporter/CrashReportUpload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

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
    QObject::connect(
        reply, &QNetworkReply::finished, reply, [reply, finished = std::move(finished)] {
            reply->deleteLater();
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const bool sent = status >= 200 && status < 300;
            finished(sent, sent ? QString() : reply->errorString());
        });
}
