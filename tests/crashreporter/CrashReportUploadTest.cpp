#include "crashreporter/CrashReportUpload.h"

#include "crashreporter/OneRequestServer.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>

namespace {

struct Outcome {
    bool sent = false;
    bool finished = false;
    QString error;
};

// Sends a report within the limits and waits for its end, at most `wait`.
Outcome uploadWithin(const QUrl& url, CrashReportUpload::Limits limits,
                     std::chrono::milliseconds wait) {
    CrashReportUpload upload(limits);
    Outcome outcome;
    QEventLoop loop;
    upload.send(url, CrashReportUpload::body("message", "log"), [&](bool sent, const QString& why) {
        outcome = {sent, true, why};
        loop.quit();
    });
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    loop.exec();
    return outcome;
}

Outcome upload(OneRequestServer& server, const QByteArray& body) {
    CrashReportUpload upload;
    Outcome outcome;
    QEventLoop loop;
    upload.send(server.url(), body, [&](bool sent, const QString&) {
        outcome = {sent, true, {}};
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

TEST(CrashReportUpload, AReplyThatNeverEndsIsCutOffAtItsLimitAndFails) {
    // Answers "200 OK" and then sends for as long as anyone reads.
    QTcpServer endless;
    ASSERT_TRUE(endless.listen(QHostAddress::LocalHost, 0));
    qint64 written = 0;
    bool closed = false;
    QObject::connect(&endless, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = endless.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::disconnected, [&closed] { closed = true; });
        auto* pump = new QTimer(socket);
        QObject::connect(socket, &QTcpSocket::readyRead, [socket, pump] {
            socket->readAll();
            if (!pump->isActive()) {
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n");
                pump->start(1);
            }
        });
        QObject::connect(pump, &QTimer::timeout, [socket, &written] {
            if (socket->bytesToWrite() < (1 << 20)) {
                written += socket->write(QByteArray(256 * 1024, 'z'));
            }
        });
    });
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/report").arg(endless.serverPort()));

    const Outcome outcome =
        uploadWithin(url, {1 << 20, std::chrono::seconds(20)}, std::chrono::seconds(15));
    ASSERT_TRUE(outcome.finished) << "the upload never ended";
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.error, QStringLiteral("The report server's reply was too long."));
    // Read no further than a few buffers past the limit.
    EXPECT_LT(written, 16 << 20);
}

TEST(CrashReportUpload, AServerThatNeverAnswersIsGivenUpAtTheNetworkLibrarysOwnTimeout) {
    // Qt's own transfer timeout, 30 s, unless a caller sets another.
    EXPECT_EQ(CrashReportUploadLimits{}.time,
              std::chrono::milliseconds(QNetworkRequest::DefaultTransferTimeoutConstant));
    EXPECT_EQ(CrashReportUploadLimits{}.time, std::chrono::seconds(30));

    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/report").arg(silent.serverPort()));
    const Outcome outcome =
        uploadWithin(url, {64 * 1024, std::chrono::milliseconds(200)}, std::chrono::seconds(10));
    ASSERT_TRUE(outcome.finished) << "the upload never ended";
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.error,
              QStringLiteral("The report server did not answer within 0.2 seconds."));
}
