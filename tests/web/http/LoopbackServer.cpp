#include "LoopbackServer.h"

#include <QFile>
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
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, number] { read(socket, number); });
        QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
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
        pending += socket->readAll();
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

    Handler handler_;
    QString certificatePath_;
    QString keyPath_;
    QString clientAuthorityPath_;
    QMap<QSslSocket*, QByteArray> pending_;
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

// --- SOCKS5 --------------------------------------------------------------------------------------

class LoopbackSocksProxy::Worker : public QTcpServer
{
public:
    explicit Worker(Route route) : route_(std::move(route)) {}

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
    enum class Stage { Greeting, Request, Connecting, Relaying };
    struct Session {
        QTcpSocket* client;
        QTcpSocket* upstream = nullptr; // a child of the client
        Stage stage = Stage::Greeting;
        QByteArray pending;
    };

    static void refuse(Session& session, char reason)
    {
        session.client->write(QByteArray("\x05", 1) + reason + QByteArray("\x00\x01\x00\x00\x00\x00\x00\x00", 8));
        session.client->disconnectFromHost();
    }

    void readClient(Session& session)
    {
        session.pending += session.client->readAll();
        if (session.stage == Stage::Greeting) {
            if (session.pending.size() < 2 || session.pending.size() < 2 + quint8(session.pending[1]))
                return;
            const QByteArray methods = session.pending.mid(2, quint8(session.pending[1]));
            const bool acceptable = session.pending[0] == 5 && methods.contains('\x00');
            session.pending.remove(0, 2 + methods.size());
            session.client->write(acceptable ? QByteArray("\x05\x00", 2) : QByteArray("\x05\xff", 2));
            if (!acceptable) {
                session.client->disconnectFromHost();
                return;
            }
            session.stage = Stage::Request;
        }
        if (session.stage == Stage::Request) {
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
                refuse(session, 8);
                return;
            }
            const quint16 port = quint16(quint8(bytes[at]) << 8 | quint8(bytes[at + 1]));
            const bool connect = bytes[0] == 5 && bytes[1] == 1;
            session.pending.remove(0, at + 2);
            {
                QMutexLocker lock(&mutex);
                destinations.append(host + QLatin1Char(':') + QString::number(port));
            }
            const quint16 routed = connect ? route_(host, port) : 0;
            if (routed == 0) {
                refuse(session, connect ? 4 : 7);
                return;
            }
            session.stage = Stage::Connecting;
            session.upstream = new QTcpSocket(session.client);
            QTcpSocket* upstream = session.upstream;
            QObject::connect(upstream, &QTcpSocket::connected, this, [&session] {
                session.stage = Stage::Relaying;
                session.client->write(QByteArray("\x05\x00\x00\x01\x7f\x00\x00\x01\x00\x00", 10));
                session.upstream->write(session.pending);
                session.pending.clear();
            });
            QObject::connect(upstream, &QTcpSocket::readyRead, this,
                             [&session] { session.client->write(session.upstream->readAll()); });
            QObject::connect(upstream, &QTcpSocket::disconnected, this,
                             [&session] { session.client->disconnectFromHost(); });
            upstream->connectToHost(QHostAddress::LocalHost, routed);
            return;
        }
        if (session.stage == Stage::Relaying) {
            session.upstream->write(session.pending);
            session.pending.clear();
        }
    }

    Route route_;
    std::map<QTcpSocket*, std::unique_ptr<Session>> sessions_;
};

LoopbackSocksProxy::LoopbackSocksProxy(Route route)
{
    worker_ = new Worker(std::move(route));
    worker_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->listen(QHostAddress::LocalHost, 0); }, Qt::BlockingQueuedConnection);
    port_ = worker_->serverPort();
}

LoopbackSocksProxy::~LoopbackSocksProxy()
{
    QMetaObject::invokeMethod(
        worker_, [this] { delete worker_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

QStringList LoopbackSocksProxy::destinations() const
{
    QMutexLocker lock(&worker_->mutex);
    return worker_->destinations;
}

int LoopbackSocksProxy::acceptedConnections() const
{
    QMutexLocker lock(&worker_->mutex);
    return worker_->accepted;
}
