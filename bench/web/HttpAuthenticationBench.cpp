// One authenticated request from its first challenge to the page, over the loopback: NTLM
// (negotiate, challenge, answer on one connection) and Negotiate (a Kerberos ticket from a
// throw-away realm, checked by Apache). Every iteration starts with empty session stores, so
// each runs the whole handshake. Each floor makes the same exchanges on one plain socket, with
// the same handshake messages built by hand: the NTLM messages' arithmetic and the GSS-API
// token called directly, with no request object, connection pool or session store.
#include "KerberosRealm.h"
#include "LoopbackServer.h"
#include "NtlmServer.h"
#include "platform/CredentialStorage.h"
#include "web/http/GssNegotiation.h"
#include "web/http/HTTPRequest.h"
#include "web/http/NtlmMessages.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>

namespace {

using Request = LoopbackServer::Request;

std::unique_ptr<KerberosRealm> realm;

void freshSession()
{
    SessionCredentialStore::servers().clear();
    SessionCredentialStore::proxies().clear();
}

// Fetches the URL with user "writer", password "secret" of domain "FILMS", answering the
// challenge (no credentials go ahead of it); false when the page did not come.
bool fetchOnce(benchmark::State& state, const QUrl& url)
{
    freshSession();
    auto request = HTTPRequest::requestWithURL(url);
    request->setTimeOutSeconds(10);
    request->setShouldPresentCredentialsBeforeChallenge(false);
    request->setUsername(QStringLiteral("writer"));
    request->setPassword(QStringLiteral("secret"));
    request->setDomain(QStringLiteral("FILMS"));
    request->startSynchronous();
    if (request->error() || request->responseString() != QLatin1String("let in")) {
        state.SkipWithError(request->error() ? request->error()->description.toStdString().c_str()
                                             : "the page did not come");
        return false;
    }
    return true;
}

void BM_NtlmHandshake(benchmark::State& state)
{
    NtlmGuard guard(false, true);
    LoopbackServer server([&](const Request& request) { return guard(request); });
    const QUrl url = server.url(QStringLiteral("/page.txt"));
    for (auto _ : state)
        if (!fetchOnce(state, url))
            return;
}
BENCHMARK(BM_NtlmHandshake)->Unit(benchmark::kMillisecond)->UseRealTime();

// Whether the realm and its server run; when they do not, the benchmark is skipped.
bool realmReady(benchmark::State& state)
{
    if (realm && realm->ready())
        return true;
    state.SkipWithError(realm ? realm->failure().toStdString().c_str() : "no Kerberos realm");
    return false;
}

void BM_NegotiateHandshake(benchmark::State& state)
{
    if (!realmReady(state))
        return;
    const QUrl url = realm->url(QStringLiteral("/page.txt"));
    for (auto _ : state)
        if (!fetchOnce(state, url))
            return;
}
BENCHMARK(BM_NegotiateHandshake)->Unit(benchmark::kMillisecond)->UseRealTime();

// One keep-alive connection on which GET requests are written and their answers read, with
// blocking calls and no more parsing than the handshake needs.
class PlainConnection
{
public:
    struct Answer {
        int status = 0;
        QByteArray challenge; // the value of the WWW-Authenticate header
        QByteArray body;
    };

    explicit PlainConnection(const QUrl& url)
        : url_(url)
    {
        socket_.connectToHost(url.host(), quint16(url.port()));
        socket_.waitForConnected(10000);
    }

