#include "Fetch.h"
#include "LoopbackServer.h"
#include "web/http/HTTPRequest.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Reply = LoopbackServer::Reply;
using Request = LoopbackServer::Request;

const QString kSecureFailure =
    QStringLiteral("A connection failure occurred: SSL problem (possibly a bad/expired/self-signed certificate)");

// A certificate authority, an intermediate it issued, and two client certificates: "Screenwriter"
// issued by the authority itself, "Script Editor" by the intermediate. Elliptic-curve keys keep
// the openssl runs short.
struct ClientCertificates {
    QTemporaryDir folder;
    QString authorityPath;
    QSslCertificate intermediate;
    ClientIdentity direct;
    ClientIdentity underIntermediate;
    ServerCertificate server;

    bool make()
    {
        auto openssl = [&](const QString& command, const QString& subject = {}) {
            QStringList arguments = command.split(QLatin1Char(' '));
            if (!subject.isEmpty())
                arguments << QStringLiteral("-subj") << subject;
            return runOpenssl(folder.path(), arguments);
        };
        const QString ecKey = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes");
        auto request = [&](const QString& name, const QString& subject) {
            return openssl(QStringLiteral("req %1 -keyout %2.key -out %2.csr").arg(ecKey, name), subject);
        };
        auto issue = [&](const QString& name, const QString& issuer, const QString& extensions, int serial) {
            QFile file(folder.filePath(name + QStringLiteral(".ext")));
            if (!file.open(QIODevice::WriteOnly) || file.write(extensions.toLatin1()) < 0)
                return false;
            file.close();
            return openssl(QStringLiteral("x509 -req -in %1.csr -CA %2.pem -CAkey %2.key -set_serial %3 -days 1 "
                                          "-extfile %1.ext -out %1.pem")
                               .arg(name, issuer, QString::number(serial)));
        };
        const QString authority = QStringLiteral("basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign\n");
        const QString client = QStringLiteral("basicConstraints=CA:FALSE\nextendedKeyUsage=clientAuth\n");
        const bool made
            = openssl(QStringLiteral("req -x509 %1 -keyout authority.key -out authority.pem -days 1").arg(ecKey),
                      QStringLiteral("/CN=Test Authority"))
              && request(QStringLiteral("intermediate"), QStringLiteral("/CN=Test Intermediate"))
              && issue(QStringLiteral("intermediate"), QStringLiteral("authority"), authority, 2)
              && request(QStringLiteral("direct"), QStringLiteral("/CN=Screenwriter"))
              && issue(QStringLiteral("direct"), QStringLiteral("authority"), client, 3)
              && request(QStringLiteral("indirect"), QStringLiteral("/CN=Script Editor"))
              && issue(QStringLiteral("indirect"), QStringLiteral("intermediate"), client, 4);
        if (!made || !server.made)
            return false;
        authorityPath = folder.filePath(QStringLiteral("authority.pem"));
        intermediate = certificate(QStringLiteral("intermediate"));
        direct = identity(QStringLiteral("direct"));
        underIntermediate = identity(QStringLiteral("indirect"));
        return !intermediate.isNull() && !direct.certificate.isNull() && !direct.privateKey.isNull()
               && !underIntermediate.certificate.isNull() && !underIntermediate.privateKey.isNull();
    }

    QSslCertificate certificate(const QString& name) const
    {
        return QSslCertificate::fromPath(folder.filePath(name + QStringLiteral(".pem"))).value(0);
    }
    ClientIdentity identity(const QString& name) const
    {
        QFile key(folder.filePath(name + QStringLiteral(".key")));
        if (!key.open(QIODevice::ReadOnly))
            return ClientIdentity();
        return ClientIdentity {certificate(name), QSslKey(key.readAll(), QSsl::Ec)};
    }
};

// Sets an environment variable for the life of the object.
class EnvironmentSetting
{
public:
    EnvironmentSetting(const char* name, const QByteArray& value) : name_(name) { qputenv(name, value); }
    ~EnvironmentSetting() { qunsetenv(name_); }
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

private:
    const char* name_;
};

} // namespace

