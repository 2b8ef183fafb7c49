#include "platform/FakePlatform.h"
#include "platform/QtPlatform.h"
#include "web/http/LoopbackServer.h"
#include "support/TimeLimit.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The path of a request line "GET /path HTTP/1.1".
QByteArray pathOf(const LoopbackServer::Request& request)
{
    return request.requestLine.split(' ').value(1);
}

// Answers by path: each answer names its status, body and extra headers.
LoopbackServer::Reply answerByPath(const LoopbackServer::Request& request)
{
    const QByteArray path = pathOf(request);
    if (path == "/echo")
        return LoopbackServer::answer("200 OK", request.body, "X-Method: " + request.requestLine.split(' ').value(0)
                                                                  + "\r\nX-Kind: " + request.headers.value("x-kind")
                                                                  + "\r\n");
    if (path == "/empty")
        return LoopbackServer::answer("204 No Content", QByteArray());
    if (path == "/missing")
        return LoopbackServer::answer("404 Not Found", "no such page");
    if (path == "/broken")
        return LoopbackServer::answer("500 Internal Server Error", "it broke");
    if (path == "/moved")
        return LoopbackServer::answer("302 Found", QByteArray(), "Location: /echo\r\n");
    if (path == "/cut") {
        // Promises more than it sends, then hangs up.
        LoopbackServer::Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part";
        reply.close = true;
        return reply;
    }
    if (path == "/drop") {
        LoopbackServer::Reply reply;
        reply.drop = true;
        return reply;
    }
    LoopbackServer::Reply silent;
    silent.silent = true;
    return silent;
}

} // namespace

TEST(QtUrlLoaderTest, AnswersCarryStatusHeadersAndBodyWhateverTheStatus)
{
    LoopbackServer server(answerByPath);
    const struct {
        const char* path;
        QByteArray method;
        QByteArray body;
        int status;
        QByteArray answer;
        bool ok;
    } rows[] = {
        {"/echo", "GET", {}, 200, {}, true},
        {"/echo", "POST", "<Envelope>é</Envelope>", 200, "<Envelope>é</Envelope>", true},
        {"/echo", "PUT", "x=1", 200, "x=1", true},
        {"/empty", "GET", {}, 204, {}, true},
        {"/missing", "GET", {}, 404, "no such page", false},
        {"/broken", "POST", "body", 500, "it broke", false},
        {"/moved", "GET", {}, 200, {}, true},
    };
    QtUrlLoader loader;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.method.toStdString());
        UrlLoadRequest request;
        request.url = server.url(QString::fromLatin1(row.path));
        request.method = row.method;
        request.body = row.body;
        request.headers = {{"X-Kind", "story"}, {"Content-Type", "text/plain; charset=utf-8"}};
        request.timeout = 5s;
        const UrlLoadResult result = loader.load(request);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.ok(), row.ok);
        EXPECT_EQ(result.body, row.answer);
        EXPECT_TRUE(result.error.isEmpty()) << result.error.toStdString();
        if (QByteArray(row.path) == "/echo") {
            EXPECT_EQ(result.header("x-method"), row.method);
            EXPECT_EQ(result.header("X-KIND"), "story");
        }
    }
    // The headers and body reached the server as given.
    const QList<LoopbackServer::Request> seen = server.requests();
    ASSERT_GE(seen.size(), 2);
    EXPECT_EQ(seen[1].requestLine, "POST /echo HTTP/1.1");
    EXPECT_EQ(seen[1].headers.value("x-kind"), "story");
    EXPECT_EQ(seen[1].headers.value("content-type"), "text/plain; charset=utf-8");
    EXPECT_EQ(seen[1].body, QByteArray("<Envelope>é</Envelope>"));
}

