// One authenticated request from its first challenge to the page, over the loopback: NTLM
// (negotiate, challenge, answer on one connection) and Negotiate (a Kerberos ticket from a
// throw-away realm, checked by Apache) each beside the floor of the same request with Basic on
// the same server. Every iteration starts with empty session stores, so each runs the whole
// handshake.
#include "KerberosRealm.h"
#include "LoopbackServer.h"
#include "NtlmServer.h"
#include "platform/CredentialStorage.h"
#include "web/http/HTTPRequest.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

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

// Fetches a page of the realm's Apache in every iteration.
void fetchFromRealm(benchmark::State& state, const QString& path)
{
    if (!realm || !realm->ready()) {
        state.SkipWithError(realm ? realm->failure().toStdString().c_str() : "no Kerberos realm");
        return;
    }
    const QUrl url = realm->url(path);
    for (auto _ : state)
        if (!fetchOnce(state, url))
            return;
}

void BM_NegotiateHandshake(benchmark::State& state)
{
    fetchFromRealm(state, QStringLiteral("/page.txt"));
}
BENCHMARK(BM_NegotiateHandshake)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same request answered with Basic after its challenge.
void BM_NtlmHandshake_Floor(benchmark::State& state)
{
    LoopbackServer server([](const Request& request) {
        if (request.headers.value("authorization") == "Basic " + QByteArray("writer:secret").toBase64())
            return LoopbackServer::answer("200 OK", "let in");
        return LoopbackServer::answer("401 Unauthorized", "keep out", "WWW-Authenticate: Basic realm=\"Films\"\r\n");
    });
    const QUrl url = server.url(QStringLiteral("/page.txt"));
    for (auto _ : state)
        if (!fetchOnce(state, url))
            return;
}
BENCHMARK(BM_NtlmHandshake_Floor)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for Negotiate: the same Apache answering Basic after its challenge.
void BM_NegotiateHandshake_Floor(benchmark::State& state)
{
    fetchFromRealm(state, QStringLiteral("/basic/page.txt"));
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
