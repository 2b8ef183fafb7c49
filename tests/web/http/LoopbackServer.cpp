#include "LoopbackServer.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

#include <map>
#include <memory>

class LoopbackServer::Worker : public QTcpServer
{
public:
    Worker(Handler handler, QString certificatePath, QString keyPath, QString clientAuthorityPath)
        : handler_(std::move(handler))
        , certificatePath_(std::move(certificatePath))
        , keyPath_(std::move(keyPath))
        , clientAuthorityPath_(std::move(clientAuthorityPath))
    {
    }

    mutable QMutex mutex;
    QList<Request> requests;
    int accepted = 0;
    // Touched on the worker's thread only.
    qint64 paceBytes = 0;
    int paceMs = 0;
    qint64 slowBytes = 0;

    bool releaseHeld()
    {
        if (held_.isEmpty())
            return false;
        const auto [socket, reply] = held_.takeFirst();
        if (socket) {
            socket->write(reply.bytes);
            if (reply.close)
                socket->disconnectFromHost();
        }
        return true;
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        int number = 0;
        {
            QMutexLocker lock(&mutex);
            number = ++accepted;
        }
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, number] {
            if (!paced_.contains(socket))
                read(socket, number);
        });
        if (paceBytes > 0) {
            // A buffer of the system's of a fixed size, so the line backs up to the client.
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, int(paceBytes));
            socket->setReadBufferSize(paceBytes);
            auto* pace = new QTimer(socket);
            paced_.insert(socket, {pace, 0});
            QObject::connect(pace, &QTimer::timeout, socket, [this, socket, number] { read(socket, number); });
            pace->start(paceMs);
        }
        QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            paced_.remove(socket);
            socket->deleteLater();
        });
        if (!certificatePath_.isEmpty()) {
            QFile certificate(certificatePath_);
            QFile key(keyPath_);
            certificate.open(QIODevice::ReadOnly);
            key.open(QIODevice::ReadOnly);
            socket->setLocalCertificate(QSslCertificate(certificate.readAll()));
            socket->setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
            if (!clientAuthorityPath_.isEmpty()) {
                socket->setPeerVerifyMode(QSslSocket::VerifyPeer);
                QSslConfiguration configuration = socket->sslConfiguration();
                configuration.setCaCertificates(QSslCertificate::fromPath(clientAuthorityPath_));
                socket->setSslConfiguration(configuration);
            }
            socket->startServerEncryption();
        }
    }

private:
    void read(QSslSocket* socket, int number)
    {
        QByteArray& pending = pending_[socket];
        if (const auto pace = paced_.find(socket); pace != paced_.end()) {
            pending += socket->read(paceBytes);
            pace->taken += paceBytes;
            if (pace->taken >= slowBytes) {
                // Past the slow part: read as it comes from now on.
                delete pace->timer;
                paced_.erase(pace);
                socket->setReadBufferSize(0);
                pending += socket->readAll();
            }
        } else {
            pending += socket->readAll();
        }
        for (;;) {
            const qsizetype end = pending.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request request;
            request.head = pending.left(end + 4);
            request.connection = number;
            request.clientName = socket->peerCertificate().subjectInfo(QSslCertificate::CommonName).value(0);
            const QList<QByteArray> lines = request.head.split('\n');
            request.requestLine = lines.value(0).trimmed();
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
            }
            const qsizetype length = request.headers.value("content-length").toLongLong();
            if (pending.size() < end + 4 + length)
                return;
            request.body = pending.mid(end + 4, length);
            pending.remove(0, end + 4 + length);
            {
                QMutexLocker lock(&mutex);
                requests.append(request);
            }
            const Reply reply = handler_(request);
            if (reply.silent)
                return;
            if (reply.drop) {
                socket->abort();
                pending_.remove(socket);
                return;
            }
            if (reply.held) {
                held_.append({socket, reply});
                continue;
            }
            if (reply.pieces > 0) {
                writeInPieces(socket, reply);
                continue;
            }
            if (reply.delayMs > 0) {
                QTimer::singleShot(reply.delayMs, socket, [socket, reply] {
                    socket->write(reply.bytes);
                    if (reply.close)
                        socket->disconnectFromHost();
                });
                continue;
            }
            socket->write(reply.bytes);
            if (reply.close) {
                socket->disconnectFromHost();
                pending_.remove(socket);
                return;
            }
        }
    }

    static void writeInPieces(QSslSocket* socket, const Reply& reply)
    {
        const qsizetype size = reply.bytes.size();
        for (int piece = 0; piece < reply.pieces; ++piece)
            QTimer::singleShot(piece * reply.paceMs, Qt::PreciseTimer, socket, [socket, reply, size, piece] {
                const qsizetype from = size * piece / reply.pieces;
                socket->write(reply.bytes.mid(from, size * (piece + 1) / reply.pieces - from));
                if (piece + 1 == reply.pieces && reply.close)
                    socket->disconnectFromHost();
            });
    }

    Handler handler_;
    QString certificatePath_;
    QString keyPath_;
    QString clientAuthorityPath_;
    QMap<QSslSocket*, QByteArray> pending_;
    // The connections still read at the pace, with their timer and the bytes read so far.
    struct Pace {
        QTimer* timer;
        qint64 taken;
    };
    QMap<QSslSocket*, Pace> paced_;
    QList<QPair<QPointer<QSslSocket>, Reply>> held_;
};

