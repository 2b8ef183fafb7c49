#include "Fetch.h"
#include "LoopbackServer.h"
#include "support/TimeLimit.h"
#include "web/http/DataCompressor.h"
#include "web/http/HTTPRequest.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

namespace {

using Reply = LoopbackServer::Reply;
using Request = LoopbackServer::Request;

class HTTPExchange : public FreshSession
{
};

} // namespace

TEST_F(HTTPExchange, TheRequestHeadIsSentAsBuilt)
{
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "fine"); });
    auto request = fetch(server.url(QStringLiteral("/scene?id=4")),
        [](HTTPRequest& r) { r.addRequestHeader(QStringLiteral("Accept"), QStringLiteral("text/plain")); });
    ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
    EXPECT_EQ(request->responseStatusCode(), 200);
    EXPECT_EQ(request->responseString(), QStringLiteral("fine"));
    ASSERT_EQ(server.requests().size(), 1);
    QByteArray expected = "GET /scene?id=4 HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(server.port())
                          + "\r\nAccept: text/plain\r\nAccept-Encoding: gzip\r\n";
    if (const QString agent = HTTPRequest::defaultUserAgentString(); !agent.isNull())
        expected += "User-Agent: " + agent.toUtf8() + "\r\n";
    expected += "\r\n";
    EXPECT_EQ(server.requests().first().head, expected);
}

TEST_F(HTTPExchange, ABodyDecidesTheMethodAndTheLength)
{
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "ok"); });
    const struct {
        const char* name;
        QString method;
        QByteArray body;
        QByteArray requestLine;
        QByteArray contentLength;
    } rows[] = {
        {"a body on a GET makes it a POST", QStringLiteral("GET"), "scene=4", "POST /form HTTP/1.1", "7"},
        {"a body on a PUT keeps the PUT", QStringLiteral("PUT"), "scene=4", "PUT /form HTTP/1.1", "7"},
        {"no body on a POST sends no length", QStringLiteral("POST"), "", "POST /form HTTP/1.1", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = server.requests().size();
        auto request = fetch(server.url(QStringLiteral("/form")), [&](HTTPRequest& r) {
            r.setRequestMethod(row.method);
            r.appendPostData(row.body);
        });
        ASSERT_FALSE(request->error());
        ASSERT_EQ(server.requests().size(), before + 1);
        const Request received = server.requests().last();
        EXPECT_EQ(received.requestLine, row.requestLine);
        EXPECT_EQ(received.headers.value("content-length"), row.contentLength);
        EXPECT_EQ(received.headers.contains("content-length"), !row.contentLength.isEmpty());
        EXPECT_EQ(received.body, row.body);
    }
}

