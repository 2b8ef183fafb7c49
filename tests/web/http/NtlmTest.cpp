#include "Fetch.h"
#include "LoopbackServer.h"
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
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray utf16(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    return bytes;
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

// A challenge message as a server writes it, with the target information given.
QByteArray challengeMessage(const QByteArray& serverChallenge, const QByteArray& targetInfo,
                            quint32 flags = 0xe28a8235)
{
    const QByteArray target = utf16(QStringLiteral("FILMS"));
    QByteArray message("NTLMSSP\0", 8);
    char word[4];
    const auto le32 = [&](quint32 value) {
        qToLittleEndian(value, word);
        message.append(word, 4);
    };
    const auto le16 = [&](quint16 value) {
        qToLittleEndian(value, word);
        message.append(word, 2);
    };
    le32(2);
    le16(quint16(target.size()));
    le16(quint16(target.size()));
    le32(48);
    le32(flags);
    message.append(serverChallenge);
    message.append(8, '\0');
    le16(quint16(targetInfo.size()));
    le16(quint16(targetInfo.size()));
    le32(quint32(48 + target.size()));
    return message + target + targetInfo;
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

// The fields of an authenticate message, as the test server reads them.
struct Authenticate {
    QByteArray lm;
    QByteArray nt;
    QString domain;
    QString user;
    QByteArray sessionKey;
    quint32 flags = 0;
};

std::optional<Authenticate> readAuthenticate(const QByteArray& message)
{
    if (message.size() < 64 || !message.startsWith(QByteArray("NTLMSSP\0", 8))
        || qFromLittleEndian<quint32>(message.constData() + 8) != 3)
        return std::nullopt;
    const auto field = [&](int at) {
        const quint16 length = qFromLittleEndian<quint16>(message.constData() + at);
        const quint32 offset = qFromLittleEndian<quint32>(message.constData() + at + 4);
        return message.mid(offset, length);
    };
    const auto text = [](const QByteArray& bytes) {
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    };
    Authenticate answer;
    answer.lm = field(12);
    answer.nt = field(20);
    answer.domain = text(field(28));
    answer.user = text(field(36));
    answer.sessionKey = field(52);
    answer.flags = qFromLittleEndian<quint32>(message.constData() + 60);
    return answer;
}

// A server (401) or proxy (407) that lets user "writer" of domain "FILMS" with password
// "secret" in only through a whole NTLM exchange on one connection: the negotiate message, its
// challenge, and an answer whose proof it checks. Anything else gets a bare NTLM challenge.
class NtlmGuard
{
public:
    NtlmGuard(bool proxy, bool timestamp) : proxy_(proxy), timestamp_(timestamp) {}

    Reply operator()(const Request& request)
    {
        QMutexLocker lock(&mutex_);
        const QByteArray given = request.headers.value(proxy_ ? "proxy-authorization" : "authorization");
        if (given.startsWith("NTLM ")) {
            const QByteArray message = QByteArray::fromBase64(given.mid(5));
            const quint32 type = message.size() >= 12 ? qFromLittleEndian<quint32>(message.constData() + 8) : 0;
            if (type == 1) {
                challengedConnection_ = request.connection;
                const QByteArray info = targetInfo();
                return refuse("NTLM " + challengeMessage(serverChallenge_, info).toBase64());
            }
            if (type == 3 && request.connection == challengedConnection_ && accepts(message))
                return LoopbackServer::answer("200 OK", "let in");
            if (type == 3)
                ++refusedAnswers_;
        }
        return refuse("NTLM");
    }

    int refusedAnswers() const { return refusedAnswers_; }
    QList<QString> domainsSeen() const { return domains_; }

private:
    QByteArray targetInfo() const
    {
        QByteArray info = hex("02 00 0a 00") + utf16(QStringLiteral("FILMS"));
        if (timestamp_)
            info += hex("07 00 08 00 00 40 8c 3f 71 a0 dc 01");
        return info + hex("00 00 00 00");
    }

    bool accepts(const QByteArray& message)
    {
        const auto answer = readAuthenticate(message);
        if (!answer || answer->nt.size() < 48)
            return false;
        domains_.append(answer->domain);
        const QByteArray key = ntlm::ntowfV2(QStringLiteral("secret"), answer->user, answer->domain);
        const QByteArray blob = answer->nt.mid(16);
        const QByteArray proof = QMessageAuthenticationCode::hash(serverChallenge_ + blob, key,
                                                                  QCryptographicHash::Md5);
        const bool lmAsExpected = timestamp_ ? answer->lm == QByteArray(24, '\0') : answer->lm.size() == 24;
        return answer->user == QLatin1String("writer") && answer->domain == QLatin1String("FILMS")
               && proof == answer->nt.left(16) && blob.contains(targetInfo()) && lmAsExpected
               && answer->sessionKey.size() == 16;
    }

    Reply refuse(const QByteArray& challenge) const
    {
        return LoopbackServer::answer(proxy_ ? "407 Proxy Authentication Required" : "401 Unauthorized", "keep out",
                                      (proxy_ ? "Proxy-Authenticate: " : "WWW-Authenticate: ") + challenge + "\r\n");
    }

    const bool proxy_;
    const bool timestamp_;
    const QByteArray serverChallenge_ = hex("5a 17 c3 09 e2 44 b8 61");
    QMutex mutex_;
    int challengedConnection_ = -1;
    int refusedAnswers_ = 0;
    QList<QString> domains_;
};

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