LoopbackServer::LoopbackServer(Handler handler, QString certificatePath, QString keyPath, QString clientAuthorityPath)
{
    worker_ = new Worker(std::move(handler), std::move(certificatePath), std::move(keyPath),
                         std::move(clientAuthorityPath));
    worker_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->listen(QHostAddress::LocalHost, 0); }, Qt::BlockingQueuedConnection);
    port_ = worker_->serverPort();
}

LoopbackServer::~LoopbackServer()
{
    QMetaObject::invokeMethod(
        worker_, [this] { delete worker_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

bool LoopbackServer::releaseHeld()
{
    bool released = false;
    QMetaObject::invokeMethod(
        worker_, [this, &released] { released = worker_->releaseHeld(); }, Qt::BlockingQueuedConnection);
    return released;
}

void LoopbackServer::setReadPace(qint64 bytes, int everyMs, qint64 slowBytes)
{
    QMetaObject::invokeMethod(
        worker_,
        [this, bytes, everyMs, slowBytes] {
            worker_->paceBytes = bytes;
            worker_->paceMs = everyMs;
            worker_->slowBytes = slowBytes;
        },
        Qt::BlockingQueuedConnection);
}

QUrl LoopbackServer::url(const QString& path, const QString& scheme) const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(port_).arg(path));
}

int LoopbackServer::acceptedConnections() const
{
    QMutexLocker lock(&worker_->mutex);
    return worker_->accepted;
}

QList<LoopbackServer::Request> LoopbackServer::requests() const
{
    QMutexLocker lock(&worker_->mutex);
    return worker_->requests;
}

LoopbackServer::Reply LoopbackServer::answer(
    const QByteArray& status, const QByteArray& body, const QByteArray& headers)
{
    Reply reply;
    reply.bytes = "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + headers
                  + "\r\n" + body;
    return reply;
}

PageServer::PageServer()
    : server_([this](const LoopbackServer::Request& request) {
          QMutexLocker lock(&mutex_);
          return pages_.value(targetOf(request), LoopbackServer::answer("404 Not Found", "no such page"));
      })
{
}

void PageServer::answer(const QByteArray& target, const QByteArray& status, const QByteArray& body)
{
    QMutexLocker lock(&mutex_);
    pages_.insert(target, LoopbackServer::answer(status, body));
}

QString PageServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.port());
}

QList<QByteArray> PageServer::targets() const
{
    QList<QByteArray> seen;
    for (const LoopbackServer::Request& request : server_.requests())
        seen.append(targetOf(request));
    return seen;
}

