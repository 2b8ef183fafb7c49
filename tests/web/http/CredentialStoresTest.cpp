#include "web/http/CredentialStores.h"
#include "web/http/HTTPRequest.h"

#include <gtest/gtest.h>

namespace {

CredentialsPtr credentials(const QString& username)
{
    return std::make_shared<Credentials>(Credentials {username, QStringLiteral("secret"), std::nullopt});
}

SessionEntry serverEntry(const QString& url, CredentialsPtr stored, std::optional<QString> realm = std::nullopt)
{
    SessionEntry entry;
    entry.credentials = std::move(stored);
    entry.url = QUrl(url);
    entry.authenticationScheme = QStringLiteral("Basic");
    entry.authenticationRealm = std::move(realm);
    return entry;
}

class SessionStores : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SessionCredentialStore::servers().clear();
        SessionCredentialStore::proxies().clear();
    }
    void TearDown() override { SetUp(); }
};

} // namespace

TEST_F(SessionStores, TheSameCredentialsObjectReplacesItsEntryWhileEqualTextsStandBeside)
{
    auto& store = SessionCredentialStore::servers();
    const auto first = credentials(QStringLiteral("writer"));
    store.store(serverEntry(QStringLiteral("http://h/a"), first));
    store.store(serverEntry(QStringLiteral("http://h/b"), first));
    ASSERT_EQ(store.entries().size(), 1);
    EXPECT_EQ(store.entries().first().url, QUrl(QStringLiteral("http://h/b")));

    store.store(serverEntry(QStringLiteral("http://h/c"), credentials(QStringLiteral("writer"))));
    EXPECT_EQ(store.entries().size(), 2);

    // Removing goes by the object too, and takes one entry.
    store.remove(credentials(QStringLiteral("writer")));
    EXPECT_EQ(store.entries().size(), 2);
    store.remove(first);
    ASSERT_EQ(store.entries().size(), 1);
    EXPECT_EQ(store.entries().first().url, QUrl(QStringLiteral("http://h/c")));
}

TEST_F(SessionStores, ServerLookUpsTryTheVeryURLFirstThenTheSameSchemeHostAndPort)
{
    auto& store = SessionCredentialStore::servers();
    const auto exact = credentials(QStringLiteral("exact"));
    const auto exactLater = credentials(QStringLiteral("exact later"));
    const auto sameServer = credentials(QStringLiteral("same server"));
    const auto otherScheme = credentials(QStringLiteral("other scheme"));
    const auto noPort = credentials(QStringLiteral("no port"));
    store.store(serverEntry(QStringLiteral("http://story.example:8080/other"), sameServer, QStringLiteral("Films")));
    store.store(serverEntry(QStringLiteral("http://story.example:8080/cards"), exact, QStringLiteral("Films")));
    store.store(serverEntry(QStringLiteral("http://story.example:8080/cards"), exactLater, QStringLiteral("Films")));
    store.store(serverEntry(QStringLiteral("https://secure.example:8443/x"), otherScheme));
    store.store(serverEntry(QStringLiteral("http://plain.example/x"), noPort));

    const struct {
        const char* name;
        QString url;
        int status;
        std::optional<QString> realm;
        CredentialsPtr expected;
    } rows[] = {
        {"the very URL, stored first wins", QStringLiteral("http://story.example:8080/cards"), 401,
         QStringLiteral("Films"), exact},
        {"another path on the same server", QStringLiteral("http://story.example:8080/beats"), 401,
         QStringLiteral("Films"), sameServer},
        {"another realm after a challenge", QStringLiteral("http://story.example:8080/beats"), 401,
         QStringLiteral("Plays"), nullptr},
        {"any realm before a challenge", QStringLiteral("http://story.example:8080/beats"), 0,
         QStringLiteral("Plays"), sameServer},
        {"another port", QStringLiteral("http://story.example:8081/cards"), 0, std::nullopt, nullptr},
        {"same host and port under another scheme", QStringLiteral("http://secure.example:8443/x"), 0, std::nullopt,
         nullptr},
        {"an entry with a port never fits a URL without one", QStringLiteral("http://story.example/cards"), 0,
         std::nullopt, nullptr},
        {"neither names a port", QStringLiteral("http://plain.example/y"), 401, QStringLiteral("Any"), noPort},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto request = HTTPRequest::requestWithURL(QUrl(row.url));
        request->setResponseStatusCode(row.status);
        request->setAuthenticationRealm(row.realm);
        const auto found = request->findSessionAuthenticationCredentials();
        EXPECT_EQ(found ? found->credentials : nullptr, row.expected);
    }
}

