#include "web/http/HTTPRequest.h"
#include "web/http/ProxyAutoConfiguration.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

TEST(HTTPSettings, TheUserAgentNamesTheProgramItsVersionTheKernelAndTheLocale)
{
    const struct {
        const char* name;
        UserAgentInfo info;
        QString expected;
    } rows[] = {
        {"display name preferred", {QStringLiteral("Vantora"), QStringLiteral("vantora"), QStringLiteral("3.1"),
                                    QStringLiteral("3.1"), QStringLiteral("en_US"), QStringLiteral("6.1.0-13-amd64")},
         QStringLiteral("Vantora 3.1 (X11; Linux 6.1.0; en_US)")},
        {"versions differ", {QString(), QStringLiteral("Vantora"), QStringLiteral("3.1"), QStringLiteral("412"),
                             QStringLiteral("de_DE"), QStringLiteral("5.10.2")},
         QStringLiteral("Vantora 3.1 rv:412 (X11; Linux 5.10.2; de_DE)")},
        {"only a bundle version", {QString(), QStringLiteral("Vantora"), QString(), QStringLiteral("412"),
                                   QStringLiteral("fr_FR"), QStringLiteral("6.8")},
         QStringLiteral("Vantora 412 (X11; Linux 6.8.0; fr_FR)")},
        {"no name at all", {QString(), QString(), QStringLiteral("3.1"), QStringLiteral("3.1"), QStringLiteral("en_US"),
                            QStringLiteral("6.1.0")},
         QString()},
        {"unreadable kernel version", {QString(), QStringLiteral("Vantora"), QStringLiteral("3.1"), QString(),
                                       QStringLiteral("en_US"), QStringLiteral("unknown")},
         QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(HTTPRequest::userAgentString(row.info), row.expected);
        EXPECT_EQ(HTTPRequest::userAgentString(row.info).isNull(), row.expected.isNull());
    }
}

TEST(HTTPSettings, Base64IsPaddedWithoutLineBreaks)
{
    const struct {
        QByteArray data;
        QString expected;
    } rows[] = {
        {"", ""}, {"a", "YQ=="}, {"ab", "YWI="}, {"abc", "YWJj"}, {"writer:secret", "d3JpdGVyOnNlY3JldA=="},
        {QByteArray(100, '\xff'), QString(QStringLiteral("/").repeated(132) + QStringLiteral("/w=="))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.data.toStdString());
        EXPECT_EQ(HTTPRequest::base64forData(row.data), row.expected);
    }
}

TEST(HTTPSettings, DatesInTheFormsOfRfc1123AreRead)
{
    const QDateTime expected(QDate(1994, 11, 6), QTime(8, 49, 37), QTimeZone::utc());
    const struct {
        QString text;
        QDateTime date;
    } rows[] = {
        {QStringLiteral("Sun, 06 Nov 1994 08:49:37 GMT"), expected},
        {QStringLiteral("06 Nov 1994 08:49:37 GMT"), expected},
        {QStringLiteral("Sun, 06 Nov 1994 08:49 GMT"), QDateTime(QDate(1994, 11, 6), QTime(8, 49), QTimeZone::utc())},
        {QStringLiteral("Sunday, 06-Nov-94 08:49:37 GMT"), QDateTime()},
        {QStringLiteral("yesterday"), QDateTime()},
        {QString(), QDateTime()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(HTTPRequest::dateFromRFC1123String(row.text), row.date);
    }
}

TEST(HTTPSettings, ContentTypeGivesTheMimeTypeAndAKnownCharacterSet)
{
    const quint64 unchanged = 999;
    const struct {
        QString value;
        QString mimeType;
        quint64 encoding;
    } rows[] = {
        {QStringLiteral("text/html; charset=utf-8"), QStringLiteral("text/html"), StringEncoding::UTF8},
        {QStringLiteral("text/html"), QStringLiteral("text/html"), unchanged},
        {QStringLiteral(" text/plain ;charset=ISO-8859-1; format=flowed"), QStringLiteral("text/plain"),
         StringEncoding::ISOLatin1},
        {QStringLiteral("text/html; charset="), QStringLiteral("text/html"), unchanged},
        {QStringLiteral("text/html; charset=klingon-7"), QStringLiteral("text/html"), unchanged},
        {QStringLiteral("application/json; q=1"), QStringLiteral("application/json"), unchanged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value.toStdString());
        QString mimeType;
        quint64 encoding = unchanged;
        HTTPRequest::parseMimeType(&mimeType, &encoding, row.value);
        EXPECT_EQ(mimeType, row.mimeType);
        EXPECT_EQ(encoding, row.encoding);
    }
    QString untouched = QStringLiteral("kept");
    HTTPRequest::parseMimeType(&untouched, nullptr, QString());
    EXPECT_EQ(untouched, QStringLiteral("kept"));
}

TEST(HTTPSettings, MimeTypesComeFromTheExtensionOfAnExistingFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct {
        QString name;
        QString expected;
    } rows[] = {
        {QStringLiteral("story.txt"), QStringLiteral("text/plain")},
        {QStringLiteral("cover.png"), QStringLiteral("image/png")},
        {QStringLiteral("story.zzqx"), QStringLiteral("application/octet-stream")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        QFile file(folder.filePath(row.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        EXPECT_EQ(HTTPRequest::mimeTypeForFileAtPath(file.fileName()), row.expected);
    }
    EXPECT_TRUE(HTTPRequest::mimeTypeForFileAtPath(folder.filePath(QStringLiteral("absent.txt"))).isNull());
}

TEST(HTTPSettings, TheNetworkThreadIsMadeOnceHoweverManyAskAtOnce)
{
    std::vector<QThread*> seen(16, nullptr);
    std::vector<std::thread> askers;
    for (std::size_t i = 0; i < seen.size(); ++i)
        askers.emplace_back([&seen, i] { seen[i] = HTTPRequest::threadForRequest(nullptr); });
    for (auto& asker : askers)
        asker.join();
    const std::set<QThread*> distinct(seen.begin(), seen.end());
    ASSERT_EQ(distinct.size(), 1u);
    QThread* thread = *distinct.begin();
    EXPECT_TRUE(thread->isRunning());
    EXPECT_NE(thread, QThread::currentThread());
    EXPECT_EQ(HTTPRequest::sharedQueue().maxConcurrentOperationCount(), 4);
}

namespace {

QUrl writeScript(const QTemporaryDir& folder, const QString& name, const QString& text)
{
    QFile file(folder.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
    return QUrl::fromLocalFile(file.fileName());
}

} // namespace

TEST(ProxyAutoConfiguration, AScriptsAnswerBecomesTheProxyListAndABrokenScriptFailsWithCodeSix)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QUrl target(QStringLiteral("http://pages.example.com/story"));
    const QUrl proxied = writeScript(folder, QStringLiteral("proxy.pac"),
                                     QStringLiteral("function FindProxyForURL(url, host) {\n"
                                                    "  return 'PROXY 127.0.0.1:3128; DIRECT';\n}\n"));
    const auto list = ProxyAutoConfiguration::proxiesForURL(target, proxied);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2);
    EXPECT_EQ(list->at(0), (ProxyEntry {ProxyEntry::Type::Http, QStringLiteral("127.0.0.1"), 3128}));
    EXPECT_EQ(list->at(1), ProxyEntry {});

    auto request = HTTPRequest::requestWithURL(target);
    request->setPACurl(proxied);
    EXPECT_FALSE(request->configureProxy());
    EXPECT_EQ(request->proxyHost(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(request->proxyPort(), 3128);
    EXPECT_EQ(request->proxyType(), ProxyEntry::Type::Http);

    const QUrl direct = writeScript(folder, QStringLiteral("direct.pac"),
                                    QStringLiteral("function FindProxyForURL(url, host) { return 'DIRECT'; }"));
    auto directRequest = HTTPRequest::requestWithURL(target);
    directRequest->setPACurl(direct);
    EXPECT_FALSE(directRequest->configureProxy());
    EXPECT_TRUE(directRequest->proxyHost().isEmpty());

    const QUrl broken = writeScript(folder, QStringLiteral("broken.pac"),
                                    QStringLiteral("function FindProxyForURL(url, host) { return 'DIRECT' "));
    EXPECT_FALSE(ProxyAutoConfiguration::proxiesForURL(target, broken));
    auto brokenRequest = HTTPRequest::requestWithURL(target);
    brokenRequest->setPACurl(broken);
    const HTTPErrorPtr error = brokenRequest->configureProxy();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, HTTPError::InternalError);
    EXPECT_EQ(error->description, QStringLiteral("Unable to obtain information on proxy servers needed for request"));

    // A script that cannot be read gives an empty list: the request goes direct.
    const auto unread =
        ProxyAutoConfiguration::proxiesForURL(target, QUrl::fromLocalFile(folder.filePath(QStringLiteral("none.pac"))));
    ASSERT_TRUE(unread);
    EXPECT_TRUE(unread->isEmpty());
}

TEST(ProxyAutoConfiguration, TheHelperFunctionsOfScriptsAnswerAsScriptsExpect)
{
    const struct {
        const char* expression;
        const char* expected;
    } rows[] = {
        {"isPlainHostName('www')", "true"},
        {"isPlainHostName('www.example.com')", "false"},
        {"dnsDomainIs('www.example.com', '.example.com')", "true"},
        {"dnsDomainIs('www.other.org', '.example.com')", "false"},
        {"localHostOrDomainIs('www', 'www.example.com')", "true"},
        {"localHostOrDomainIs('home.example.com', 'www.example.com')", "false"},
        {"shExpMatch('http://example.com/scripts/x.pac', '*/scripts/*')", "true"},
        {"shExpMatch('example.com', '*.exa?ple.*')", "false"},
        {"shExpMatch('a.b', 'a?b')", "true"},
        {"isInNet('198.95.249.79', '198.95.249.79', '255.255.255.255')", "true"},
        {"isInNet('198.95.6.8', '198.95.0.0', '255.255.0.0')", "true"},
        {"isInNet('10.1.2.3', '198.95.0.0', '255.255.0.0')", "false"},
        {"dnsDomainLevels('www.example.com')", "2"},
        {"dnsResolve('127.0.0.1')", "127.0.0.1"},
        {"/^\\d+\\.\\d+\\.\\d+\\.\\d+$/.test(myIpAddress())", "true"},
        {"weekdayRange('SUN', 'SAT')", "true"},
        {"timeRange(0, 23)", "true"},
        {"dateRange('JAN', 'DEC')", "true"},
        {"dateRange(1, 31)", "true"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expression);
        const QString script = QStringLiteral("function FindProxyForURL(url, host) { return 'PROXY ' + String(%1) "
                                              "+ ':81'; }")
                                   .arg(QString::fromLatin1(row.expression));
        const auto list = ProxyAutoConfiguration::proxiesForScript(script, QUrl(QStringLiteral("http://h/")));
        ASSERT_TRUE(list);
        ASSERT_EQ(list->size(), 1);
        EXPECT_EQ(list->at(0).host, QString::fromLatin1(row.expected));
    }
}

TEST(ProxyAutoConfiguration, AnswersAreReadEntryByEntry)
{
    const auto entries = ProxyAutoConfiguration::parseAnswer(
        QStringLiteral("PROXY a.example:8080; SOCKS 10.0.0.1:1080;HTTPS s.example:443 ; BOGUS x:1; PROXY bad:port; "
                       "DIRECT"));
    const QList<ProxyEntry> expected {
        {ProxyEntry::Type::Http, QStringLiteral("a.example"), 8080},
        {ProxyEntry::Type::Socks, QStringLiteral("10.0.0.1"), 1080},
        {ProxyEntry::Type::Https, QStringLiteral("s.example"), 443},
        {},
    };
    EXPECT_EQ(entries, expected);
}

TEST(ProxyAutoConfiguration, AScriptThatNeverAnswersIsStoppedInTime)
{
    const QUrl target(QStringLiteral("http://pages.example.com/story"));
    const struct {
        const char* name;
        const char* script;
        bool ranOutOfTime;
        bool answered;
    } rows[] = {
        {"endless in its function", "function FindProxyForURL(url, host) { while (true) {} }", true, false},
        {"endless while loading", "for (;;) {}\nfunction FindProxyForURL(url, host) { return 'DIRECT'; }", true,
         false},
        {"endless recursion", "function FindProxyForURL(url, host) { return FindProxyForURL(url, host); }", false,
         false},
        {"a quick answer", "function FindProxyForURL(url, host) { return 'PROXY 127.0.0.1:3128'; }", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QElapsedTimer clock;
        clock.start();
        const ProxyScriptAnswer answer = ProxyAutoConfiguration::answerForScript(
            QString::fromUtf8(row.script), target, std::chrono::milliseconds(300));
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(answer.ranOutOfTime, row.ranOutOfTime);
        EXPECT_EQ(answer.proxies.has_value(), row.answered);
    }
}

TEST(ProxyAutoConfiguration, ARequestWhoseScriptNeverAnswersFailsWithCodeSixAndHoldsNoLockMeanwhile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QUrl endless = writeScript(folder, QStringLiteral("endless.pac"),
                                     QStringLiteral("function FindProxyForURL(url, host) { while (true) {} }"));
    auto request = HTTPRequest::requestWithURL(QUrl(QStringLiteral("http://127.0.0.1:9/story")));
    request->setTimeOutSeconds(60);
    request->setPACurl(endless);
    QElapsedTimer clock;
    clock.start();
    request->startAsynchronous();
    // While the script runs on the network thread, asking the request for its delegate or its
    // URL on this one answers at once.
    QTest::qWait(300);
    qint64 slowest = 0;
    while (clock.elapsed() < 3000) {
        QElapsedTimer ask;
        ask.start();
        (void)request->delegate();
        (void)request->url();
        slowest = std::max(slowest, ask.elapsed());
        QTest::qWait(20);
    }
    EXPECT_LT(slowest, 500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return request->isFinished(); }, 15000));
    EXPECT_LT(clock.elapsed(), 15000);
    const HTTPErrorPtr error = request->error();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, HTTPError::InternalError);
    EXPECT_EQ(error->description, QStringLiteral("Unable to obtain information on proxy servers needed for request"));
    EXPECT_EQ(error->failureReason,
              QStringLiteral("The proxy configuration script did not answer within 5 seconds and was stopped."));
}
