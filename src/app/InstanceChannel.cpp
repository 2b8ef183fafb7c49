#include "InstanceChannel.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QUrl>

namespace {

Q_LOGGING_CATEGORY(lcInstance, "vantora.instance")

const QString kSocketName = QStringLiteral("Vantora.socket");
constexpr int kProbeMs = 500;
// A request longer than this is not a list of paths; the connection is dropped.
constexpr qint64 kLongestRequest = 1 << 20;

} // namespace

QString InstanceChannel::socketPathIn(const QString& folder)
{
    return QDir(folder).filePath(kSocketName);
}

QString InstanceChannel::defaultSocketPath()
{
    return socketPathIn(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
}

InstanceChannel::HandOver InstanceChannel::handOver(const QString& socketPath, const QStringList& paths,
                                                    int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kProbeMs))
        return HandOver::NoProgram;
    QByteArray request;
    for (const QString& path : paths)
        request += QUrl::fromLocalFile(path).toEncoded() + '\n';
    request += '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return HandOver::NoAnswer;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(timeoutMs))
        answer += socket.readAll();
    return answer.startsWith("OK\n") ? HandOver::Delivered : HandOver::NoAnswer;
}

InstanceChannel::InstanceChannel(QString socketPath, QObject* parent)
    : QObject(parent)
    , socketPath_(std::move(socketPath))
{
}

InstanceChannel::~InstanceChannel()
{
    if (server_)
        server_->close(); // removes the socket file
}

bool InstanceChannel::listen()
{
    // Listening would quietly take the socket over, so a program that still answers on it
    // is asked first.
    QLocalSocket probe;
    probe.connectToServer(socketPath_);
    if (probe.waitForConnected(kProbeMs)) {
        qCWarning(lcInstance) << "another program already listens on" << socketPath_;
        return false;
    }
    // Whatever is left there belongs to a program that did not end cleanly.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    connect(server_.get(), &QLocalServer::newConnection, this, &InstanceChannel::accept);
    if (server_->listen(socketPath_))
        return true;
    qCWarning(lcInstance) << "cannot listen on" << socketPath_ << server_->errorString();
    server_.reset();
    return false;
}

void InstanceChannel::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        read(socket);
    }
}

void InstanceChannel::read(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > kLongestRequest) {
        socket->abort();
        return;
    }
    // Nothing is taken until the empty line that ends the request has arrived.
    const QByteArray request = socket->peek(socket->bytesAvailable());
    const qsizetype end = request.startsWith('\n') ? 0 : request.indexOf("\n\n");
    if (end < 0)
        return;
    socket->skip(end + (request.startsWith('\n') ? 1 : 2));
    QStringList paths;
    for (const QByteArray& line : request.left(end).split('\n')) {
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    socket->write("OK\n");
    socket->flush();
    socket->disconnectFromServer();
    // Opening the stories may show alerts with loops of their own: not while the socket
    // is delivering its signal.
    QMetaObject::invokeMethod(
        this, [this, paths] { emit pathsReceived(paths); }, Qt::QueuedConnection);
}

QStringList storyPathsFromArguments(const QStringList& arguments, const QString& workingFolder)
{
    QStringList paths;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.isEmpty() || (!optionsEnded && argument.startsWith(QLatin1Char('-'))))
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:")) || argument.contains(QLatin1String("://"))) {
            const QUrl url(argument);
            if (!url.isLocalFile())
                continue;
            path = url.toLocalFile();
        }
        paths << QDir::cleanPath(QFileInfo(QDir(workingFolder), path).absoluteFilePath());
    }
    return paths;
}
