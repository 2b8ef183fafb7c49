// Downloading 100 MB from a server on 127.0.0.1 into a file: through the layer's own request,
// and, as the floor for the same work in the same run, with the curl command. Both are timed by
// the wall clock around each download: curl works in a process of its own, whose time the
// benchmark's thread never sees.
#include "web/http/HTTPRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr qint64 kBodySize = 100 * 1024 * 1024;
constexpr qint64 kChunk = 256 * 1024;

// Serves a body of kBodySize bytes to every GET, writing as fast as the connection takes it.
class BodyServer : public QTcpServer
{
protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        auto* sent = new qint64(-1);
        connect(socket, &QTcpSocket::readyRead, socket, [socket, sent] {
            const QByteArray request = socket->readAll();
            if (*sent >= 0 || !request.contains("\r\n\r\n"))
                return;
            *sent = 0;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                          + QByteArray::number(kBodySize) + "\r\nConnection: close\r\n\r\n");
            feed(socket, sent);
        });
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, sent] { feed(socket, sent); });
        connect(socket, &QTcpSocket::disconnected, socket, [socket, sent] {
            delete sent;
            socket->deleteLater();
        });
    }

private:
    static void feed(QTcpSocket* socket, qint64* sent)
    {
        static const QByteArray chunk(kChunk, 'v');
        while (*sent >= 0 && *sent < kBodySize && socket->bytesToWrite() < 4 * kChunk) {
            const qint64 size = std::min(kChunk, kBodySize - *sent);
            socket->write(chunk.constData(), size);
            *sent += size;
        }
        if (*sent == kBodySize && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    }
};

struct Setup {
    QThread thread;
    BodyServer* server = nullptr;
    QTemporaryDir folder;
    QString url;
};

Setup* setup = nullptr;

void checkSize(benchmark::State& state, const QString& path)
{
    if (QFile(path).size() != kBodySize)
        state.SkipWithError("the downloaded file has the wrong size");
}

void BM_HTTPRequestDownloadToFile(benchmark::State& state)
{
    const QString path = setup->folder.filePath(QStringLiteral("request.bin"));
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        auto request = HTTPRequest::requestWithURL(QUrl(setup->url));
        request->setDownloadDestinationPath(path);
        request->setTimeOutSeconds(60);
        request->startSynchronous();
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        if (request->error()) {
            state.SkipWithError(request->error()->description.toStdString().c_str());
            return;
        }
    }
    checkSize(state, path);
    state.SetBytesProcessed(state.iterations() * kBodySize);
}
BENCHMARK(BM_HTTPRequestDownloadToFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_HTTPRequestDownloadToFile_Floor(benchmark::State& state)
{
    const QString path = setup->folder.filePath(QStringLiteral("curl.bin"));
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        QProcess curl;
        curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), path, setup->url});
        const bool done = curl.waitForFinished(120000) && curl.exitCode() == 0;
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        if (!done) {
            state.SkipWithError("curl failed");
            return;
        }
    }
    checkSize(state, path);
    state.SetBytesProcessed(state.iterations() * kBodySize);
}
BENCHMARK(BM_HTTPRequestDownloadToFile_Floor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Setup bench;
    setup = &bench;
    bench.server = new BodyServer;
    bench.server->moveToThread(&bench.thread);
    bench.thread.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        bench.server,
        [&] {
            bench.server->listen(QHostAddress::LocalHost, 0);
            port = bench.server->serverPort();
        },
        Qt::BlockingQueuedConnection);
    if (port == 0) {
        std::fprintf(stderr, "the loopback server did not start\n");
        return 1;
    }
    bench.url = QStringLiteral("http://127.0.0.1:%1/body").arg(port);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QMetaObject::invokeMethod(bench.server, [&] { delete bench.server; }, Qt::BlockingQueuedConnection);
    bench.thread.quit();
    bench.thread.wait();
    return 0;
}
