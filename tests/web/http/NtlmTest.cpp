#include "Fetch.h"
#include "LoopbackServer.h"
#include "NtlmServer.h"
#include "web/http/HTTPRequest.h"
#include "web/http/NtlmMessages.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QMutex>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using Reply = LoopbackServer::Reply;
using Request = LoopbackServer::Request;

QByteArray hex(const char* text)
{
    return hexBytes(text);
}

// The user, domain, password, challenges, time and target information of the worked NTLMv2
// example that the protocol's documentation publishes, with the values it gives for them.
struct PublishedExample {
    QString user = QStringLiteral("User");
    QString domain = QStringLiteral("Domain");
    QString password = QStringLiteral("Password");
    QByteArray serverChallenge = hex("01 23 45 67 89 ab cd ef");
    QByteArray clientChallenge = hex("aa aa aa aa aa aa aa aa");
    QByteArray randomSessionKey = QByteArray(16, char(0x55));
    quint64 time = 0;
    QByteArray targetInfo = hex("02 00 0c 00 44 00 6f 00 6d 00 61 00 69 00 6e 00"
                                "01 00 0c 00 53 00 65 00 72 00 76 00 65 00 72 00 00 00 00 00");
};

TEST(NtlmMessages, TheVersionTwoResponsesMatchThePublishedExample)
{
    const PublishedExample example;
    const QByteArray key = ntlm::ntowfV2(example.password, example.user, example.domain);
    const ntlm::V2Response response = ntlm::v2Response(key, example.serverChallenge, example.clientChallenge,
                                                       example.time, example.targetInfo, false);
    const struct {
        const char* name;
        QByteArray actual;
        QByteArray expected;
    } rows[] = {
        {"NTOWFv2", key, hex("0c 86 8a 40 3b fd 7a 93 a3 00 1e f2 2e f0 2e 3f")},
        {"LMv2 response", response.lmResponse,
         hex("86 c3 50 97 ac 9c ec 10 25 54 76 4a 57 cc cc 19 aa aa aa aa aa aa aa aa")},
        {"NT proof", response.ntProof, hex("68 cd 0a b8 51 e5 1c 96 aa bc 92 7b eb ef 6a 1c")},
        {"session base key", response.sessionBaseKey, hex("8d e4 0c ca db c1 4a 82 f1 5c b0 ad 0d e9 5c a3")},
        {"encrypted session key", ntlm::rc4(response.sessionBaseKey, example.randomSessionKey),
         hex("c5 da d2 54 4f c9 79 90 94 ce 1c e9 0b c9 d0 3e")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.actual.toHex(' '), row.expected.toHex(' ')) << row.name;
    // The NT response is the proof followed by the blob that was signed.
    EXPECT_EQ(response.ntResponse.left(16), response.ntProof);
    EXPECT_EQ(response.ntResponse.mid(16, 2), hex("01 01"));
    EXPECT_EQ(response.ntResponse.mid(32, 8), example.clientChallenge);
    EXPECT_TRUE(response.ntResponse.contains(example.targetInfo));
}

TEST(NtlmMessages, RC4MatchesKnownVectors)
{
    const struct {
        QByteArray key;
        QByteArray plain;
        QByteArray cipher;
    } rows[] = {
        {"Key", "Plaintext", hex("bb f3 16 e8 d9 40 af 0a d3")},
        {"Wiki", "pedia", hex("10 21 bf 04 20")},
        {"Secret", "Attack at dawn", hex("45 a0 1f 64 5f c3 5b 38 35 52 54 4b 9b f5")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ntlm::rc4(row.key, row.plain).toHex(), row.cipher.toHex()) << row.key.constData();
        EXPECT_EQ(ntlm::rc4(row.key, row.cipher), row.plain);
    }
}

TEST(NtlmMessages, ChallengesAreReadAndBrokenOnesRefused)
{
    const QByteArray challenge = hex("01 23 45 67 89 ab cd ef");
    QByteArray timed = hex("07 00 08 00 00 e1 f5 05 00 00 00 00 00 00 00 00");
    const QByteArray good = challengeMessage(challenge, PublishedExample().targetInfo);
    const struct {
        const char* name;
        QByteArray message;
        bool read;
        std::optional<quint64> timestamp;
    } rows[] = {
        {"documented target information", good, true, std::nullopt},
        {"with the server's time", challengeMessage(challenge, timed), true, quint64(100000000)},
        {"too short", good.left(20), false, std::nullopt},
        {"not a challenge", ntlm::negotiateMessage() + QByteArray(20, '\0'), false, std::nullopt},
        {"target information cut off", good.left(good.size() - 6), false, std::nullopt},
        {"pair longer than the list", challengeMessage(challenge, hex("02 00 40 00 44 00")), false, std::nullopt},
        {"empty", QByteArray(), false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto parsed = ntlm::parseChallenge(row.message);
        ASSERT_EQ(parsed.has_value(), row.read);
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->serverChallenge, challenge);
        EXPECT_EQ(parsed->targetName, QStringLiteral("FILMS"));
        EXPECT_EQ(parsed->timestamp, row.timestamp);
    }
}

class NtlmExchange : public FreshSession
{
};

} // namespace

