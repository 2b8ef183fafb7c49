#include "web/http/HttpReadStream.h"

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTimer>

namespace {

constexpr qint64 kWriteChunk = 65536;
constexpr qint64 kWriteAhead = 262144;
constexpr qint64 kReadChunk = 65536;
// The socket property that holds the key of the target it was connected for.
constexpr char kConnectionKeyProperty[] = "vantoraConnectionKey";

} // namespace

QString HttpReadStream::Target::connectionKey() const
{
    QStringList parts {host, QString::number(port), secure ? QStringLiteral("tls") : QStringLiteral("plain"),
                       validatesCertificates ? QStringLiteral("checked") : QStringLiteral("unchecked"),
                       QString::number(int(tunnel)), proxyHost, QString::number(proxyPort), proxyUser};
    for (const QSslCertificate& certificate : clientCertificateChain)
        parts.append(QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex()));
    return parts.join(QLatin1Char('|'));
}

HttpReadStream::HttpReadStream(QByteArray head, std::unique_ptr<QIODevice> body, bool headRequest, Target target)
    : head_(std::move(head))
    , body_device_(std::move(body))
    , target_(std::move(target))
    , parser_(headRequest)
{
}

HttpReadStream::~HttpReadStream()
{
    close();
}

bool HttpReadStream::open(std::unique_ptr<QAbstractSocket> connection)
{
    if (body_device_ && !body_device_->isOpen() && !body_device_->open(QIODevice::ReadOnly))
        return false;
    const QString key = target_.connectionKey();
    if (connection && connection->state() == QAbstractSocket::ConnectedState && connection->thread() == thread()
        && connection->property(kConnectionKeyProperty).toString() == key) {
        socket_ = std::move(connection);
        socket_->disconnect();
        reused_ = true;
        connectSignals();
        // Bytes left from the last answer belong to no request.
        socket_->readAll();
        QTimer::singleShot(0, this, [this] { startWriting(); });
        return true;
    }
    if (connection) {
        // Made for another target, or living on another thread: it is let go of there.
        connection->disconnect();
        connection.release()->deleteLater();
    }
    std::unique_ptr<QSslSocket> secure;
    if (target_.secure) {
        secure = std::make_unique<QSslSocket>();
        secure->setPeerVerifyMode(target_.validatesCertificates ? QSslSocket::VerifyPeer : QSslSocket::VerifyNone);
        if (!target_.clientCertificateChain.isEmpty()) {
            secure->setLocalCertificateChain(target_.clientCertificateChain);
            secure->setPrivateKey(target_.clientKey);
        }
        socket_ = std::move(secure);
    } else {
        socket_ = std::make_unique<QTcpSocket>();
    }
    switch (target_.tunnel) {
    case Target::Tunnel::None:
        socket_->setProxy(QNetworkProxy::NoProxy);
        break;
    case Target::Tunnel::Http:
        socket_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, target_.proxyHost, target_.proxyPort,
                                        target_.proxyUser, target_.proxyPassword));
        break;
    case Target::Tunnel::Socks:
        socket_->setProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, target_.proxyHost, target_.proxyPort));
        break;
    }
    socket_->setReadBufferSize(kBodyBufferLimit);
    socket_->setProperty(kConnectionKeyProperty, key);
    connectSignals();
    if (auto* ssl = qobject_cast<QSslSocket*>(socket_.get())) {
        connect(ssl, &QSslSocket::encrypted, this, &HttpReadStream::startWriting);
        connect(ssl, &QSslSocket::sslErrors, this, &HttpReadStream::sslErrors);
        // A server that refuses the client's certificate (or none) says so in a fatal alert,
        // which may come after the client's side of the handshake is done.
        connect(ssl, &QSslSocket::alertReceived, this,
                [this](QSsl::AlertLevel level, QSsl::AlertType, const QString& description) {
                    if (level == QSsl::AlertLevel::Fatal)
                        failWith(ErrorKind::Secure, description);
                });
        ssl->connectToHostEncrypted(target_.host, target_.port);
    } else {
        connect(socket_.get(), &QAbstractSocket::connected, this, &HttpReadStream::startWriting);
        socket_->connectToHost(target_.host, target_.port);
    }
    return true;
}