TEST(QtUrlLoaderTest, NoCompleteAnswerIsStatusZeroWithAReason)
{
    LoopbackServer server(answerByPath);
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    QTemporaryDir folder;
    const struct {
        const char* name;
        QUrl url;
    } rows[] = {
        {"a body cut short", server.url(QStringLiteral("/cut"))},
        {"a connection dropped", server.url(QStringLiteral("/drop"))},
        {"no server", QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort))},
        {"a local file", QUrl::fromLocalFile(folder.filePath(QStringLiteral("page.txt")))},
        {"another scheme", QUrl(QStringLiteral("ftp://127.0.0.1/page"))},
        {"no address", QUrl()},
    };
    QtUrlLoader loader;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UrlLoadRequest request;
        request.url = row.url;
        request.timeout = 5s;
        const UrlLoadResult result = loader.load(request);
        EXPECT_EQ(result.status, 0);
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.error.isEmpty());
    }
}

// A slow line is waited for as long as bytes keep moving either way; only a connection that
// stays quiet for the idle interval is given up.
TEST(QtUrlLoaderTest, OnlyAConnectionThatStaysQuietTimesOut)
{
    const std::chrono::milliseconds idle(TestTime::limitMs(500));
    const int pace = int(idle.count() / 10);
    // The slow answer comes in twenty pieces, a tenth of the interval apart: nearly twice the
    // interval in all. The stalling one promises a hundred bytes, sends twenty in pieces over
    // nearly the interval, then nothing.
    const QByteArray slowBody(20 * 8, 's');
    LoopbackServer server([&](const LoopbackServer::Request& request) {
        LoopbackServer::Reply reply;
        if (pathOf(request) == "/slow") {
            reply = LoopbackServer::answer("200 OK", slowBody);
            reply.pieces = 20;
        } else if (pathOf(request) == "/stalls") {
            reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + QByteArray(20, 'q');
            reply.pieces = 10;
        } else {
            reply.silent = true;
        }
        reply.paceMs = pace;
        return reply;
    });
    // Reads the first 12 MB of a 32 MB request in twelve bites, then the rest as it comes: the
    // system's buffers (some MB on the loopback) fill at once, then the request moves on at the
    // server's pace, for longer than the interval in all.
    const qint64 bite = 1024 * 1024;
    const QByteArray bigBody(32 * bite, 'b');
    LoopbackServer slowReader([](const LoopbackServer::Request&) { return LoopbackServer::answer("200 OK", "taken"); });
    slowReader.setReadPace(bite, pace, 12 * bite);
    const struct {
        const char* name;
        QUrl url;
        QByteArray body;
        QByteArray answer;  // empty: no answer comes
        qint64 quietFromMs; // the earliest time the line can have gone quiet
    } rows[] = {
        {"sends slowly", server.url(QStringLiteral("/slow")), {}, slowBody, 0},
        {"reads slowly", slowReader.url(QStringLiteral("/taken")), bigBody, "taken", 0},
        {"goes quiet halfway", server.url(QStringLiteral("/stalls")), {}, {}, 9 * pace},
        {"says nothing", server.url(QStringLiteral("/silent")), "anyone there?", {}, 0},
    };
    QtUrlLoader loader;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UrlLoadRequest request;
        request.url = row.url;
        request.method = row.body.isEmpty() ? "GET" : "POST";
        request.body = row.body;
        request.idleTimeout = idle;
        QElapsedTimer elapsed;
        elapsed.start();
        const UrlLoadResult result = loader.load(request);
        if (row.answer.isEmpty()) {
            // A tenth of the interval spared for the timer's own rounding.
            EXPECT_GE(elapsed.elapsed(), row.quietFromMs + idle.count() * 9 / 10);
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.error, QStringLiteral("The server did not answer in time."));
        } else {
            // Longer in all than the interval, which a bound on the whole answer would have cut.
            EXPECT_GT(elapsed.elapsed(), idle.count());
            EXPECT_EQ(result.status, 200) << result.error.toStdString();
            EXPECT_EQ(result.body, row.answer);
        }
    }
    ASSERT_EQ(slowReader.requests().size(), 1);
    EXPECT_EQ(slowReader.requests().first().body.size(), bigBody.size());
}

