#include "LoopbackServer.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>

class LoopbackServer::Worker : public QTcpServer
{
public:
    Worker(Handler handler, QString certificatePath, QString keyPath)
        : handler_(std::move(handler)), certificatePath_(std::move(certificatePath)), keyPath_(std::move(keyPath))
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
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (!certificatePath_.isEmpty()) {
            QFile certificate(certificatePath_);
            QFile key(keyPath_);
            certificate.open(QIODevice::ReadOnly);
            key.open(QIODevice::ReadOnly);
            socket->setLocalCertificate(QSslCertificate(certificate.readAll()));
            socket->setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
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
    QMap<QSslSocket*, QByteArray> pending_;
};

LoopbackServer::LoopbackServer(Handler handler, QString certificatePath, QString keyPath)
{
    worker_ = new Worker(std::move(handler), std::move(certificatePath), std::move(keyPath));
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

bool makeSelfSignedCertificate(const QString& folder, QString* certificatePath, QString* keyPath)
{
    *certificatePath = folder + QStringLiteral("/certificate.pem");
    *keyPath = folder + QStringLiteral("/key.pem");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
            QStringLiteral("-nodes"), QStringLiteral("-keyout"), *keyPath, QStringLiteral("-out"), *certificatePath,
            QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
            QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1") });
    return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
}