TEST(SecureConnections, AServerThatAsksForACertificateTakesOnlyOnesItsAuthorityIssued)
{
    ClientCertificates made;
    ASSERT_TRUE(made.make());
    LoopbackServer server(
        [](const Request& request) { return LoopbackServer::answer("200 OK", request.clientName.toUtf8()); },
        made.server.certificatePath, made.server.keyPath, made.authorityPath);
    const std::optional<ClientIdentity> none;
    const struct {
        const char* name;
        std::optional<ClientIdentity> identity;
        QList<QSslCertificate> chain;
        bool copied;
        QString presented; // the name the server read; empty when it refused the connection
    } rows[] = {
        {"issued by the authority", made.direct, {}, false, QStringLiteral("Screenwriter")},
        // Comes after a success, so a kept connection would have let it in unasked.
        {"no certificate", none, {}, false, {}},
        {"issued by an intermediate, sent alone", made.underIntermediate, {}, false, {}},
        {"issued by an intermediate, sent with it", made.underIntermediate, {made.intermediate}, false,
         QStringLiteral("Script Editor")},
        {"the intermediate without an identity", none, {made.intermediate}, false, {}},
        {"a copy of a request presents its identity", made.direct, {}, true, QStringLiteral("Screenwriter")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = server.requests().size();
        auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/who"), QStringLiteral("https")));
        request->setTimeOutSeconds(5);
        request->setValidatesSecureCertificate(false);
        request->setClientCertificateIdentity(row.identity);
        request->setClientCertificates(row.chain);
        if (row.copied)
            request = request->copy();
        request->startSynchronous();
        if (row.presented.isEmpty()) {
            EXPECT_EQ(errorCode(*request), HTTPError::ConnectionFailure);
            EXPECT_EQ(server.requests().size(), before);
        } else {
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(request->responseString(), row.presented);
        }
    }
}

TEST(SecureConnections, AServerThatRefusesTheClientInTheHandshakeIsASecureConnectionProblem)
{
    ClientCertificates made;
    ASSERT_TRUE(made.make());
    // openssl's own test server refuses a client without a good certificate with a fatal alert,
    // as servers commonly do; it answers the others with a status page.
    QProcess server;
    server.setWorkingDirectory(made.folder.path());
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("openssl"),
                 {QStringLiteral("s_server"), QStringLiteral("-accept"), QStringLiteral("127.0.0.1:0"),
                  QStringLiteral("-cert"), made.server.certificatePath,
                  QStringLiteral("-key"), made.server.keyPath,
                  QStringLiteral("-Verify"), QStringLiteral("2"), QStringLiteral("-verify_return_error"),
                  QStringLiteral("-CAfile"), made.authorityPath, QStringLiteral("-www")});
    QByteArray said;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            said += server.readAll();
            return said.contains("ACCEPT 127.0.0.1:") && said.indexOf('\n', said.indexOf("ACCEPT")) > 0;
        },
        10000))
        << said.toStdString();
    const qsizetype at = said.indexOf("ACCEPT 127.0.0.1:") + 17;
    const int port = said.mid(at, said.indexOf('\n', at) - at).trimmed().toInt();
    ASSERT_GT(port, 0);
    const struct {
        const char* name;
        std::optional<ClientIdentity> identity;
        bool succeeds;
    } rows[] = {
        {"no certificate", std::nullopt, false},
        {"issued by the authority", made.direct, true},
        {"issued by an intermediate, sent alone", made.underIntermediate, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto request = fetch(QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(port)), [&](HTTPRequest& r) {
            r.setTimeOutSeconds(5);
            r.setValidatesSecureCertificate(false);
            r.setClientCertificateIdentity(row.identity);
        });
        if (row.succeeds) {
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(request->responseStatusCode(), 200);
        } else {
            ASSERT_TRUE(request->error());
            EXPECT_EQ(request->error()->description, kSecureFailure);
        }
    }
    server.kill();
    server.waitForFinished();
}

TEST(SecureConnections, AConnectionOpenedWithoutCheckingIsNeverLentToARequestThatChecks)
{
    const ServerCertificate tls;
    ASSERT_TRUE(tls.made);
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "draft"); },
                          tls.certificatePath, tls.keyPath);
    const struct {
        const char* name;
        bool validates;
        bool succeeds;
    } rows[] = {
        {"not checking", false, true},
        {"checking after it", true, false},
        {"not checking again", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto request = fetch(server.url(QStringLiteral("/draft"), QStringLiteral("https")),
                             [&](HTTPRequest& r) { r.setValidatesSecureCertificate(row.validates); });
        if (row.succeeds) {
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(request->responseString(), QStringLiteral("draft"));
        } else {
            ASSERT_TRUE(request->error());
            EXPECT_EQ(request->error()->description, kSecureFailure);
        }
    }
    EXPECT_EQ(server.requests().size(), 2);
}