TEST(QtUrlLoaderTest, AnUntrustedCertificateIsNoAnswer)
{
    const ServerCertificate tls;
    ASSERT_TRUE(tls.made);
    LoopbackServer server(answerByPath, tls.certificatePath, tls.keyPath);
    QtUrlLoader loader;
    UrlLoadRequest request;
    request.url = server.url(QStringLiteral("/echo"), QStringLiteral("https"));
    request.timeout = 10s;
    const UrlLoadResult result = loader.load(request);
    // The account number must never go to a server that cannot prove who it is.
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST(ScriptedUrlLoaderTest, AnswersInOrderRecordsRequestsAndThenAnswersNothing)
{
    ScriptedUrlLoader loader;
    loader.answers.push_back(ScriptedUrlLoader::answer(200, "first"));
    loader.answers.push_back(ScriptedUrlLoader::answer(500, "second"));
    UrlLoadRequest request;
    request.url = QUrl(QStringLiteral("https://example.invalid/a"));
    request.method = "POST";
    request.body = "body";
    EXPECT_EQ(loader.load(request).body, "first");
    const UrlLoadResult second = loader.load(request);
    EXPECT_EQ(second.status, 500);
    EXPECT_FALSE(second.ok());
    const UrlLoadResult third = loader.load(request);
    EXPECT_EQ(third.status, 0);
    EXPECT_FALSE(third.error.isEmpty());
    ASSERT_EQ(loader.requests.size(), 3u);
    EXPECT_EQ(loader.requests[0].method, "POST");
    EXPECT_EQ(loader.requests[0].body, "body");
}

TEST(PlatformUrlLoader, FakesReplaceTheQtLoaderAndNullBringsItBack)
{
    QTemporaryDir folder;
    FakePlatform fakes = FakePlatform::install(folder.path());
    EXPECT_EQ(&Platform::urlLoader(), fakes.urlLoader);
    Platform::setUrlLoader(nullptr);
    EXPECT_NE(dynamic_cast<QtUrlLoader*>(&Platform::urlLoader()), nullptr);
    Platform::setUserDefaults(nullptr);
}

TEST(QtUrlLoaderTest, AnAnswerLongerThanTheRequestTakesEndsAsAnError)
{
    // 3 MiB of body, announced by its length or sent in chunks with no length at all.
    const QByteArray body(3 * 1024 * 1024, 'x');
    LoopbackServer server([&body](const LoopbackServer::Request& request) {
        if (pathOf(request) == "/announced")
            return LoopbackServer::answer("200 OK", body);
        LoopbackServer::Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (qsizetype at = 0; at < body.size(); at += 65536)
            reply.bytes += QByteArray::number(65536, 16) + "\r\n" + body.mid(at, 65536) + "\r\n";
        reply.bytes += "0\r\n\r\n";
        return reply;
    });
    const struct {
        const char* path;
        qint64 most;
        bool taken;
    } rows[] = {
        {"/announced", 1024 * 1024, false},
        {"/chunked", 1024 * 1024, false},
        {"/announced", 0, true},
        {"/chunked", 4 * 1024 * 1024, true},
    };
    QtUrlLoader loader;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " at most " + std::to_string(row.most));
        UrlLoadRequest request;
        request.url = server.url(QString::fromLatin1(row.path));
        request.timeout = 10s;
        request.maxBodyBytes = row.most;
        const UrlLoadResult result = loader.load(request);
        if (row.taken) {
            EXPECT_EQ(result.status, 200);
            EXPECT_EQ(result.body.size(), body.size());
        } else {
            EXPECT_EQ(result.status, 0);
            EXPECT_TRUE(result.body.isEmpty());
            EXPECT_EQ(result.error, QStringLiteral("The answer is longer than the 1 MB this download may take."));
        }
    }
}
