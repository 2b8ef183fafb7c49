#pragma once

#include "web/http/HttpResponseParser.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QIODevice>
#include <QObject>
#include <QSslCertificate>
#include <QSslError>
#include <QSslKey>

#include <functional>
#include <memory>

// One exchange on one connection: it writes a request head and its body (read from a device as
// the connection takes it, so a large body is never held whole), reads the answer and hands
// out the decoded body. It reports three events to its client, always from its own thread's
// event loop: bytes available (the head or body bytes arrived), an error, and the end of the
// answer. While unscheduled it reads nothing and reports nothing; the events wait until it is
// scheduled again. A stream lives on the thread that made it and must be let go of there
// (deleteLater).
class HttpReadStream : public QObject
{
    Q_OBJECT

public:
    enum class Event { HasBytesAvailable, ErrorOccurred, EndEncountered };
    // ProxyAuthentication: the HTTP proxy of a tunnel wanted credentials it was not given.
    enum class ErrorKind { None, BrokenConnection, Secure, ProxyAuthentication, Other };

    struct Target {
        QString host;
        quint16 port = 80;
        bool secure = false;
        bool validatesCertificates = true;
        // A SOCKS proxy, or an HTTP proxy tunnelling a secure connection; empty for none.
        enum class Tunnel { None, Http, Socks } tunnel = Tunnel::None;
        QString proxyHost;
        quint16 proxyPort = 0;
        // Offered to the HTTP proxy of a tunnel when it asks.
        QString proxyUser;
        QString proxyPassword;
        // What a secure connection presents when the server asks who the client is: the
        // client's own certificate first, then the ones that link it to an authority.
        QList<QSslCertificate> clientCertificateChain;
        QSslKey clientKey;

        // Names everything that shapes a connection: only one made for the same key may carry
        // another exchange, so that no request borrows a connection checked less strictly, or
        // presented as someone else, than it asks for.
        QString connectionKey() const;
    };

    // The decoded body waiting to be read is bounded: past this, the connection is not read
    // until the client takes some, which holds the server back.
    static constexpr qsizetype kBodyBufferLimit = 1 << 20;

    HttpReadStream(QByteArray head, std::unique_ptr<QIODevice> body, bool headRequest, Target target);
    ~HttpReadStream() override;

    void setClient(std::function<void(Event)> client) { client_ = std::move(client); }
    // Starts the exchange, on the given open connection when it was made for the same target;
    // otherwise that connection is closed and a new one made.
    bool open(std::unique_ptr<QAbstractSocket> connection = nullptr);
    void close();
    // The open connection, once the answer has been read whole and leaves it usable.
    std::unique_ptr<QAbstractSocket> takeConnection();
    bool canReuseConnection() const;
    bool usesReusedConnection() const { return reused_; }

    void schedule();
    void unschedule();
    bool isScheduled() const { return scheduled_; }

    bool hasBytesAvailable() const { return !body_.isEmpty(); }
    qint64 read(char* data, qint64 maxSize);
    const std::optional<HttpResponseHead>& responseHead() const { return parser_.head(); }
    // Body bytes the connection has taken from the request so far.
    quint64 bodyBytesWritten() const;
    bool atEnd() const { return parser_.bodyComplete() && body_.isEmpty(); }

    ErrorKind errorKind() const { return errorKind_; }
    const QString& errorString() const { return errorString_; }

private:
    void connectSignals();
    void startWriting();
    void writeMore();
    void readFromConnection();
    void connectionEnded();
    // The connection is closed: the answer ends here, whole or cut short.
    void settleClosedConnection();
    void socketError(QAbstractSocket::SocketError error);
    void sslErrors(const QList<QSslError>& errors);
    void failWith(ErrorKind kind, const QString& message);
    void post(Event event);
    void deliver();

    QByteArray head_;
    std::unique_ptr<QIODevice> body_device_;
    Target target_;
    std::unique_ptr<QAbstractSocket> socket_;
    HttpResponseParser parser_;
    QByteArray body_;
    std::function<void(Event)> client_;
    bool reused_ = false;
    bool scheduled_ = false;
    bool headWritten_ = false;
    bool answerStarted_ = false;
    bool bytesPending_ = false;
    bool endPending_ = false;
    bool errorPending_ = false;
    bool deliveryQueued_ = false;
    bool finished_ = false;
    // The server closed the connection; what it sent before may still wait to be read.
    bool connectionClosed_ = false;
    qint64 written_ = 0;
    ErrorKind errorKind_ = ErrorKind::None;
    QString errorString_;
};
