#include "crashreporter/CrashReportUpload.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace {

// Takes one request, keeps its bytes and answers with `status`.
class OneRequestServer {
public:
    explicit OneRequestServer(int status) {
        EXPECT_TRUE(_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&_server, &QTcpServer::newConnection, [this, status] {
            QTcpSocket* socket = _server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket, status] {
                request += socket->readAll();
                const qsizetype headerEnd = request.indexOf("\r\n\r\n");
                if (headerEnd < 0 || request.size() < headerEnd + 4 + contentLength()) {
                    return;
                }
                socket->write("HTTP/1.1 " + QByteArray::number(status) +
                              " Reply\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
        });
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/report").arg(_server.serverPort()));
    }

    qsizetype contentLength() const {
        const qsizetype start = request.indexOf("Content-Length: ");
        if (start < 0) {
            return 0;
        }
        const qsizetype end = request.indexOf("\r\n", start);
        return request.mid(start + 16, end - start - 16).toLongLong();
    }

    QByteArray body() const { return request.mid(request.indexOf("\r\n\r\n") + 4); }

    QByteArray request;

private:
    QTcpServer _server;
};

struct Outcome {
    bool sent = false;
    bool finished = false;
};

Outcome upload(OneRequestServer& server, const QByteArray& body) {
    CrashReportUpload upload;
    Outcome outcome;
    QEventLoop loop;
    upload.send(server.url(), body, [&](bool sent, const QString&) {
        outcome = {sent, true};
        loop.quit();
    });
    loop.exec();
    return outcome;
}

} // namespace

TEST(CrashReportUpload, TheBodyReachesTheServerByteForByte) {
    OneRequestServer server(200);
    const QByteArray body = CrashReportUpload::body(QStringLiteral("Klang stürzte 0xKhTmLbOuNdArY"),
                                                    QStringLiteral("Signal: SIGSEGV"));
    EXPECT_EQ(body, QByteArray("--0xKhTmLbOuNdArY\r\n"
                               "Content-Disposition: form-data; name=\"crashlog\"\r\n\r\n"
                               "Klang st\xc3\xbcrzte USED_TO_BE_KHTMLBOUNDARY\n==========\n"
                               "Signal: SIGSEGV\r\n--0xKhTmLbOuNdArY--\r\n"));
    const Outcome outcome = upload(server, body);
    ASSERT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.sent);
    EXPECT_TRUE(server.request.startsWith("POST /report HTTP/1.1\r\n"))
        << server.request.constData();
    EXPECT_TRUE(server.request.contains(
        "\r\nContent-Type: multipart/form-data; boundary=0xKhTmLbOuNdArY\r\n"));
    EXPECT_TRUE(server.request.contains("\r\nUser-Agent: ZorCrashReporter\r\n"));
    EXPECT_EQ(server.contentLength(), body.size());
    EXPECT_EQ(server.body(), body);
}

TEST(CrashReportUpload, OnlyASuccessfulReplyCountsAsSent) {
    for (const int status : {404, 500}) {
        OneRequestServer server(status);
        const Outcome outcome = upload(server, CrashReportUpload::body("message", "log"));
        ASSERT_TRUE(outcome.finished) << status;
        EXPECT_FALSE(outcome.sent) << status;
    }
    OneRequestServer created(201);
    EXPECT_TRUE(upload(created, CrashReportUpload::body("message", "log")).sent);
}