TEST(SocksProxies, RequestsReachTheirServerThroughTheTunnelAndKeepIt)
{
    const ServerCertificate tls;
    ASSERT_TRUE(tls.made);
    auto echo = [](const Request& request) {
        return LoopbackServer::answer("200 OK", request.requestLine + "|" + request.headers.value("host"));
    };
    LoopbackServer plain(echo);
    LoopbackServer secure(echo, tls.certificatePath, tls.keyPath);
    LoopbackSocksProxy proxy([&](const QString& host, quint16 port) -> quint16 {
        if (host != QLatin1String("story.invalid"))
            return 0;
        return port == 8080 ? plain.port() : port == 8443 ? secure.port() : 0;
    });
    const QString proxyAddress = QStringLiteral("127.0.0.1:%1").arg(proxy.port());
    const QUrl script = QUrl::fromLocalFile(tls.folder.filePath(QStringLiteral("socks.pac")));
    {
        QFile file(script.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("function FindProxyForURL(url, host) { return 'SOCKS %1'; }").arg(proxyAddress).toUtf8());
    }
    enum class Setting { Request, Script, Environment };
    const struct {
        const char* name;
        Setting setting;
        QString url;
        QByteArray requestLine;
        QByteArray host;
        int newTunnels; // a route an earlier row took keeps its connection
    } rows[] = {
        {"plain, set on the request", Setting::Request, QStringLiteral("http://story.invalid:8080/cards?act=1"),
         "GET /cards?act=1 HTTP/1.1", "story.invalid:8080", 1},
        {"secure, set on the request", Setting::Request, QStringLiteral("https://story.invalid:8443/cards"),
         "GET /cards HTTP/1.1", "story.invalid:8443", 1},
        {"plain, from a script", Setting::Script, QStringLiteral("http://story.invalid:8080/beats"),
         "GET /beats HTTP/1.1", "story.invalid:8080", 0},
        {"secure, from the environment", Setting::Environment, QStringLiteral("https://story.invalid:8443/notes"),
         "GET /notes HTTP/1.1", "story.invalid:8443", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<EnvironmentSetting> environment;
        if (row.setting == Setting::Environment)
            environment.emplace("all_proxy", QByteArray("socks5://") + proxyAddress.toLatin1());
        const int tunnelsBefore = proxy.acceptedConnections();
        const QUrl url(row.url);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            auto request = fetch(url, [&](HTTPRequest& r) {
                r.setValidatesSecureCertificate(false);
                if (row.setting == Setting::Request) {
                    r.setProxyHost(QStringLiteral("127.0.0.1"));
                    r.setProxyPort(proxy.port());
                    r.setProxyType(ProxyEntry::Type::Socks);
                } else if (row.setting == Setting::Script) {
                    r.setPACurl(script);
                }
            });
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(request->responseString().toUtf8(), row.requestLine + "|" + row.host);
            EXPECT_EQ(request->proxyType(), ProxyEntry::Type::Socks);
        }
        // The second request went through the tunnel the first one took.
        EXPECT_EQ(proxy.acceptedConnections(), tunnelsBefore + row.newTunnels);
    }
    EXPECT_EQ(plain.acceptedConnections(), 1);
    EXPECT_EQ(secure.acceptedConnections(), 1);
    // The proxy was asked for the names, to look them up itself.
    EXPECT_EQ(proxy.destinations(),
              (QStringList {QStringLiteral("story.invalid:8080"), QStringLiteral("story.invalid:8443")}));

    auto refused = fetch(QUrl(QStringLiteral("http://nowhere.invalid/cards")), [&](HTTPRequest& r) {
        r.setProxyHost(QStringLiteral("127.0.0.1"));
        r.setProxyPort(proxy.port());
        r.setProxyType(ProxyEntry::Type::Socks);
    });
    EXPECT_EQ(errorCode(*refused), HTTPError::ConnectionFailure);
    EXPECT_EQ(proxy.destinations().last(), QStringLiteral("nowhere.invalid:80"));
}

TEST(TimeOuts, AnUploadStillInItsFirstBufferIsGivenHalfAsLongAgain)
{
    constexpr double kTimeOut = 1.6;
    LoopbackServer server([](const Request& request) {
        Reply reply = LoopbackServer::answer("200 OK", "late");
        if (request.requestLine.contains("/never"))
            reply.silent = true;
        else
            reply.delayMs = 2100; // past the time-out, within one and a half times it
        return reply;
    });
    const struct {
        const char* name;
        const char* path;
        QByteArray body;
        bool answered;
        double earliestFailure; // in time-outs
    } rows[] = {
        {"no body: the time-out holds", "/late", {}, false, 1.0},
        {"a body within the first buffer waits longer", "/late", "INT. OFFICE - DAY", true, 0},
        {"a body within the first buffer still times out", "/never", "INT. OFFICE - DAY", false, 1.5},
    };
    QElapsedTimer clock;
    clock.start();
    std::vector<std::shared_ptr<HTTPRequest>> requests;
    std::vector<qint64> endedAt(std::size(rows), -1);
    for (size_t i = 0; i < std::size(rows); ++i) {
        auto request = HTTPRequest::requestWithURL(server.url(QString::fromLatin1(rows[i].path)));
        request->setTimeOutSeconds(kTimeOut);
        request->appendPostData(rows[i].body);
        request->setCompletionBlock([&endedAt, &clock, i] { endedAt[i] = clock.elapsed(); });
        request->setFailedBlock([&endedAt, &clock, i] { endedAt[i] = clock.elapsed(); });
        request->startAsynchronous();
        requests.push_back(request);
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::all_of(endedAt.begin(), endedAt.end(), [](qint64 at) { return at >= 0; }); }, 10000));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        if (rows[i].answered) {
            ASSERT_FALSE(requests[i]->error()) << requests[i]->error()->description.toStdString();
            EXPECT_EQ(requests[i]->responseString(), QStringLiteral("late"));
        } else {
            EXPECT_EQ(requests[i]->error(), HTTPError::requestTimedOut());
            EXPECT_GE(endedAt[i], qint64(rows[i].earliestFailure * kTimeOut * 1000));
        }
    }
}
