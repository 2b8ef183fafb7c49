#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <functional>
#include <memory>

class QTcpServer;

// An HTTP server on 127.0.0.1 for the tests, on a thread of its own so that synchronous and
// asynchronous requests alike can reach it. A handler answers each request it reads; the
// server records every request's bytes and counts the connections it accepted. With a
// certificate and key it speaks TLS; with a client authority as well, it takes only clients
// that present a certificate that authority issued.
class LoopbackServer
{
public:
    struct Request {
        QByteArray head;
        QByteArray requestLine;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
        int connection = 0; // which accepted connection it came on, from 1
        QString clientName; // the common name of the client's certificate, empty without one
    };
    struct Reply {
        QByteArray bytes;
        bool close = false;  // close the connection after answering
        bool silent = false; // never answer
        bool drop = false;   // close at once without answering
        int delayMs = 0;     // answer this long after the request arrived
        // Sends the answer in this many pieces of near equal size, one every paceMs, the first
        // at once (0: all at once). An answer whose bytes promise more than they hold then
        // goes quiet.
        int pieces = 0;
        int paceMs = 0;
        bool held = false; // answer only when released, in the order held
    };
    using Handler = std::function<Reply(const Request&)>;

    explicit LoopbackServer(Handler handler, QString certificatePath = {}, QString keyPath = {},
                            QString clientAuthorityPath = {});
    ~LoopbackServer();

    // From now on reads the first `slowBytes` of each connection at most `bytes` every
    // `everyMs`, the rest left to wait in the system's buffers as at the end of a slow line;
    // what follows is read as it comes.
    void setReadPace(qint64 bytes, int everyMs, qint64 slowBytes);

    // Sends the oldest answer held back; false when none is.
    bool releaseHeld();

    QUrl url(const QString& path, const QString& scheme = QStringLiteral("http")) const;
    quint16 port() const { return port_; }
    int acceptedConnections() const;
    QList<Request> requests() const;

    // A plain answer with a Content-Length.
    static Reply answer(const QByteArray& status, const QByteArray& body, const QByteArray& headers = {});
    // A 200 answer whose body ends where the server closes the connection.
    static Reply answerUntilClose(const QByteArray& body);

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

// A proxy on 127.0.0.1 for the tests that tunnels connections: SOCKS5 (no authentication,
// CONNECT only) or HTTP CONNECT, which it tells apart by the first byte. It records the
// destination of every tunnel it is asked for ("host:port") and relays it to the loopback
// port the route names for that destination; a destination the route gives no port (0) is
// refused. With a required authorization, an HTTP CONNECT without that Proxy-Authorization
// value is answered 407 with a Basic challenge for realm "Films".
class LoopbackTunnelProxy
{
public:
    using Route = std::function<quint16(const QString& host, quint16 port)>;

    explicit LoopbackTunnelProxy(Route route, QByteArray requiredAuthorization = {});
    ~LoopbackTunnelProxy();

    quint16 port() const { return port_; }
    QStringList destinations() const;
    int acceptedConnections() const;

private:
    class Worker;
    QThread thread_;
    Worker* worker_ = nullptr;
    quint16 port_ = 0;
};

// A self-signed certificate for 127.0.0.1 and its key, made with the openssl command in a
// temporary folder of their own; made says whether that worked.
struct ServerCertificate {
    ServerCertificate();
    QTemporaryDir folder;
    QString certificatePath;
    QString keyPath;
    bool made = false;
};

// Runs the openssl command with the arguments in the folder; true when it succeeded.
bool runOpenssl(const QString& folder, const QStringList& arguments);
