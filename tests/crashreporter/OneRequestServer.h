#pragma once

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

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