QByteArray PageServer::targetOf(const LoopbackServer::Request& request)
{
    return request.requestLine.split(' ').value(1);
}

bool runOpenssl(const QString& folder, const QStringList& arguments)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

LoopbackServer::Reply LoopbackServer::answerUntilClose(const QByteArray& body)
{
    return Reply {"HTTP/1.1 200 OK\r\n\r\n" + body, true};
}

ServerCertificate::ServerCertificate()
    : certificatePath(folder.filePath(QStringLiteral("certificate.pem")))
    , keyPath(folder.filePath(QStringLiteral("key.pem")))
{
    made = folder.isValid()
           && runOpenssl(folder.path(),
               { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                   QStringLiteral("-nodes"), QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"),
                   certificatePath, QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1") });
}

// --- Tunnels --------------------------------------------------------------------------------------

class LoopbackTunnelProxy::Worker : public QTcpServer
{
public:
    Worker(Route route, QByteArray requiredAuthorization)
        : route_(std::move(route)), requiredAuthorization_(std::move(requiredAuthorization))
    {
    }

    mutable QMutex mutex;
    QStringList destinations;
    int accepted = 0;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* client = new QTcpSocket(this);
        client->setSocketDescriptor(descriptor);
        {
            QMutexLocker lock(&mutex);
            ++accepted;
        }
        auto made = std::make_unique<Session>(Session {client, nullptr, Stage::Greeting, {}});
        Session& session = *made;
        sessions_.emplace(client, std::move(made));
        QObject::connect(client, &QTcpSocket::readyRead, this, [this, &session] { readClient(session); });
        QObject::connect(client, &QTcpSocket::disconnected, this, [this, client] {
            const auto found = sessions_.find(client);
            if (found == sessions_.end())
                return;
            // Nothing reaches the session once it is gone.
            client->disconnect(this);
            if (QTcpSocket* upstream = found->second->upstream) {
                upstream->disconnect(this);
                upstream->disconnectFromHost();
            }
            client->deleteLater();
            sessions_.erase(found);
        });
    }

private:
    enum class Stage { Greeting, SocksRequest, HttpRequest, Connecting, Relaying };
    struct Session {
        QTcpSocket* client;
        QTcpSocket* upstream = nullptr; // a child of the client
        Stage stage = Stage::Greeting;
        QByteArray pending;
    };

    static QByteArray socksReply(char reason)
    {
        return QByteArray("\x05", 1) + reason + QByteArray("\x00\x01\x7f\x00\x00\x01\x00\x00", 8);
    }

    void refuse(Session& session, const QByteArray& answer)
    {
        session.client->write(answer);
        session.client->disconnectFromHost();
    }

    void readClient(Session& session)
    {
        session.pending += session.client->readAll();
        if (session.stage == Stage::Greeting && !session.pending.isEmpty())
            session.stage = session.pending.startsWith('C') ? Stage::HttpRequest : readSocksGreeting(session);
        if (session.stage == Stage::SocksRequest)
            readSocksRequest(session);
        else if (session.stage == Stage::HttpRequest)
            readConnectRequest(session);
        if (session.stage == Stage::Relaying) {
            session.upstream->write(session.pending);
            session.pending.clear();
        }
    }

    Stage readSocksGreeting(Session& session)
    {
        if (session.pending.size() < 2 || session.pending.size() < 2 + quint8(session.pending[1]))
            return Stage::Greeting;
        const QByteArray methods = session.pending.mid(2, quint8(session.pending[1]));
        const bool acceptable = session.pending[0] == 5 && methods.contains('\x00');
        session.pending.remove(0, 2 + methods.size());
        if (!acceptable) {
            refuse(session, QByteArray("\x05\xff", 2));
            return Stage::Greeting;
        }
        session.client->write(QByteArray("\x05\x00", 2));
        return Stage::SocksRequest;
    }

    void readSocksRequest(Session& session)
    {
        const QByteArray& bytes = session.pending;
        if (bytes.size() < 5)
            return;
        QString host;
        qsizetype at = 4;
        switch (bytes[3]) {
        case 1:
            if (bytes.size() < at + 6)
                return;
            host = QStringLiteral("%1.%2.%3.%4")
                       .arg(quint8(bytes[4])).arg(quint8(bytes[5])).arg(quint8(bytes[6])).arg(quint8(bytes[7]));
            at += 4;
            break;
        case 3:
            if (bytes.size() < at + 1 + quint8(bytes[4]) + 2)
                return;
            host = QString::fromLatin1(bytes.mid(5, quint8(bytes[4])));
            at += 1 + quint8(bytes[4]);
            break;
        default:
            refuse(session, socksReply(8));
            return;
        }
        const quint16 port = quint16(quint8(bytes[at]) << 8 | quint8(bytes[at + 1]));
        const bool connect = bytes[0] == 5 && bytes[1] == 1;
        session.pending.remove(0, at + 2);
        const quint16 routed = connect ? routeFor(host, port) : 0;
        if (routed == 0)
            refuse(session, socksReply(connect ? 4 : 7));
        else
            openTunnel(session, routed, socksReply(0));
    }

    void readConnectRequest(Session& session)
    {
        const qsizetype end = session.pending.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = session.pending.left(end).split('\n');
        session.pending.remove(0, end + 4);
        const QByteArray target = lines.value(0).split(' ').value(1);
        const qsizetype colon = target.lastIndexOf(':');
        QByteArray authorization;
        for (const QByteArray& line : lines)
            if (line.toLower().startsWith("proxy-authorization:"))
                authorization = line.mid(20).trimmed();
        if (!requiredAuthorization_.isEmpty() && authorization != requiredAuthorization_) {
            session.client->write("HTTP/1.1 407 Proxy Authentication Required\r\n"
                                  "Proxy-Authenticate: Basic realm=\"Films\"\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        const quint16 routed = routeFor(QString::fromLatin1(target.left(colon)), target.mid(colon + 1).toUShort());
        if (routed == 0)
            refuse(session, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        else
            openTunnel(session, routed, "HTTP/1.1 200 Connection established\r\n\r\n");
    }

    quint16 routeFor(const QString& host, quint16 port)
    {
        QMutexLocker lock(&mutex);
        destinations.append(host + QLatin1Char(':') + QString::number(port));
        return route_(host, port);
    }

    void openTunnel(Session& session, quint16 port, const QByteArray& established)
    {
        session.stage = Stage::Connecting;
        session.upstream = new QTcpSocket(session.client);
        QTcpSocket* upstream = session.upstream;
        QObject::connect(upstream, &QTcpSocket::connected, this, [&session, established] {
            session.stage = Stage::Relaying;
            session.client->write(established);
            session.upstream->write(session.pending);
            session.pending.clear();
        });
        QObject::connect(upstream, &QTcpSocket::readyRead, this,
                         [&session] { session.client->write(session.upstream->readAll()); });
        QObject::connect(upstream, &QTcpSocket::disconnected, this,
                         [&session] { session.client->disconnectFromHost(); });
        upstream->connectToHost(QHostAddress::LocalHost, port);
    }

    Route route_;
    QByteArray requiredAuthorization_;
    std::map<QTcpSocket*, std::unique_ptr<Session>> sessions_;
};

LoopbackTunnelProxy::LoopbackTunnelProxy(Route route, QByteArray requiredAuthorization)
{
    worker_ = new Worker(std::move(route), std::move(requiredAuthorization));
    worker_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->listen(QHostAddress::LocalHost, 0); }, Qt::BlockingQueuedConnection);
    port_ = worker_->serverPort();
}

LoopbackTunnelProxy::~LoopbackTunnelProxy()
{
    QMetaObject::invokeMethod(
        worker_, [this] { delete worker_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

QStringList LoopbackTunnelProxy::destinations() const
{
    QMutexLocker lock(&worker_->mutex);
    return worker_->destinations;
}

int LoopbackTunnelProxy::acceptedConnections() const
{
    QMutexLocker lock(&worker_->mutex);
    return worker_->accepted;
}