    // Sends a GET of the URL's path with the Authorization value, when given; nothing when the
    // answer did not come whole.
    std::optional<Answer> get(const QByteArray& authorization)
    {
        QByteArray head = "GET " + url_.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\nHost: "
                          + url_.authority(QUrl::FullyEncoded).toLatin1() + "\r\n";
        if (!authorization.isEmpty())
            head += "Authorization: " + authorization + "\r\n";
        socket_.write(head + "\r\n");
        while (!buffer_.contains("\r\n\r\n")) {
            if (!socket_.waitForReadyRead(10000))
                return std::nullopt;
            buffer_ += socket_.readAll();
        }
        const qsizetype end = buffer_.indexOf("\r\n\r\n");
        const QList<QByteArray> lines = buffer_.left(end).split('\n');
        buffer_.remove(0, end + 4);
        Answer answer;
        answer.status = lines.value(0).split(' ').value(1).toInt();
        qsizetype length = 0;
        for (const QByteArray& line : lines) {
            const qsizetype colon = line.indexOf(':');
            const QByteArray name = line.left(colon).trimmed().toLower();
            if (name == "content-length")
                length = line.mid(colon + 1).trimmed().toLongLong();
            else if (name == "www-authenticate")
                answer.challenge = line.mid(colon + 1).trimmed();
        }
        while (buffer_.size() < length) {
            if (!socket_.waitForReadyRead(10000))
                return std::nullopt;
            buffer_ += socket_.readAll();
        }
        answer.body = buffer_.left(length);
        buffer_.remove(0, length);
        return answer;
    }

private:
    QUrl url_;
    QTcpSocket socket_;
    QByteArray buffer_;
};

bool letIn(benchmark::State& state, const std::optional<PlainConnection::Answer>& answer)
{
    if (answer && answer->status == 200 && answer->body == "let in")
        return true;
    state.SkipWithError("the page did not come");
    return false;
}

// The floor for NTLM: the bare request, the negotiate message, the challenge read and the
// authenticate message answered, on one connection.
void BM_NtlmHandshake_Floor(benchmark::State& state)
{
    NtlmGuard guard(false, true);
    LoopbackServer server([&](const Request& request) { return guard(request); });
    const QUrl url = server.url(QStringLiteral("/page.txt"));
    ntlm::Answer answer;
    answer.user = QStringLiteral("writer");
    answer.domain = QStringLiteral("FILMS");
    answer.password = QStringLiteral("secret");
    answer.clientChallenge = QByteArray(8, '\x2a');
    answer.randomSessionKey = QByteArray(16, '\x17');
    for (auto _ : state) {
        PlainConnection connection(url);
        const auto bare = connection.get({});
        const auto challenged = connection.get("NTLM " + ntlm::negotiateMessage().toBase64());
        const auto challenge
            = challenged ? ntlm::parseChallenge(QByteArray::fromBase64(challenged->challenge.mid(5))) : std::nullopt;
        if (!bare || bare->status != 401 || !challenge) {
            state.SkipWithError("no NTLM challenge");
            return;
        }
        answer.timestamp = ntlm::currentTimestamp();
        if (!letIn(state, connection.get("NTLM " + ntlm::authenticateMessage(*challenge, answer).toBase64())))
            return;
    }
}
BENCHMARK(BM_NtlmHandshake_Floor)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for Negotiate: the bare request, then the ticket's token from GSS-API, on one
// connection to the same Apache.
void BM_NegotiateHandshake_Floor(benchmark::State& state)
{
    if (!realmReady(state))
        return;
    const QUrl url = realm->url(QStringLiteral("/page.txt"));
    for (auto _ : state) {
        PlainConnection connection(url);
        const auto bare = connection.get({});
        if (!bare || bare->status != 401 || !bare->challenge.startsWith("Negotiate")) {
            state.SkipWithError("no Negotiate challenge");
            return;
        }
        QString failure;
        const auto token = gss::initialToken(url.host(), &failure);
        if (!token) {
            state.SkipWithError(failure.toStdString().c_str());
            return;
        }
        if (!letIn(state, connection.get("Negotiate " + token->toBase64())))
            return;
    }
}
BENCHMARK(BM_NegotiateHandshake_Floor)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // Nothing the benchmark saves reaches the desktop's keyring.
    CredentialStorage::install(std::make_unique<MemoryCredentialStorage>());
    if (const QString missing = KerberosRealm::missingPackage(); missing.isEmpty())
        realm = std::make_unique<KerberosRealm>();
    else
        std::fprintf(stderr, "Negotiate is not measured: %s\n", missing.toUtf8().constData());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    realm.reset();
    return 0;
}
