#include "platform/QtPlatform.h"
#include "support/TimeLimit.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A tiny HTTP server on 127.0.0.1, run by the test's own event loop (the fetch under test
// spins that loop while it waits). Each path answers with a scripted response; a path without
// one is read and never answered.
class LocalHttpServer
{
public:
    LocalHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { acceptPending(); });
    }

    bool isListening() const { return server_.isListening(); }
    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

    void answer(const QString& path, const QByteArray& statusLine, const QByteArray& body,
                const QByteArray& extraHeaders = {})
    {
        responses_.insert(path, "HTTP/1.1 " + statusLine + "\r\nContent-Type: text/plain\r\nContent-Length: "
                                    + QByteArray::number(body.size()) + "\r\nConnection: close\r\n"
                                    + extraHeaders + "\r\n" + body);
    }

    QStringList requestedPaths;
    // The connections left unanswered, to see when the client gives them up.
    QList<QPointer<QTcpSocket>> silent;

private:
    void acceptPending()
    {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void read(QTcpSocket* socket)
    {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
        const QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
        pending_.remove(socket);
        requestedPaths.append(path);
        const auto response = responses_.constFind(path);
        if (response == responses_.cend()) {
            silent.append(socket);
            return;
        }
        socket->write(*response);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QMap<QString, QByteArray> responses_;
    QMap<QTcpSocket*, QByteArray> pending_;
};

} // namespace

TEST(QtPageFetcherTest, ASuccessfulPageAnswersItsBytes)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.answer(QStringLiteral("/version.txt"), "200 OK", QByteArrayLiteral("3.2.1\n"));
    server.answer(QStringLiteral("/empty"), "204 No Content", QByteArray());

    QtPageFetcher fetcher;
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/version.txt")), 5s), QByteArrayLiteral("3.2.1\n"));
    // A success without a body is an empty page, not a failure.
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/empty")), 5s), QByteArray());
    EXPECT_EQ(server.requestedPaths, (QStringList{QStringLiteral("/version.txt"), QStringLiteral("/empty")}));
}

TEST(QtPageFetcherTest, ErrorStatusesAnswerNothing)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.answer(QStringLiteral("/gone"), "404 Not Found", QByteArrayLiteral("no such page"));
    server.answer(QStringLiteral("/broken"), "500 Internal Server Error", QByteArrayLiteral("oops"));
    server.answer(QStringLiteral("/choices"), "300 Multiple Choices", QByteArrayLiteral("pick one"));

    QtPageFetcher fetcher;
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/gone")), 5s), std::nullopt);
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/broken")), 5s), std::nullopt);
    // A redirect status that leads nowhere is not the page.
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/choices")), 5s), std::nullopt);
}

TEST(QtPageFetcherTest, RedirectsAreFollowed)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.answer(QStringLiteral("/old"), "302 Found", QByteArray(), "Location: /moved\r\n");
    server.answer(QStringLiteral("/moved"), "301 Moved Permanently", QByteArray(),
                  "Location: " + server.url(QStringLiteral("/page")).toEncoded() + "\r\n");
    server.answer(QStringLiteral("/page"), "200 OK", QByteArrayLiteral("the page"));

    QtPageFetcher fetcher;
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/old")), 5s), QByteArrayLiteral("the page"));
    // The client may send a request again on a fresh connection when the server hangs up.
    server.requestedPaths.removeDuplicates();
    EXPECT_EQ(server.requestedPaths,
              (QStringList{QStringLiteral("/old"), QStringLiteral("/moved"), QStringLiteral("/page")}));
}

TEST(QtPageFetcherTest, ASilentServerTimesOutAndTheRequestIsGivenUp)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());

    QtPageFetcher fetcher;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(fetcher.fetch(server.url(QStringLiteral("/silent")), 300ms), std::nullopt);
    EXPECT_GE(elapsed.elapsed(), 250);
    EXPECT_LT(elapsed.elapsed(), TestTime::limitMs(3000));

    ASSERT_EQ(server.silent.size(), 1);
    // The client closed its connection when it gave up: the server sees it go.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return server.silent.constFirst().isNull()
            || server.silent.constFirst()->state() == QAbstractSocket::UnconnectedState;
    }, 3000));
}

TEST(QtPageFetcherTest, NoServerOrNoHttpAnswersNothing)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    QtPageFetcher fetcher;
    EXPECT_EQ(fetcher.fetch(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort)), 5s), std::nullopt);

    // A local file is not a page.
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("page.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("local");
    file.close();
    EXPECT_EQ(fetcher.fetch(QUrl::fromLocalFile(file.fileName()), 5s), std::nullopt);
    EXPECT_EQ(fetcher.fetch(QUrl(), 5s), std::nullopt);
}
