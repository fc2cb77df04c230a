// A small HTTP server on the loopback interface for the viewer tests: serves
// fixed pages by path, after an optional delay, and records every request.
// It also answers as a proxy: a request for a full address ("GET http://host/
// path") is served by its path, and the host is recorded. It can also stand
// for a host that cannot be reached: drop each connection, or never answer.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

struct HttpRequest
{
    QString host;     // from the full address or the Host header
    QString path;
    QByteArray target; // as it stood in the request line
};

class HttpResponder : public QObject
{
public:
    enum class Answer { Page, Drop, Silent };
    Answer answerWith = Answer::Page;
    // Milliseconds before each answer is sent.
    int delayMs = 0;
    QList<HttpRequest> requests;

    HttpResponder()
    {
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    // Listens on a free loopback port, or takes over a socket that already
    // listens (so its port can be known before the application object exists).
    bool listen(qintptr listeningSocket = -1)
    {
        if (listeningSocket >= 0)
            return server.setSocketDescriptor(listeningSocket);
        return server.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return server.serverPort(); }
    QString address(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    void addPage(const QString &path, const QByteArray &body,
                 const QByteArray &type = "text/html; charset=utf-8")
    {
        pages.insert(path, {type, body});
    }
    static QByteArray page(const QString &title, const QString &body)
    {
        return QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head><body>%2</body></html>")
            .arg(title, body)
            .toUtf8();
    }
    QStringList requestedPaths() const
    {
        QStringList paths;
        for (const HttpRequest &r : requests)
            paths << r.path;
        return paths;
    }

private:
    struct Page
    {
        QByteArray type;
        QByteArray body;
    };
    QTcpServer server;
    QHash<QString, Page> pages;

    void accept()
    {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            auto *buffer = new QByteArray;
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0 || buffer->isEmpty())
                    return;
                const QByteArray head = buffer->left(end);
                buffer->clear();
                answer(socket, head);
            });
        }
    }

    void answer(QTcpSocket *socket, const QByteArray &head)
    {
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        HttpRequest request;
        request.target = requestLine.value(1);
        const QUrl url(QString::fromLatin1(request.target));
        if (url.scheme().isEmpty()) {
            request.path = url.path();
            for (const QByteArray &line : lines)
                if (line.toLower().startsWith("host:"))
                    request.host = QString::fromLatin1(line.mid(5).trimmed()).section(QLatin1Char(':'), 0, 0);
        } else {
            request.path = url.path();
            request.host = url.host();
        }
        requests << request;
        if (answerWith == Answer::Drop) {
            socket->abort();
            return;
        }
        if (answerWith == Answer::Silent)
            return;

        const auto found = pages.constFind(request.path);
        QByteArray response;
        if (found == pages.constEnd()) {
            const QByteArray body = "<html><head><title>Not found</title></head><body>404</body></html>";
            response = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: "
                       + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        } else {
            response = "HTTP/1.1 200 OK\r\nContent-Type: " + found->type + "\r\nContent-Length: "
                       + QByteArray::number(found->body.size())
                       + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + found->body;
        }
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(delayMs, this, [guard, response] {
            if (!guard)
                return;
            guard->write(response);
            guard->disconnectFromHost();
        });
    }
};
