#include "crashreporter/CrashReportUpload.h"

#include "crashreporter/OneRequestServer.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QUrl>

namespace {

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