TEST_F(SessionStores, ProxyLookUpsGoByHostAndPortAndClearingTheSessionLeavesThem)
{
    SessionEntry proxy;
    proxy.credentials = credentials(QStringLiteral("proxy user"));
    proxy.host = QStringLiteral("proxy.example");
    proxy.port = 3128;
    SessionCredentialStore::proxies().store(proxy);
    SessionCredentialStore::servers().store(serverEntry(QStringLiteral("http://h/"), credentials(QStringLiteral("w"))));

    auto request = HTTPRequest::requestWithURL(QUrl(QStringLiteral("http://h/")));
    request->setProxyHost(QStringLiteral("proxy.example"));
    request->setProxyPort(3128);
    ASSERT_TRUE(request->findSessionProxyAuthenticationCredentials());
    request->setProxyPort(8080);
    EXPECT_FALSE(request->findSessionProxyAuthenticationCredentials());

    HTTPRequest::clearSession();
    EXPECT_TRUE(SessionCredentialStore::servers().entries().isEmpty());
    EXPECT_EQ(SessionCredentialStore::proxies().entries().size(), 1);
}

TEST(PersistentCredentials, CredentialsAreKeptPerProtectionSpace)
{
    auto& store = PersistentCredentialStore::shared();
    const Credentials writer {QStringLiteral("writer"), QStringLiteral("pw"), std::nullopt};
    const Credentials editor {QStringLiteral("editor"), QStringLiteral("pw2"), std::nullopt};
    store.saveForHost(writer, QStringLiteral("h"), 80, QStringLiteral("http"), QStringLiteral("Films"));
    store.saveForHost(editor, QStringLiteral("h"), 80, QStringLiteral("http"), QStringLiteral("Films"));
    store.saveForProxy(writer, QStringLiteral("h"), 80, QStringLiteral("Films"));

    EXPECT_EQ(store.savedForHost(QStringLiteral("h"), 80, QStringLiteral("http"), QStringLiteral("Films"))->username,
              QStringLiteral("editor"));
    EXPECT_FALSE(store.savedForHost(QStringLiteral("h"), 80, QStringLiteral("https"), QStringLiteral("Films")));
    EXPECT_FALSE(store.savedForHost(QStringLiteral("h"), 81, QStringLiteral("http"), QStringLiteral("Films")));
    EXPECT_FALSE(store.savedForHost(QStringLiteral("h"), 80, QStringLiteral("http"), QStringLiteral("Plays")));
    EXPECT_EQ(
        store.savedForProxy(QStringLiteral("h"), 80, QStringLiteral("Films"))->username, QStringLiteral("writer"));

    store.removeForHost(QStringLiteral("h"), 80, QStringLiteral("http"), QStringLiteral("Films"));
    EXPECT_FALSE(store.savedForHost(QStringLiteral("h"), 80, QStringLiteral("http"), QStringLiteral("Films")));
    EXPECT_TRUE(store.savedForProxy(QStringLiteral("h"), 80, QStringLiteral("Films")));
    store.removeForProxy(QStringLiteral("h"), 80, QStringLiteral("Films"));
    EXPECT_FALSE(store.savedForProxy(QStringLiteral("h"), 80, QStringLiteral("Films")));
}

TEST(SessionCookieList, ACookieOfTheSameDomainPathAndNameReplacesTheListedOneAtTheEnd)
{
    auto& list = SessionCookies::shared();
    list.setCookies({});
    auto cookie = [](const char* name, const char* value, const char* path) {
        QNetworkCookie made(name, value);
        made.setDomain(QStringLiteral("story.example"));
        made.setPath(QString::fromLatin1(path));
        return made;
    };
    list.addCookie(cookie("reel", "1", "/"));
    list.addCookie(cookie("scene", "4", "/"));
    list.addCookie(cookie("reel", "1", "/cards"));
    list.addCookie(cookie("reel", "2", "/"));
    const QList<QNetworkCookie> cookies = list.cookies();
    ASSERT_EQ(cookies.size(), 3);
    EXPECT_EQ(cookies[0].name(), QByteArray("scene"));
    EXPECT_EQ(cookies[1].path(), QStringLiteral("/cards"));
    EXPECT_EQ(cookies[2].value(), QByteArray("2"));

    // Setting a new list takes the old cookies out of the shared storage.
    const QUrl url(QStringLiteral("http://story.example/"));
    CookieStore::shared().setCookiesFromUrl({cookie("reel", "2", "/")}, url);
    EXPECT_EQ(CookieStore::shared().cookiesForUrl(url).size(), 1);
    list.setCookies({});
    EXPECT_TRUE(CookieStore::shared().cookiesForUrl(url).isEmpty());
    EXPECT_TRUE(list.cookies().isEmpty());
}
