#include "fuzz/FuzzInputs.h"
#include "support/ByteMutator.h"
#include "web/http/HttpAuthentication.h"
#include "web/http/HttpMessage.h"
#include "web/http/HttpResponseParser.h"

#include <gtest/gtest.h>

TEST(HttpResponseParser, TheHeadDecidesTheFramingOfTheBody)
{
    const struct {
        const char* name;
        bool headRequest;
        QByteArray bytes;
        bool complete;
        QByteArray body;
        bool closeDelimited;
    } rows[] = {
        {"a HEAD answer has no body", true, "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n", true, "", false},
        {"204 has no body", false, "HTTP/1.1 204 No Content\r\n\r\n", true, "", false},
        {"304 has no body", false, "HTTP/1.1 304 Not Modified\r\nContent-Length: 9\r\n\r\n", true, "", false},
        {"a length", false, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true, "hello", false},
        {"a length not reached yet", false, "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello", false, "hello", false},
        {"chunks win over a length", false,
         "HTTP/1.1 200 OK\r\nContent-Length: 99\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n", true,
         "abc", false},
        {"until the end", false, "HTTP/1.0 200 OK\r\n\r\nsome", false, "some", true},
        {"bare line feeds", false, "HTTP/1.1 200 OK\nContent-Length: 2\n\nok", true, "ok", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HttpResponseParser parser(row.headRequest);
        QByteArray body;
        // Byte by byte, as a slow connection would hand it over.
        for (const char byte : row.bytes)
            ASSERT_TRUE(parser.feed(&byte, 1, body)) << parser.error().toStdString();
        EXPECT_TRUE(parser.headComplete());
        EXPECT_EQ(parser.bodyComplete(), row.complete);
        EXPECT_EQ(body, row.body);
        EXPECT_EQ(parser.closeDelimited(), row.closeDelimited);
    }
}

TEST(HttpResponseParser, RepeatedFieldsStaySeparateAndFoldedLinesJoin)
{
    HttpResponseParser parser(false);
    QByteArray body;
    const QByteArray bytes = "HTTP/1.1 401 Unauthorized\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n"
                             "WWW-Authenticate: Basic realm=\"x\"\r\nX-Long: one\r\n two\r\nContent-Length: 0\r\n\r\n";
    ASSERT_TRUE(parser.feed(bytes.constData(), bytes.size(), body));
    const HttpResponseHead& head = *parser.head();
    EXPECT_EQ(head.statusCode, 401);
    EXPECT_EQ(head.statusLine, QStringLiteral("HTTP/1.1 401 Unauthorized"));
    EXPECT_EQ(head.fieldValues(QStringLiteral("set-cookie")),
        (QList<QString> { QStringLiteral("a=1"), QStringLiteral("b=2") }));
    EXPECT_EQ(head.field(QStringLiteral("X-Long")), QStringLiteral("one two"));
    EXPECT_TRUE(parser.bodyComplete());
}

TEST(HttpResponseParser, AnAnswerCutShortIsAnErrorUnlessItsEndIsTheConnectionsEnd)
{
    HttpResponseParser byLength(false);
    QByteArray body;
    const QByteArray cut = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc";
    ASSERT_TRUE(byLength.feed(cut.constData(), cut.size(), body));
    EXPECT_FALSE(byLength.finishAtEnd());
    EXPECT_FALSE(byLength.error().isEmpty());

    HttpResponseParser byClose(false);
    const QByteArray open = "HTTP/1.1 200 OK\r\n\r\nabc";
    ASSERT_TRUE(byClose.feed(open.constData(), open.size(), body));
    EXPECT_TRUE(byClose.finishAtEnd());
}

TEST(HttpMessage, TheHeadNamesTheHostAndKeepsFieldsOnOneLine)
{
    const struct {
        const char* name;
        QUrl url;
        bool absolute;
        QByteArray firstLines;
    } rows[] = {
        {"default port", QUrl(QStringLiteral("http://story.example/a b?x=1")), false,
         "GET /a%20b?x=1 HTTP/1.1\r\nHost: story.example\r\n"},
        {"other port", QUrl(QStringLiteral("http://story.example:8080")), false,
         "GET / HTTP/1.1\r\nHost: story.example:8080\r\n"},
        {"secure default port", QUrl(QStringLiteral("https://story.example:443/p")), false,
         "GET /p HTTP/1.1\r\nHost: story.example\r\n"},
        {"to a proxy", QUrl(QStringLiteral("http://user:pw@story.example/p#part")), true,
         "GET http://story.example/p HTTP/1.1\r\nHost: story.example\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HttpMessage message(QStringLiteral("GET"), row.url, false);
        EXPECT_TRUE(message.serializeHead(row.absolute).startsWith(row.firstLines));
    }
    HttpMessage message(QStringLiteral("POST"), QUrl(QStringLiteral("http://h/")), true);
    message.setHeaderField(QStringLiteral("X-Note"), QStringLiteral("one\r\nInjected: yes"));
    message.setHeaderField(QStringLiteral("x-note"), QStringLiteral("replaced\ntoo"));
    EXPECT_EQ(message.serializeHead(), QByteArray("POST / HTTP/1.0\r\nHost: h\r\nX-Note: replaced too\r\n\r\n"));
}

TEST(HttpAuthentication, DigestIsPreferredAndAStaleNonceKeepsTheCredentialsValid)
{
    HttpResponseParser parser(false);
    QByteArray body;
    const QByteArray challenge = "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"Films\"\r\n"
                                 "WWW-Authenticate: Digest realm=\"Films\", nonce=\"one\", qop=\"auth\"\r\n"
                                 "WWW-Authenticate: Negotiate\r\nContent-Length: 0\r\n\r\n";
    ASSERT_TRUE(parser.feed(challenge.constData(), challenge.size(), body));
    auto authentication = HttpAuthentication::fromResponse(*parser.head(), false);
    ASSERT_TRUE(authentication);
    EXPECT_EQ(authentication->scheme(), QStringLiteral("Digest"));
    EXPECT_EQ(authentication->realm(), QStringLiteral("Films"));
    EXPECT_FALSE(HttpAuthentication::fromResponse(*parser.head(), true));

    HttpMessage message(QStringLiteral("GET"), QUrl(QStringLiteral("http://h/cards?act=1")), false);
    ASSERT_TRUE(authentication->apply(message, {QStringLiteral("writer"), QStringLiteral("secret"), {}},
                                      QStringLiteral("GET"), false));
    const QString header = message.headerField(QStringLiteral("Authorization"));
    EXPECT_TRUE(header.startsWith(QStringLiteral("Digest username=\"writer\", realm=\"Films\", nonce=\"one\", "
                                                 "uri=\"/cards?act=1\"")));
    EXPECT_TRUE(header.contains(QStringLiteral("nc=00000001")));

    auto headOf = [](const QByteArray& bytes) {
        HttpResponseParser again(false);
        QByteArray ignored;
        again.feed(bytes.constData(), bytes.size(), ignored);
        return *again.head();
    };
    const HttpResponseHead stale = headOf("HTTP/1.1 401 No\r\nWWW-Authenticate: Digest realm=\"Films\", "
                                          "nonce=\"two\", stale=true\r\nContent-Length: 0\r\n\r\n");
    EXPECT_TRUE(authentication->isValidFor(stale, false));
    authentication->apply(message, {QStringLiteral("writer"), QStringLiteral("secret"), {}}, QStringLiteral("GET"),
                          false);
    const HttpResponseHead refused = headOf("HTTP/1.1 401 No\r\nWWW-Authenticate: Digest realm=\"Films\", "
                                            "nonce=\"three\"\r\nContent-Length: 0\r\n\r\n");
    EXPECT_FALSE(authentication->isValidFor(refused, false));
}

TEST(ReaderFuzz, DamagedAnswersAreReadByTheParsersRulesOrRefused)
{
    // The bounded cousin of the response parser's fuzz target. The first byte chooses how the
    // answer is cut into pieces and whether it answers a HEAD request.
    const QByteArray seeds[] = {
        "\x05HTTP/1.1 200 OK\r\nContent-Length: 11\r\nContent-Type: text/plain\r\n\r\nhello world",
        "\x11HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;x=y\r\n world\r\n0\r\nT: v\r\n\r\n",
        "\x01HTTP/1.0 200 OK\r\n\r\nuntil the connection ends",
        "\x22HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"Films\"\r\n"
        "Set-Cookie: a=1\r\nSet-Cookie: b=2\r\nContent-Length: 4\r\n\r\nkeep",
        "\x45HTTP/1.1 304 Not Modified\r\nContent-Length: 9\r\n\r\n",
    };
    ByteMutator mutator(41);
    int bodiesRead = 0;
    for (const QByteArray& seed : seeds) {
        ASSERT_TRUE(FuzzInputs::httpResponse(seed));
        for (int round = 0; round < 3000; ++round) {
            const QByteArray damaged = mutator.damage(seed);
            ASSERT_TRUE(FuzzInputs::httpResponse(damaged)) << damaged.toBase64().toStdString();
            HttpResponseParser parser(false);
            QByteArray body;
            if (damaged.size() > 1 && parser.feed(damaged.constData() + 1, damaged.size() - 1, body)
                && parser.bodyComplete())
                ++bodiesRead;
        }
    }
    EXPECT_GT(bodiesRead, 300);
}
