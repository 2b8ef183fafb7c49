#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QUrl>

#include <functional>
#include <memory>

class QTcpServer;

// An HTTP server on 127.0.0.1 for the tests, on a thread of its own so that synchronous and
// asynchronous requests alike can reach it. A handler answers each request it reads; the
// server records every request's bytes and counts the connections it accepted. With a
// certificate and key it speaks TLS.
class LoopbackServer
{
public:
    struct Request {
        QByteArray head;
        QByteArray requestLine;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
        int connection = 0; // which accepted connection it came on, from 1
    };
    struct Reply {
        QByteArray bytes;
        bool close = false;  // close the connection after answering
        bool silent = false; // never answer
        bool drop = false;   // close at once without answering
    };
    using Handler = std::function<Reply(const Request&)>;

    explicit LoopbackServer(Handler handler, QString certificatePath = {}, QString keyPath = {});
    ~LoopbackServer();

    QUrl url(const QString& path, const QString& scheme = QStringLiteral("http")) const;
    quint16 port() const { return port_; }
    int acceptedConnections() const;
    QList<Request> requests() const;

    // A plain answer with a Content-Length.
    static Reply answer(const QByteArray& status, const QByteArray& body, const QByteArray& headers = {});

private:
    class Worker;
    QThread thread_;
    Worker* worker_ = nullptr;
    quint16 port_ = 0;
};

// A loopback server that answers each request target (path and query, as sent) with the page
// set for it, and any other with 404.
class PageServer
{
public:
    PageServer();

    void answer(const QByteArray& target, const QByteArray& status, const QByteArray& body);
    // "http://127.0.0.1:port", the base of the pages.
    QString base() const;
    quint16 port() const { return server_.port(); }
    QList<LoopbackServer::Request> requests() const { return server_.requests(); }
    // The targets asked for, in order.
    QList<QByteArray> targets() const;
    static QByteArray targetOf(const LoopbackServer::Request& request);

private:
    QMutex mutex_;
    QMap<QByteArray, LoopbackServer::Reply> pages_;
    LoopbackServer server_;
};

// A self-signed certificate for 127.0.0.1 made with the openssl command in a folder of the test.
bool makeSelfSignedCertificate(const QString& folder, QString* certificatePath, QString* keyPath);