void HttpReadStream::connectSignals()
{
    connect(socket_.get(), &QAbstractSocket::readyRead, this, &HttpReadStream::readFromConnection);
    connect(socket_.get(), &QAbstractSocket::bytesWritten, this, [this](qint64 bytes) {
        written_ += bytes;
        writeMore();
    });
    connect(socket_.get(), &QAbstractSocket::disconnected, this, &HttpReadStream::connectionEnded);
    connect(socket_.get(), &QAbstractSocket::errorOccurred, this, &HttpReadStream::socketError);
}

void HttpReadStream::close()
{
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_.reset();
    }
    if (body_device_ && body_device_->isOpen())
        body_device_->close();
    finished_ = true;
}

std::unique_ptr<QAbstractSocket> HttpReadStream::takeConnection()
{
    if (!canReuseConnection())
        return nullptr;
    socket_->disconnect(this);
    return std::move(socket_);
}

bool HttpReadStream::canReuseConnection() const
{
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState && parser_.bodyComplete()
           && !parser_.closeDelimited() && errorKind_ == ErrorKind::None;
}

void HttpReadStream::schedule()
{
    scheduled_ = true;
    // An end that came while unscheduled is settled here, once what arrived before it is read.
    readFromConnection();
    // What arrived while unscheduled, and what the client had not read yet, is reported now.
    if (errorPending_)
        post(Event::ErrorOccurred);
    else if (bytesPending_ || endPending_ || !body_.isEmpty() || atEnd())
        post(Event::HasBytesAvailable);
}

void HttpReadStream::unschedule()
{
    scheduled_ = false;
}

qint64 HttpReadStream::read(char* data, qint64 maxSize)
{
    const qint64 size = std::min<qint64>(maxSize, body_.size());
    memcpy(data, body_.constData(), size_t(size));
    body_.remove(0, size);
    // Room in the buffer again: what the connection holds can come in.
    if (socket_ && socket_->bytesAvailable() > 0)
        QTimer::singleShot(0, this, [this] { readFromConnection(); });
    if (atEnd())
        post(Event::EndEncountered);
    return size;
}

quint64 HttpReadStream::bodyBytesWritten() const
{
    return quint64(std::max<qint64>(0, written_ - head_.size()));
}

void HttpReadStream::startWriting()
{
    if (headWritten_ || !socket_)
        return;
    headWritten_ = true;
    socket_->write(head_);
    writeMore();
}

void HttpReadStream::writeMore()
{
    if (!socket_ || !body_device_ || !headWritten_)
        return;
    char chunk[kWriteChunk];
    while (socket_->bytesToWrite() < kWriteAhead) {
        const qint64 read = body_device_->read(chunk, kWriteChunk);
        if (read <= 0)
            break;
        socket_->write(chunk, read);
    }
}

void HttpReadStream::readFromConnection()
{
    if (!socket_ || !scheduled_ || finished_)
        return;
    bool progressed = false;
    char chunk[kReadChunk];
    while (body_.size() < kBodyBufferLimit && socket_->bytesAvailable() > 0 && !parser_.bodyComplete()) {
        const qint64 read = socket_->read(chunk, kReadChunk);
        if (read <= 0)
            break;
        answerStarted_ = true;
        const bool hadHead = parser_.headComplete();
        if (!parser_.feed(chunk, read, body_)) {
            failWith(ErrorKind::Other, parser_.error());
            return;
        }
        progressed = progressed || read > 0 || hadHead != parser_.headComplete();
    }
    if (progressed && (parser_.headComplete() || !body_.isEmpty()))
        post(Event::HasBytesAvailable);
    if (atEnd())
        post(Event::EndEncountered);
    if (connectionClosed_)
        settleClosedConnection();
}

void HttpReadStream::connectionEnded()
{
    if (finished_ || errorKind_ != ErrorKind::None)
        return;
    connectionClosed_ = true;
    // What the connection delivered before it ended is read first, once the stream is scheduled.
    readFromConnection();
}