TEST_F(NtlmExchange, TheHandshakeRunsOnOneConnectionAndRefusalEndsAtTheSecondRetry)
{
    const struct {
        const char* name;
        bool proxy;
        bool timestamp;
        QString password;
        int code;
        int requests;
    } rows[] = {
        {"server", false, false, QStringLiteral("secret"), 0, 3},
        {"server, server's time", false, true, QStringLiteral("secret"), 0, 3},
        {"proxy", true, false, QStringLiteral("secret"), 0, 3},
        {"server, wrong password", false, false, QStringLiteral("wrong"), 3, 3},
        {"proxy, wrong password", true, true, QStringLiteral("wrong"), 3, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        NtlmGuard guard(row.proxy, row.timestamp);
        LoopbackServer server([&](const Request& request) { return guard(request); });
        const QUrl url = row.proxy ? QUrl(QStringLiteral("http://story.invalid/pages")) : server.url("/pages");
        auto request = fetch(url, [&](HTTPRequest& r) {
            if (row.proxy) {
                r.setProxyHost(QStringLiteral("127.0.0.1"));
                r.setProxyPort(server.port());
                r.setProxyUsername(QStringLiteral("writer"));
                r.setProxyPassword(row.password);
                r.setProxyDomain(QStringLiteral("FILMS"));
            } else {
                r.setUsername(QStringLiteral("writer"));
                r.setPassword(row.password);
                r.setDomain(QStringLiteral("FILMS"));
            }
        });
        const QList<Request> seen = server.requests();
        ASSERT_EQ(seen.size(), row.requests);
        EXPECT_EQ(errorCode(*request), row.code);
        if (row.code == 0) {
            EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
            EXPECT_EQ(guard.domainsSeen(), QList<QString> {QStringLiteral("FILMS")});
        } else {
            EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
            // The answer was sent once and refused; nothing was sent after that.
            EXPECT_EQ(guard.refusedAnswers(), 1);
        }
        // The negotiate message and the answer travel on the connection that got the challenge.
        EXPECT_EQ(seen[1].connection, seen[2].connection);
        EXPECT_EQ(request->authenticationScheme().isEmpty(), row.proxy);
        EXPECT_EQ((row.proxy ? request->proxyAuthenticationScheme() : request->authenticationScheme()),
                  QStringLiteral("NTLM"));
        EXPECT_EQ(row.proxy ? request->proxyAuthenticationRetryCount() : request->authenticationRetryCount(), 2);
    }
}

TEST_F(NtlmExchange, AServerThatNeverChallengesEndsWithCodeThreeAfterTwoTries)
{
    // A server that answers every attempt with a bare NTLM challenge never gives the token.
    LoopbackServer server([](const Request&) {
        return LoopbackServer::answer("401 Unauthorized", "keep out", "WWW-Authenticate: NTLM\r\n");
    });
    auto request = fetch(server.url(QStringLiteral("/pages")), [](HTTPRequest& r) {
        r.setUsername(QStringLiteral("writer"));
        r.setPassword(QStringLiteral("secret"));
    });
    EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_EQ(request->authenticationRetryCount(), 2);
}

TEST_F(NtlmExchange, NTLMIsPreferredToBasicAndDigestWhenAllAreOffered)
{
    NtlmGuard guard(false, false);
    LoopbackServer server([&](const Request& request) {
        Reply reply = guard(request);
        reply.bytes.replace("WWW-Authenticate: NTLM",
                            "WWW-Authenticate: Basic realm=\"Films\"\r\nWWW-Authenticate: Digest realm=\"Films\", "
                            "nonce=\"n\"\r\nWWW-Authenticate: NTLM");
        return reply;
    });
    auto request = fetch(server.url(QStringLiteral("/pages")), [](HTTPRequest& r) {
        r.setUsername(QStringLiteral("writer"));
        r.setPassword(QStringLiteral("secret"));
        r.setDomain(QStringLiteral("FILMS"));
    });
    ASSERT_EQ(errorCode(*request), 0) << request->error()->description.toStdString();
    EXPECT_EQ(request->authenticationScheme(), QStringLiteral("NTLM"));
    EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
}