TEST_F(HTTPExchange, BodiesInEveryFramingAreReadWholeAndDecoded)
{
    const QByteArray text = QStringLiteral("Caf\u00e9 on the pier").toUtf8();
    const QByteArray gzipped = DataCompressor::compressData(text, nullptr).value();
    const struct {
        const char* name;
        QByteArray reply;
        bool closeAfter;
        QString expected;
    } rows[] = {
        {"length and charset", "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: "
                                   + QByteArray::number(text.size()) + "\r\n\r\n" + text,
         false, QString::fromUtf8(text)},
        {"no charset reads as latin-1", "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(text.size())
                                            + "\r\n\r\n" + text,
         false, QString::fromLatin1(text)},
        {"chunked", "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nTransfer-Encoding: chunked\r\n\r\n"
                    "4\r\nCaf\xc3\r\n" + QByteArray::number(text.size() - 4, 16) + ";note=x\r\n" + text.mid(4)
                        + "\r\n0\r\nX-Trailer: 1\r\n\r\n",
         false, QString::fromUtf8(text)},
        {"until the connection closes", "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + text,
         true, QString::fromUtf8(text)},
        {"gzip", "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Encoding: gzip\r\n"
                 "Content-Length: " + QByteArray::number(gzipped.size()) + "\r\n\r\n" + gzipped,
         false, QString::fromUtf8(text)},
        {"an interim answer first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
         false, QStringLiteral("ok")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server([&](const Request&) { return Reply {row.reply, row.closeAfter}; });
        auto request = fetch(server.url(QStringLiteral("/body")));
        ASSERT_FALSE(request->error()) << request->error()->description.toStdString() << " / "
                                      << request->error()->underlying->description.toStdString();
        EXPECT_EQ(request->responseString(), row.expected);
    }
}

TEST_F(HTTPExchange, MalformedAndHostileAnswersFailWithAClearError)
{
    QTemporaryDir folder;
    const struct {
        const char* name;
        QByteArray reply;
        bool toFile = false;
    } rows[] = {
        // Cut short, however much more than the stream holds back came first, the answer fails
        // as soon as the connection is gone, not when the request times out.
        { "a long body cut short",
            "HTTP/1.1 200 OK\r\nContent-Length: 10000000\r\n\r\n" + QByteArray(3276800, 'x') },
        { "a long chunked body cut short, to a file", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            + ("10000\r\n" + QByteArray(65536, 'x') + "\r\n").repeated(50), true },
        { "not http", "SSH-2.0-OpenSSH\r\n\r\n" },
        { "a chunk size that is no number",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n0\r\n\r\n" },
        { "a chunk size beyond any body",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\n" },
        { "a length that is no number", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n" },
        { "two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nabc" },
        { "a head without end", "HTTP/1.1 200 OK\r\nX-Filler: " + QByteArray(100000, 'x') },
        { "a body cut short", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort" },
        { "a status that is no number", "HTTP/1.1 2OO OK\r\nContent-Length: 0\r\n\r\n" },
        { "a length beyond any body", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n" },
        { "too many header lines", "HTTP/1.1 200 OK\r\n" + QByteArray("X-Beat: 1\r\n").repeated(201) + "\r\n" },
        { "a chunk line without end",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;" + QByteArray(5000, 'x') },
        { "chunk data that runs past its size",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabcdef\r\n0\r\n\r\n" },
        { "a trailer line without end",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\nX-Tail: " + QByteArray(100000, 'x') },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server([&](const Request&) { return Reply {row.reply, true}; });
        const QString destination = folder.filePath(QStringLiteral("hostile.txt"));
        auto request = fetch(server.url(QStringLiteral("/hostile")), [&](HTTPRequest& r) {
            if (row.toFile)
                r.setDownloadDestinationPath(destination);
        });
        EXPECT_EQ(errorCode(*request), HTTPError::ConnectionFailure);
        ASSERT_TRUE(request->error());
        EXPECT_EQ(request->error()->description, QStringLiteral("A connection failure occurred"));
        EXPECT_TRUE(request->complete());
        EXPECT_FALSE(request->rawResponseData());
        EXPECT_FALSE(QFileInfo::exists(destination));
    }
}

TEST_F(HTTPExchange, AnAnswerTooLongToKeepInMemoryFailsWhileAFileTakesIt)
{
    const QByteArray body(64 * 1024 * 1024 + 1, 'x');
    QTemporaryDir folder;
    const struct {
        const char* name;
        bool withLength;
        bool toFile;
    } rows[] = {
        {"with its length, in memory", true, false},
        {"until the connection closes, in memory", false, false},
        {"with its length, to a file", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server([&](const Request&) {
            return row.withLength ? LoopbackServer::answer("200 OK", body) : LoopbackServer::answerUntilClose(body);
        });
        const QString destination = folder.filePath(QStringLiteral("long.txt"));
        auto request = fetch(server.url(QStringLiteral("/long")), [&](HTTPRequest& r) {
            if (row.toFile)
                r.setDownloadDestinationPath(destination);
        });
        if (row.toFile) {
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(QFileInfo(destination).size(), body.size());
        } else {
            EXPECT_EQ(errorCode(*request), HTTPError::ConnectionFailure);
            EXPECT_FALSE(request->rawResponseData());
        }
    }
}

// A synchronous request returns as soon as its answer is in, not at the next look of its
// waiting loop: a hundred small pages one after another take far less than a hundred of those
// looks (10 ms each).
TEST_F(HTTPExchange, ASynchronousRequestReturnsAsSoonAsItsAnswerIsIn)
{
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "page"); });
    QElapsedTimer clock;
    clock.start();
    for (int page = 0; page < 100; ++page) {
        auto request = fetch(server.url(QStringLiteral("/page")));
        ASSERT_EQ(request->responseString(), QStringLiteral("page"));
    }
    EXPECT_LT(clock.elapsed(), TestTime::limitMs(600));
}

TEST_F(HTTPExchange, ASilentServerTimesOutAfterTheRetries)
{
    LoopbackServer server([](const Request&) { return Reply {{}, false, true}; });
    auto request = fetch(server.url(QStringLiteral("/silent")), [](HTTPRequest& r) {
        r.setTimeOutSeconds(0.3);
        r.setNumberOfTimesToRetryOnTimeout(2);
    });
    EXPECT_EQ(errorCode(*request), HTTPError::RequestTimedOut);
    EXPECT_EQ(request->error(), HTTPError::requestTimedOut());
    EXPECT_EQ(request->retryCount(), 2);
    EXPECT_EQ(server.acceptedConnections(), 3);
    EXPECT_EQ(server.requests().size(), 3);
}

TEST_F(HTTPExchange, SecureServersWithASelfSignedCertificateAreRefusedUnlessTheRequestSaysNotToCheck)
{
    const ServerCertificate tls;
    ASSERT_TRUE(tls.made);
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "secret pages"); },
                          tls.certificatePath, tls.keyPath);
    auto checked = fetch(server.url(QStringLiteral("/pages"), QStringLiteral("https")));
    EXPECT_EQ(errorCode(*checked), HTTPError::ConnectionFailure);
    ASSERT_TRUE(checked->error());
    EXPECT_EQ(checked->error()->description,
              QStringLiteral("A connection failure occurred: SSL problem (possibly a bad/expired/self-signed "
                             "certificate)"));

    auto trusting = fetch(server.url(QStringLiteral("/pages"), QStringLiteral("https")),
                          [](HTTPRequest& r) { r.setValidatesSecureCertificate(false); });
    ASSERT_FALSE(trusting->error()) << trusting->error()->description.toStdString();
    EXPECT_EQ(trusting->responseString(), QStringLiteral("secret pages"));
}

TEST_F(HTTPExchange, APlainRequestThroughAProxyNamesTheWholeURL)
{
    LoopbackServer proxy([](const Request&) { return LoopbackServer::answer("200 OK", "from the proxy"); });
    auto request = fetch(QUrl(QStringLiteral("http://story.invalid:8080/cards?act=2")), [&](HTTPRequest& r) {
        r.setProxyHost(QStringLiteral("127.0.0.1"));
        r.setProxyPort(proxy.port());
    });
    ASSERT_FALSE(request->error());
    EXPECT_EQ(request->responseString(), QStringLiteral("from the proxy"));
    ASSERT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(proxy.requests().first().requestLine, QByteArray("GET http://story.invalid:8080/cards?act=2 HTTP/1.1"));
    EXPECT_EQ(proxy.requests().first().headers.value("host"), QByteArray("story.invalid:8080"));
}

TEST_F(HTTPExchange, RedirectsChangeTheMethodAsTheirStatusSays)
{
    // The loopback server answers as 127.0.0.1 and as localhost: two hosts for cookies. The first
    // sets a session cookie with its redirect; localhost has one of its own in the store.
    LoopbackServer seeder([](const Request&) {
        return LoopbackServer::answer("200 OK", "", "Set-Cookie: reel=seven; Path=/\r\n");
    });
    ASSERT_EQ(errorCode(*fetch(QUrl(QStringLiteral("http://localhost:%1/").arg(seeder.port())))), 0);
    const struct {
        const char* name;
        QByteArray status;
        bool rfc2616;
        QByteArray sent;  // the body of the request; none for a GET
        const char* host; // where the redirect points
        QByteArray finalLine;
        QByteArray finalBody;
        QByteArray cookies; // the Cookie header that arrives there
        const char* cookieName; // the letter case of the caller's own Cookie header
    } rows[] = {
        {"302 makes a POST a GET", "302 Found", false, "draft", "127.0.0.1", "GET /target HTTP/1.1", "",
         "sid=SECRET123", "Cookie"},
        {"302 in RFC 2616 mode stays a POST", "302 Found", true, "draft", "127.0.0.1", "POST /target HTTP/1.1", "draft",
         "own=one; act=two; sid=SECRET123", "cookie"},
        {"303 always makes a GET", "303 See Other", true, "draft", "127.0.0.1", "GET /target HTTP/1.1", "",
         "sid=SECRET123", "cookie"},
        {"307 never does", "307 Temporary Redirect", false, "draft", "127.0.0.1", "POST /target HTTP/1.1", "draft",
         "own=one; act=two; sid=SECRET123", "Cookie"},
        // To another host a request takes that host's cookies only (a body never goes there).
        {"302 to another host", "302 Found", false, "", "localhost", "GET /target HTTP/1.1", "", "reel=seven",
         "Cookie"},
        {"302 in RFC 2616 mode to another host", "302 Found", true, "", "localhost", "GET /target HTTP/1.1", "",
         "reel=seven", "cookie"},
        {"307 to another host", "307 Temporary Redirect", false, "", "localhost", "GET /target HTTP/1.1", "",
         "reel=seven", "COOKIE"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray location;
        LoopbackServer server([&](const Request& request) {
            if (request.requestLine.contains("/start"))
                return LoopbackServer::answer(row.status, "", "Set-Cookie: sid=SECRET123; Path=/\r\nLocation: "
                                                                  + location + "\r\n");
            return LoopbackServer::answer("200 OK", "arrived");
        });
        const QUrl target(QStringLiteral("http://%1:%2/target").arg(QLatin1String(row.host)).arg(server.port()));
        location = target.toEncoded();
        auto request = fetch(server.url(QStringLiteral("/start")), [&](HTTPRequest& r) {
            r.appendPostData(row.sent);
            r.addRequestHeader(QStringLiteral("Accept"), QStringLiteral("text/plain"));
            r.setRequestCookies({QNetworkCookie("act", "two")});
            r.addRequestHeader(QString::fromLatin1(row.cookieName), QStringLiteral("own=one"));
            r.addRequestHeader(QStringLiteral("authorization"), QStringLiteral("Basic d3JpdGVyOnNlY3JldA=="));
            r.addRequestHeader(QStringLiteral("Proxy-Authorization"), QStringLiteral("Basic d3JpdGVyOnByb3h5"));
            r.setShouldUseRFC2616RedirectBehaviour(row.rfc2616);
        });
        ASSERT_FALSE(request->error());
        EXPECT_EQ(request->responseString(), QStringLiteral("arrived"));
        EXPECT_EQ(request->url(), target);
        EXPECT_EQ(request->originalURL(), server.url(QStringLiteral("/start")));
        ASSERT_EQ(server.requests().size(), 2);
        // The caller's own Cookie header and the cookies it gave go out together, as one header
        // (with what the store holds for the host from the rows before).
        EXPECT_TRUE(server.requests().first().headers.value("cookie").startsWith("own=one; act=two"));
        EXPECT_EQ(server.requests().first().head.toLower().count("cookie:"), 1);
        const Request last = server.requests().last();
        EXPECT_EQ(last.requestLine, row.finalLine);
        EXPECT_EQ(last.body, row.finalBody);
        EXPECT_EQ(last.headers.contains("content-length"), !row.finalBody.isEmpty());
        EXPECT_EQ(last.headers.value("accept"), QByteArray("text/plain"));
        EXPECT_EQ(last.headers.value("cookie"), row.cookies);
        // The caller's credentials, in whatever letter case, stay with the headers a redirect keeps
        // (those that keep the body) and never go to another host.
        EXPECT_EQ(last.headers.contains("authorization"), !row.finalBody.isEmpty());
        EXPECT_EQ(last.headers.contains("proxy-authorization"), !row.finalBody.isEmpty());
    }
    // The HEAD request sent ahead of a GET to learn its size carries its main request's headers
    // and cookies; to another host, neither those nor the caller's Cookie and Authorization.
    for (const QByteArray& status : {QByteArray("307 Temporary Redirect"), QByteArray("302 Found")}) {
        SCOPED_TRACE(status.toStdString());
        QByteArray location;
        LoopbackServer server([&](const Request& request) {
            if (request.requestLine.contains("/start"))
                return LoopbackServer::answer(status, "", "Location: " + location + "\r\n");
            return LoopbackServer::answer("200 OK", "arrived");
        });
        location = QStringLiteral("http://localhost:%1/target").arg(server.port()).toLatin1();
        auto main = HTTPRequest::requestWithURL(server.url(QStringLiteral("/start")));
        main->addRequestHeader(QStringLiteral("Authorization"), QStringLiteral("Basic d3JpdGVyOnNlY3JldA=="));
        main->addRequestHeader(QStringLiteral("Proxy-Authorization"), QStringLiteral("Basic d3JpdGVyOnByb3h5"));
        main->addRequestHeader(QStringLiteral("cookie"), QStringLiteral("own=one"));
        main->setRequestCookies({QNetworkCookie("act", "two")});
        main->HEADRequest()->startSynchronous();
        ASSERT_EQ(server.requests().size(), 2);
        EXPECT_TRUE(server.requests().first().headers.contains("authorization"));
        EXPECT_TRUE(server.requests().first().headers.contains("proxy-authorization"));
        EXPECT_TRUE(server.requests().first().headers.value("cookie").startsWith("own=one; act=two"));
        EXPECT_EQ(server.requests().last().headers.value("cookie"), QByteArray("reel=seven"));
        EXPECT_FALSE(server.requests().last().headers.contains("authorization"));
        EXPECT_FALSE(server.requests().last().headers.contains("proxy-authorization"));
    }
}

TEST_F(HTTPExchange, FiveRedirectsAreFollowedAndTheSixthFailsWithCodeNine)
{
    for (const int hops : {5, 6}) {
        SCOPED_TRACE(hops);
        LoopbackServer server([hops](const Request& request) {
            const int step = request.requestLine.split('/').value(1).split(' ').value(0).toInt();
            if (step < hops)
                return LoopbackServer::answer("301 Moved Permanently", "Moved on",
                                              "Location: /" + QByteArray::number(step + 1) + "\r\n");
            return LoopbackServer::answer("200 OK", "end");
        });
        auto request = fetch(server.url(QStringLiteral("/0")));
        if (hops == 5) {
            EXPECT_FALSE(request->error());
            EXPECT_EQ(request->responseString(), QStringLiteral("end"));
        } else {
            EXPECT_EQ(request->error(), HTTPError::tooMuchRedirection());
            // Like every failure, it keeps no body: not the last redirect's page.
            EXPECT_FALSE(request->rawResponseData());
        }
        EXPECT_EQ(server.requests().size(), 6);
    }
}

TEST_F(HTTPExchange, CredentialsFollowARedirectOnlyToTheSameServer)
{
    const ServerCertificate tls;
    ASSERT_TRUE(tls.made);
    // The other server asks for credentials: what it is given shows what went with the redirect.
    LoopbackServer elsewhere([](const Request& request) {
        if (request.headers.contains("authorization"))
            return LoopbackServer::answer("200 OK", "let in");
        return LoopbackServer::answer("401 Unauthorized", "", "WWW-Authenticate: Basic realm=\"Films\"\r\n");
    });
    const QByteArray away = elsewhere.url(QStringLiteral("/x")).toEncoded();
    const struct {
        const char* name;
        QString scheme;
        QByteArray status;
        bool rfc2616;
        QByteArray location;
        bool challengeFirst; // the origin asks for the credentials before it redirects
        bool followed;       // the credentials reach the redirect's target
        bool head = false;   // a HEAD request sent ahead of its main request, which has the credentials
    } rows[] = {
        {"307 on the same server", QStringLiteral("http"), "307 Temporary Redirect", false, "/y", false, true},
        {"302 on the same server", QStringLiteral("http"), "302 Found", false, "/y", false, true},
        {"307 to another server", QStringLiteral("http"), "307 Temporary Redirect", false, away, false, false},
        {"307 to another server after a challenge", QStringLiteral("http"), "307 Temporary Redirect", false, away,
         true, false},
        {"302 in RFC 2616 mode to another server", QStringLiteral("http"), "302 Found", true, away, false, false},
        {"301 to another server", QStringLiteral("http"), "301 Moved Permanently", false, away, false, false},
        {"307 from a secure server to a plain one", QStringLiteral("https"), "307 Temporary Redirect", false, away,
         false, false},
        {"a HEAD request redirected by 307 to another server", QStringLiteral("http"), "307 Temporary Redirect",
         false, away, false, false, true},
        {"a HEAD request redirected by 303 to another server", QStringLiteral("http"), "303 See Other", false, away,
         false, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        const qsizetype elsewhereBefore = elsewhere.requests().size();
        LoopbackServer origin([&](const Request& request) {
            const bool authorized = request.headers.contains("authorization");
            if (request.requestLine.contains("/y"))
                return LoopbackServer::answer("200 OK", authorized ? "let in" : "");
            if (row.challengeFirst && !authorized)
                return LoopbackServer::answer("401 Unauthorized", "", "WWW-Authenticate: Basic realm=\"Films\"\r\n");
            return LoopbackServer::answer(row.status, "", "Location: " + row.location + "\r\n");
        }, row.scheme == QLatin1String("https") ? tls.certificatePath : QString(), tls.keyPath);
        const auto configure = [&](HTTPRequest& r) {
            r.setUsername(QStringLiteral("writer"));
            r.setPassword(QStringLiteral("secret"));
            r.setValidatesSecureCertificate(false);
            r.setShouldUseRFC2616RedirectBehaviour(row.rfc2616);
            r.setShouldPresentCredentialsBeforeChallenge(!row.challengeFirst);
        };
        const QUrl start = origin.url(QStringLiteral("/private"), row.scheme);
        std::shared_ptr<HTTPRequest> request;
        if (row.head) {
            // The HEAD request reports its failure through its main request.
            request = HTTPRequest::requestWithURL(start);
            configure(*request);
            request->HEADRequest()->startSynchronous();
        } else {
            request = fetch(start, configure);
        }
        ASSERT_FALSE(origin.requests().isEmpty());
        EXPECT_TRUE(origin.requests().last().headers.contains("authorization"));
        if (row.followed) {
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
            continue;
        }
        // The other server's challenge finds nothing to answer with: the request ends there.
        EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
        ASSERT_EQ(elsewhere.requests().size(), elsewhereBefore + 1);
        EXPECT_FALSE(elsewhere.requests().last().headers.contains("authorization"));
    }
}

TEST_F(HTTPExchange, KeepAliveDecidesWhetherTheNextRequestReusesTheConnection)
{
    const struct {
        const char* name;
        QByteArray version;
        QByteArray keepAlive;
        int connections;
        double expiry; // seconds an idle kept connection waits for the next request
    } rows[] = {
        {"timeout 15, max 100 allows reuse", "HTTP/1.1", "Keep-Alive: timeout=15, max=100\r\n", 1, 15},
        {"timeout 15, max 5 forbids it", "HTTP/1.1", "Keep-Alive: timeout=15, max=5\r\n", 2, 60},
        {"no max forbids it", "HTTP/1.1", "Keep-Alive: timeout=15\r\n", 2, 60},
        {"no keep-alive header allows it", "HTTP/1.1", "", 1, 60},
        {"close forbids it", "HTTP/1.1", "Connection: close\r\n", 2, 60},
        {"HTTP/1.0 without keep-alive forbids it", "HTTP/1.0", "", 2, 60},
        {"HTTP/1.0 with keep-alive allows it", "HTTP/1.0", "Connection: keep-alive\r\n", 1, 60},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server([&](const Request&) {
            Reply reply = LoopbackServer::answer("200 OK", "page", row.keepAlive);
            reply.bytes.replace(0, 8, row.version);
            return reply;
        });
        auto first = fetch(server.url(QStringLiteral("/one")));
        auto second = fetch(server.url(QStringLiteral("/two")));
        ASSERT_FALSE(first->error());
        ASSERT_FALSE(second->error());
        EXPECT_EQ(server.acceptedConnections(), row.connections);
        EXPECT_EQ(first->persistentConnectionTimeoutSeconds(), row.expiry);
        // The record stays in the pool either way; only its connection is new.
        EXPECT_NE(first->connectionID(), 0);
        EXPECT_EQ(first->connectionID(), second->connectionID());
    }
}

TEST_F(HTTPExchange, AConnectionDroppedWhileReusedIsRetriedOnceOnANewOne)
{
    const struct {
        const char* name;
        bool dropOnTheNewConnection;
        int expectedCode;
    } rows[] = {
        {"the new connection answers", false, 0},
        {"the new connection drops it too", true, HTTPError::ConnectionFailure},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::atomic<int> served = 0;
        LoopbackServer server([&](const Request& request) {
            const bool drop = request.connection == 1 ? served++ == 1 : row.dropOnTheNewConnection;
            if (drop)
                return Reply {{}, false, false, true};
            return LoopbackServer::answer("200 OK", "page");
        });
        ASSERT_FALSE(fetch(server.url(QStringLiteral("/one")))->error());
        auto second = fetch(server.url(QStringLiteral("/two")));
        EXPECT_EQ(errorCode(*second), row.expectedCode);
        if (row.expectedCode == 0) {
            EXPECT_EQ(second->responseString(), QStringLiteral("page"));
        }
        EXPECT_EQ(second->retryCount(), 1);
        EXPECT_EQ(server.acceptedConnections(), 2);
        EXPECT_EQ(server.requests().size(), 3);
    }
}

// The retry on a new connection sends the body again, whole, wherever it is kept.
TEST_F(HTTPExchange, ABodyGoesWholeWithTheRetryOfADroppedReusedConnection)
{
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("draft.txt"));
    const QByteArray payload = QByteArray("EXT. QUAY - NIGHT. Fog. ").repeated(4000);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(payload);
    }
    const struct {
        const char* name;
        bool fromDisk;
    } rows[] = {
        {"body in memory", false},
        {"body in a file of the request's own", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::atomic<int> served = 0;
        LoopbackServer server([&](const Request& request) {
            if (request.connection == 1 && served++ == 1)
                return Reply {{}, false, false, true};
            return LoopbackServer::answer("200 OK", QByteArray::number(request.body.size()));
        });
        ASSERT_FALSE(fetch(server.url(QStringLiteral("/one")))->error());
        auto second = fetch(server.url(QStringLiteral("/two")), [&](HTTPRequest& r) {
            r.setShouldStreamPostDataFromDisk(row.fromDisk);
            r.appendPostDataFromFile(source);
        });
        ASSERT_FALSE(second->error()) << second->error()->description.toStdString();
        EXPECT_EQ(second->retryCount(), 1);
        EXPECT_EQ(second->responseString(), QString::number(payload.size()));
        ASSERT_EQ(server.requests().size(), 3);
        EXPECT_EQ(server.requests().last().body, payload);
    }
}

TEST_F(HTTPExchange, ADownloadResumesWhereItsPartialFileEnds)
{
    const QByteArray whole = "INT. LIGHTHOUSE - NIGHT. The keeper climbs.";
    const struct {
        const char* name;
        bool serverTakesRanges;
        bool challengeFirst = false; // the partial file waits through the server's challenge
    } rows[] = {
        {"the server sends the rest", true},
        {"the server ignores the range and sends it all", false},
        {"the server asks who is there, then sends the rest", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server([&](const Request& request) {
            if (row.challengeFirst && !request.headers.contains("authorization"))
                return LoopbackServer::answer("401 Unauthorized", "<h1>Who are you?</h1>",
                                              "WWW-Authenticate: Basic realm=\"Films\"\r\n");
            const QByteArray range = request.headers.value("range");
            if (range != "bytes=10-" || !row.serverTakesRanges)
                return LoopbackServer::answer("200 OK", whole);
            return LoopbackServer::answer("206 Partial Content", whole.mid(10),
                                          "Content-Range: bytes 10-" + QByteArray::number(whole.size() - 1) + "/"
                                              + QByteArray::number(whole.size()) + "\r\n");
        });
        QTemporaryDir folder;
        const QString partial = folder.filePath(QStringLiteral("partial"));
        const QString destination = folder.filePath(QStringLiteral("story.txt"));
        {
            QFile file(partial);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(whole.left(10));
        }
        auto request = fetch(server.url(QStringLiteral("/story")), [&](HTTPRequest& r) {
            r.setAllowResumeForFileDownloads(true);
            r.setDownloadDestinationPath(destination);
            r.setTemporaryFileDownloadPath(partial);
            if (row.challengeFirst) {
                r.setUsername(QStringLiteral("writer"));
                r.setPassword(QStringLiteral("secret"));
                r.setShouldPresentCredentialsBeforeChallenge(false);
            }
        });
        ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
        EXPECT_EQ(server.requests().first().headers.value("range"), QByteArray("bytes=10-"));
        QFile result(destination);
        ASSERT_TRUE(result.open(QIODevice::ReadOnly));
        EXPECT_EQ(result.readAll(), whole);
        EXPECT_FALSE(QFile::exists(partial));
    }
}

namespace {

QByteArray md5(const QByteArray& text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

// Answers a challenge for realm "Films" with user "writer" and password "secret", in the
// scheme given, for a server (401) or a proxy (407).
Reply guarded(const Request& request, bool digest, bool proxy)
{
    const QByteArray field = proxy ? "proxy-authorization" : "authorization";
    const QByteArray given = request.headers.value(field);
    bool accepted = false;
    if (!digest) {
        accepted = given == "Basic " + QByteArray("writer:secret").toBase64();
    } else if (given.startsWith("Digest ")) {
        QMap<QByteArray, QByteArray> parts;
        for (QByteArray part : given.mid(7).split(',')) {
            part = part.trimmed();
            const qsizetype equals = part.indexOf('=');
            QByteArray value = part.mid(equals + 1);
            if (value.startsWith('"'))
                value = value.mid(1, value.size() - 2);
            parts.insert(part.left(equals), value);
        }
        const QByteArray method = request.requestLine.split(' ').value(0);
        const QByteArray ha1 = md5("writer:Films:secret");
        const QByteArray ha2 = md5(method + ":" + parts.value("uri"));
        const QByteArray expected
            = md5(ha1 + ":n0nce:" + parts.value("nc") + ":" + parts.value("cnonce") + ":auth:" + ha2);
        accepted = parts.value("response") == expected && parts.value("username") == "writer";
    }
    if (accepted)
        return LoopbackServer::answer("200 OK", "let in");
    const QByteArray challenge = digest ? "Digest realm=\"Films\", qop=\"auth\", nonce=\"n0nce\", opaque=\"op\""
                                        : "Basic realm=\"Films\"";
    return LoopbackServer::answer(proxy ? "407 Proxy Authentication Required" : "401 Unauthorized", "keep out",
                                  (proxy ? "Proxy-Authenticate: " : "WWW-Authenticate: ") + challenge + "\r\n");
}

} // namespace

TEST_F(HTTPExchange, ChallengesAreMetWithStoredCredentialsAndFailWithCodeThreeWithout)
{
    const struct {
        const char* name;
        bool digest;
        bool proxy;
    } rows[] = {
        {"server, Basic", false, false},
        {"server, Digest", true, false},
        {"proxy, Basic", false, true},
        {"proxy, Digest", true, true},
    };
    for (const auto& row : rows) {
        for (const bool withCredentials : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (withCredentials ? ", stored credentials" : ", none"));
            SetUp();
            LoopbackServer server([&](const Request& request) { return guarded(request, row.digest, row.proxy); });
            const QUrl url = row.proxy ? QUrl(QStringLiteral("http://story.invalid/pages")) : server.url("/pages");
            PersistentCredentialStore::shared().removeForHost(QStringLiteral("127.0.0.1"), server.port(),
                                                              QStringLiteral("http"), QStringLiteral("Films"));
            PersistentCredentialStore::shared().removeForProxy(QStringLiteral("127.0.0.1"), server.port(),
                                                               QStringLiteral("Films"));
            if (withCredentials) {
                const Credentials stored {QStringLiteral("writer"), QStringLiteral("secret"), std::nullopt};
                if (row.proxy)
                    PersistentCredentialStore::shared().saveForProxy(stored, QStringLiteral("127.0.0.1"), server.port(),
                                                                     QStringLiteral("Films"));
                else
                    PersistentCredentialStore::shared().saveForHost(stored, QStringLiteral("127.0.0.1"), server.port(),
                                                                    QStringLiteral("http"), QStringLiteral("Films"));
            }
            auto request = fetch(url, [&](HTTPRequest& r) {
                r.setUseKeychainPersistence(true);
                if (row.proxy) {
                    r.setProxyHost(QStringLiteral("127.0.0.1"));
                    r.setProxyPort(server.port());
                }
            });
            if (withCredentials) {
                ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
                EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
                EXPECT_EQ(server.requests().size(), 2);
            } else {
                EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
                EXPECT_EQ(server.requests().size(), 1);
            }
        }
    }
}

TEST_F(HTTPExchange, RefusedCredentialsEndWithCodeThreeAndLeaveTheSessionStore)
{
    LoopbackServer server([](const Request& request) { return guarded(request, true, false); });
    auto request = fetch(server.url(QStringLiteral("/pages")), [](HTTPRequest& r) {
        r.setUsername(QStringLiteral("writer"));
        r.setPassword(QStringLiteral("wrong"));
    });
    EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
    // The pre-emptive Basic attempt, then the Digest answer with the wrong password.
    EXPECT_EQ(server.requests().size(), 2);
    for (const SessionEntry& entry : SessionCredentialStore::servers().entries())
        EXPECT_NE(entry.credentials->password, QStringLiteral("wrong"));
}

TEST_F(HTTPExchange, AnAsynchronousRequestReportsOnTheMainThreadInOrder)
{
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", QByteArray(100000, 'x')); });
    auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/big")));
    QStringList calls;
    qint64 received = 0;
    request->setStartedBlock([&] { calls.append(QStringLiteral("started")); });
    request->setHeadersReceivedBlock([&](const HTTPHeaders&) { calls.append(QStringLiteral("headers")); });
    request->setBytesReceivedBlock([&](quint64 amount, quint64) { received += qint64(amount); });
    request->setCompletionBlock([&] { calls.append(QStringLiteral("finished")); });
    request->startAsynchronous();
    const bool ended = QTest::qWaitFor([&] { return calls.contains(QStringLiteral("finished")); }, 10000);
    ASSERT_TRUE(ended) << calls.join(QLatin1Char(',')).toStdString() << " " << request->complete() << " "
                       << errorCode(*request) << " " << server.requests().size();
    EXPECT_EQ(calls, (QStringList {QStringLiteral("started"), QStringLiteral("headers"), QStringLiteral("finished")}));
    EXPECT_EQ(received, 100000);
    EXPECT_EQ(request->responseData().value_or(QByteArray()).size(), 100000);
    EXPECT_TRUE(request->isFinished());
}

namespace {

// Answers challenges with the next of its scripted answers: a password, or nothing to give up.
class AnsweringDelegate : public HTTPRequestDelegate
{
public:
    explicit AnsweringDelegate(QList<std::optional<QString>> answers) : answers_(std::move(answers)) {}
    bool implements(Operation operation) const override
    {
        return operation == Operation::AuthenticationNeeded || operation == Operation::ProxyAuthenticationNeeded;
    }
    void authenticationNeededForRequest(HTTPRequest* request) override { answer(request, false); }
    void proxyAuthenticationNeededForRequest(HTTPRequest* request) override { answer(request, true); }

    int serverQuestions = 0;
    int proxyQuestions = 0;

private:
    void answer(HTTPRequest* request, bool proxy)
    {
        ++(proxy ? proxyQuestions : serverQuestions);
        const std::optional<QString> password = answers_.isEmpty() ? std::nullopt : answers_.takeFirst();
        if (!password) {
            request->cancelAuthentication();
            return;
        }
        if (proxy) {
            request->setProxyUsername(QStringLiteral("writer"));
            request->setProxyPassword(*password);
        } else {
            request->setUsername(QStringLiteral("writer"));
            request->setPassword(*password);
        }
        request->retryUsingSuppliedCredentials();
    }

    QList<std::optional<QString>> answers_;
};

} // namespace

TEST_F(HTTPExchange, TheDelegateIsAskedForCredentialsAgainAfterRefusedOnesForServersAndProxiesAlike)
{
    const std::optional<QString> right = QStringLiteral("secret");
    const std::optional<QString> wrong = QStringLiteral("wrong");
    const std::optional<QString> giveUp;
    const struct {
        const char* name;
        QList<std::optional<QString>> answers;
        bool succeeds;
        int questions;
    } rows[] = {
        {"right at once", {right}, true, 1},
        {"wrong, then right", {wrong, right}, true, 2},
        {"gives up", {giveUp}, false, 1},
        {"wrong, then gives up", {wrong, giveUp}, false, 2},
    };
    for (const bool proxy : {false, true}) {
        for (const bool digest : {false, true}) {
            for (const auto& row : rows) {
                SCOPED_TRACE(
                    std::string(row.name) + (proxy ? ", proxy" : ", server") + (digest ? ", Digest" : ", Basic"));
                SetUp();
                LoopbackServer server([&](const Request& request) { return guarded(request, digest, proxy); });
                auto delegate = std::make_shared<AnsweringDelegate>(row.answers);
                auto request = fetch(proxy ? QUrl(QStringLiteral("http://story.invalid/pages")) : server.url("/pages"),
                                     [&](HTTPRequest& r) {
                                         r.setDelegate(delegate);
                                         if (proxy) {
                                             r.setProxyHost(QStringLiteral("127.0.0.1"));
                                             r.setProxyPort(server.port());
                                         }
                                     });
                EXPECT_EQ((proxy ? delegate->proxyQuestions : delegate->serverQuestions), row.questions);
                if (row.succeeds) {
                    ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
                    EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
                } else {
                    EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
                }
            }
        }
    }
}

TEST_F(HTTPExchange, CredentialsThatWorkedAreOfferedAtOnceToTheNextRequestOfTheSession)
{
    LoopbackServer server([](const Request& request) { return guarded(request, true, false); });
    auto first = fetch(server.url(QStringLiteral("/pages")), [](HTTPRequest& r) {
        r.setUsername(QStringLiteral("writer"));
        r.setPassword(QStringLiteral("secret"));
    });
    ASSERT_FALSE(first->error());
    const qsizetype before = server.requests().size();
    auto second = fetch(server.url(QStringLiteral("/other")));
    ASSERT_FALSE(second->error()) << second->error()->description.toStdString();
    EXPECT_EQ(second->responseString(), QStringLiteral("let in"));
    // The Digest answer from the session goes with the first attempt: no second challenge.
    EXPECT_EQ(server.requests().size(), before + 1);
}

TEST_F(HTTPExchange, AnAnsweredChallengeGoesOnTheSameConnectionAndOnlyFailuresLeaveThePool)
{
    const struct {
        const char* name;
        bool digest;
        const char* password;
        int code;              // of the first request; 0 for success
        int connectionsAfter;  // once a second request to the same server has been made
    } rows[] = {
        {"Basic, accepted", false, "secret", 0, 1},
        {"Digest, accepted", true, "secret", 0, 1},
        // Code 3 keeps the connection in the pool, so the next request takes it.
        {"Digest, refused", true, "wrong", HTTPError::AuthenticationNeeded, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        LoopbackServer server([&](const Request& request) {
            if (request.requestLine.contains("/open"))
                return LoopbackServer::answer("200 OK", "open");
            return guarded(request, row.digest, false);
        });
        auto first = fetch(server.url(QStringLiteral("/pages")), [&](HTTPRequest& r) {
            r.setUsername(QStringLiteral("writer"));
            r.setPassword(QString::fromLatin1(row.password));
            r.setShouldPresentCredentialsBeforeChallenge(false);
        });
        EXPECT_EQ(errorCode(*first), row.code);
        EXPECT_EQ(server.requests().size(), 2);
        // The challenge and its answer came on one connection.
        EXPECT_EQ(server.acceptedConnections(), 1);
        ASSERT_FALSE(fetch(server.url(QStringLiteral("/open")))->error());
        EXPECT_EQ(server.acceptedConnections(), row.connectionsAfter);
    }
    // A failure of another kind takes the connection out of the pool: the next request opens
    // a new one.
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", QByteArray(5000, 'b')); });
    auto bounded = fetch(server.url(QStringLiteral("/long")), [](HTTPRequest& r) { r.setMaxDownloadBytes(1000); });
    EXPECT_EQ(errorCode(*bounded), HTTPError::ConnectionFailure);
    ASSERT_FALSE(fetch(server.url(QStringLiteral("/long")))->error());
    EXPECT_EQ(server.acceptedConnections(), 2);
}
