#include "Fetch.h"
#include "LoopbackServer.h"
#include "web/http/HTTPRequest.h"
#include "web/http/ProxyAutoConfiguration.h"
#include "support/TimeLimit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using Request = LoopbackServer::Request;

// Points the desktop at KDE with the kioslaverc text given, for the life of the object.
class KdeDesktop
{
public:
    explicit KdeDesktop(const QByteArray& kioslaverc)
    {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QDir().mkpath(folder);
        path_ = QDir(folder).filePath(QStringLiteral("kioslaverc"));
        QFile file(path_);
        written_ = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(kioslaverc) == kioslaverc.size();
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
    }
    ~KdeDesktop()
    {
        qunsetenv("XDG_CURRENT_DESKTOP");
        QFile::remove(path_);
    }
    bool written() const { return written_; }

private:
    QString path_;
    bool written_ = false;
};

// A proxy that answers every request itself, saying which target it was asked for.
LoopbackServer::Reply answerAsProxy(const Request& request)
{
    return LoopbackServer::answer("200 OK", "proxied " + request.requestLine.split(' ').value(1));
}

class DesktopProxy : public FreshSession
{
};

} // namespace

TEST_F(DesktopProxy, ARequestWithoutProxyGoesThroughTheDesktopsManualProxy)
{
    LoopbackServer proxy(answerAsProxy);
    KdeDesktop desktop("[Proxy Settings]\nProxyType=1\nhttpProxy=http://127.0.0.1:" + QByteArray::number(proxy.port())
                       + "\nNoProxyFor=127.0.0.1\n");
    ASSERT_TRUE(desktop.written());
    auto request = fetch(QUrl(QStringLiteral("http://story.invalid/pages")));
    ASSERT_EQ(errorCode(*request), 0) << request->error()->description.toStdString();
    EXPECT_EQ(request->responseString(), QStringLiteral("proxied http://story.invalid/pages"));
    EXPECT_EQ(request->proxyHost(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(request->proxyPort(), proxy.port());

    // A host the desktop passes over is reached directly.
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "direct"); });
    auto direct = fetch(server.url(QStringLiteral("/pages")));
    EXPECT_EQ(direct->responseString(), QStringLiteral("direct"));
    EXPECT_TRUE(direct->proxyHost().isEmpty());
    EXPECT_EQ(proxy.requests().size(), 1);

    // A proxy set on the request wins over the desktop's.
    LoopbackServer own(answerAsProxy);
    auto chosen = fetch(QUrl(QStringLiteral("http://story.invalid/own")), [&](HTTPRequest& r) {
        r.setProxyHost(QStringLiteral("127.0.0.1"));
        r.setProxyPort(own.port());
    });
    EXPECT_EQ(chosen->responseString(), QStringLiteral("proxied http://story.invalid/own"));
    EXPECT_EQ(proxy.requests().size(), 1);
}

TEST_F(DesktopProxy, TheDesktopsScriptIsFetchedOnceAndFollowed)
{
    LoopbackServer proxy(answerAsProxy);
    PageServer scripts;
    scripts.answer("/proxy.pac", "200 OK",
                   "function FindProxyForURL(url, host) { return host == '127.0.0.1' ? 'DIRECT' : 'PROXY 127.0.0.1:"
                       + QByteArray::number(proxy.port()) + "'; }");
    KdeDesktop desktop("[Proxy Settings]\nProxyType=2\nProxy Config Script=" + scripts.base().toUtf8()
                       + "/proxy.pac\n");
    ASSERT_TRUE(desktop.written());
    for (const QString& page : {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}) {
        auto request = fetch(QUrl(QStringLiteral("http://story.invalid/") + page));
        ASSERT_EQ(errorCode(*request), 0) << request->error()->description.toStdString();
        EXPECT_EQ(request->responseString(), QStringLiteral("proxied http://story.invalid/") + page);
    }
    auto direct = fetch(QUrl(scripts.base() + QStringLiteral("/proxy.pac")));
    EXPECT_TRUE(direct->responseString().startsWith(QStringLiteral("function")));
    EXPECT_TRUE(direct->proxyHost().isEmpty());
    // Three look-ups through the script and the direct request: the script was fetched once.
    EXPECT_EQ(scripts.targets(), (QList<QByteArray> {"/proxy.pac", "/proxy.pac"}));
    EXPECT_EQ(proxy.requests().size(), 3);
}

TEST_F(DesktopProxy, AScriptAddressThatFailsOrStallsGivesNoProxyWithinTheLimit)
{
    LoopbackServer stalling([](const Request&) {
        LoopbackServer::Reply reply
            = LoopbackServer::answer("200 OK", "function FindProxyForURL() { return 'DIRECT'; }");
        reply.delayMs = 3000;
        return reply;
    });
    PageServer missing;
    const QUrl target(QStringLiteral("http://story.invalid/"));
    const struct {
        const char* name;
        QUrl script;
    } rows[] = {
        {"stalls", stalling.url(QStringLiteral("/slow.pac"))},
        {"not found", QUrl(missing.base() + QStringLiteral("/none.pac"))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QElapsedTimer clock;
        clock.start();
        const auto answer = ProxyAutoConfiguration::answerForURL(target, row.script, std::chrono::milliseconds(300));
        EXPECT_LT(clock.elapsed(), TestTime::limitMs(2000));
        ASSERT_TRUE(answer.proxies);
        EXPECT_TRUE(answer.proxies->isEmpty());
    }
    // A failed fetch is kept a while: the address is asked again only after that.
    ProxyAutoConfiguration::answerForURL(target, rows[1].script, std::chrono::milliseconds(300));
    EXPECT_EQ(missing.targets().size(), 1);
    ProxyAutoConfiguration::fetchedScript(rows[1].script, std::chrono::milliseconds(300), std::chrono::milliseconds(0));
    EXPECT_EQ(missing.targets().size(), 2);

    // Requests through a desktop whose script address never answers: the main thread goes on
    // while the first waits for the script (a timer fires on time), both go direct, and the
    // second does not wait again.
    LoopbackServer silent([](const Request&) {
        LoopbackServer::Reply reply;
        reply.silent = true;
        return reply;
    });
    LoopbackServer pages([](const Request&) { return LoopbackServer::answer("200 OK", "direct"); });
    KdeDesktop desktop("[Proxy Settings]\nProxyType=2\nProxy Config Script="
                       + silent.url(QStringLiteral("/proxy.pac")).toEncoded() + "\n");
    ASSERT_TRUE(desktop.written());
    for (const char* which : {"first request", "second request"}) {
        SCOPED_TRACE(which);
        auto request = HTTPRequest::requestWithURL(pages.url(QStringLiteral("/pages")));
        request->setTimeOutSeconds(20);
        QElapsedTimer clock;
        clock.start();
        qint64 timerFired = -1;
        QObject timerContext;
        QTimer::singleShot(300, &timerContext, [&] { timerFired = clock.elapsed(); });
        request->startAsynchronous();
        ASSERT_TRUE(QTest::qWaitFor([&] { return request->isFinished() && timerFired >= 0; },
                                    int(TestTime::limitMs(20000))));
        EXPECT_LT(timerFired, TestTime::limitMs(1000));
        EXPECT_EQ(errorCode(*request), 0);
        EXPECT_EQ(request->responseString(), QStringLiteral("direct"));
        if (std::string(which) == "second request") {
            EXPECT_LT(clock.elapsed(), TestTime::limitMs(1000));
        }
    }
    EXPECT_EQ(silent.requests().size(), 1);
}