void HttpReadStream::settleClosedConnection()
{
    if (finished_ || errorKind_ != ErrorKind::None || parser_.bodyComplete())
        return;
    // Bytes the full buffer held back are still to come in; the end is settled after them, as
    // the client takes what the buffer holds.
    if (socket_ && socket_->bytesAvailable() > 0)
        return;
    if (parser_.finishAtEnd()) {
        post(Event::HasBytesAvailable);
        if (atEnd())
            post(Event::EndEncountered);
        return;
    }
    // A kept connection the server closed before answering: the request may try a fresh one.
    failWith(reused_ && !answerStarted_ ? ErrorKind::BrokenConnection : ErrorKind::Other,
             parser_.error().isEmpty() ? QStringLiteral("The connection was closed") : parser_.error());
}

void HttpReadStream::socketError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError) {
        connectionEnded();
        return;
    }
    if (error == QAbstractSocket::ProxyAuthenticationRequiredError) {
        failWith(ErrorKind::ProxyAuthentication, socket_ ? socket_->errorString() : QString());
        return;
    }
    const bool secureFailure = error == QAbstractSocket::SslHandshakeFailedError
                               || error == QAbstractSocket::SslInternalError
                               || error == QAbstractSocket::SslInvalidUserDataError;
    ErrorKind kind = secureFailure ? ErrorKind::Secure : ErrorKind::Other;
    if (reused_ && !answerStarted_ && !secureFailure)
        kind = ErrorKind::BrokenConnection;
    failWith(kind, socket_ ? socket_->errorString() : QString());
}

void HttpReadStream::sslErrors(const QList<QSslError>& errors)
{
    auto* ssl = qobject_cast<QSslSocket*>(socket_.get());
    if (!ssl)
        return;
    if (!target_.validatesCertificates) {
        ssl->ignoreSslErrors(errors);
        return;
    }
    failWith(ErrorKind::Secure, errors.isEmpty() ? QString() : errors.first().errorString());
}

void HttpReadStream::failWith(ErrorKind kind, const QString& message)
{
    if (errorKind_ != ErrorKind::None || finished_)
        return;
    errorKind_ = kind;
    errorString_ = message;
    post(Event::ErrorOccurred);
}

void HttpReadStream::post(Event event)
{
    switch (event) {
    case Event::HasBytesAvailable:
        bytesPending_ = true;
        break;
    case Event::EndEncountered:
        endPending_ = true;
        break;
    case Event::ErrorOccurred:
        errorPending_ = true;
        break;
    }
    if (deliveryQueued_ || !scheduled_)
        return;
    deliveryQueued_ = true;
    QMetaObject::invokeMethod(this, &HttpReadStream::deliver, Qt::QueuedConnection);
}

void HttpReadStream::deliver()
{
    deliveryQueued_ = false;
    if (!scheduled_ || !client_ || finished_)
        return;
    // One event per turn, an error first; the client reads, and the next turn sees what is left.
    Event event;
    if (errorPending_) {
        errorPending_ = false;
        event = Event::ErrorOccurred;
    } else if (!body_.isEmpty() || (bytesPending_ && !parser_.bodyComplete())) {
        bytesPending_ = false;
        event = Event::HasBytesAvailable;
    } else if (atEnd()) {
        bytesPending_ = false;
        endPending_ = false;
        finished_ = true;
        event = Event::EndEncountered;
    } else {
        bytesPending_ = false;
        return;
    }
    const qsizetype before = body_.size();
    auto client = client_;
    client(event);
    // Go on while the client takes bytes; a client that stopped reading is not pressed.
    const bool consumed = body_.size() < before;
    if (!finished_ && scheduled_ && !deliveryQueued_
        && (errorPending_ || (consumed && !body_.isEmpty()) || (consumed && atEnd()))) {
        deliveryQueued_ = true;
        QMetaObject::invokeMethod(this, &HttpReadStream::deliver, Qt::QueuedConnection);
    }
}
