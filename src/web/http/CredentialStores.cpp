#include "web/http/CredentialStores.h"

#include "platform/CredentialStorage.h"

namespace {

// Ports agree when neither URL names one, or both name the same number.
bool samePort(const QUrl& entry, const QUrl& request)
{
    return entry.port(-1) == request.port(-1);
}

bool realmFits(const SessionEntry& entry, int responseStatusCode, const std::optional<QString>& realm)
{
    return responseStatusCode == 0 || !entry.authenticationRealm || entry.authenticationRealm == realm;
}

} // namespace

SessionCredentialStore& SessionCredentialStore::servers()
{
    static SessionCredentialStore store;
    return store;
}

SessionCredentialStore& SessionCredentialStore::proxies()
{
    static SessionCredentialStore store;
    return store;
}

void SessionCredentialStore::store(SessionEntry entry)
{
    std::lock_guard lock(mutex_);
    remove(entry.credentials);
    entries_.append(std::move(entry));
}

void SessionCredentialStore::remove(const CredentialsPtr& credentials)
{
    std::lock_guard lock(mutex_);
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_[i].credentials == credentials) {
            entries_.removeAt(i);
            return;
        }
    }
}

QList<SessionEntry> SessionCredentialStore::entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
}

void SessionCredentialStore::clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::optional<SessionEntry> SessionCredentialStore::findForServer(const QUrl& url, int responseStatusCode,
                                                                  const std::optional<QString>& realm) const
{
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_)
        if (entry.url == url && realmFits(entry, responseStatusCode, realm))
            return entry;
    for (const auto& entry : entries_) {
        if (entry.url.host() == url.host() && entry.url.scheme() == url.scheme() && samePort(entry.url, url)
            && realmFits(entry, responseStatusCode, realm))
            return entry;
    }
    return std::nullopt;
}

std::optional<SessionEntry> SessionCredentialStore::findForProxy(const QString& host, int port) const
{
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_)
        if (entry.host == host && entry.port == port)
            return entry;
    return std::nullopt;
}

PersistentCredentialStore& PersistentCredentialStore::shared()
{
    static PersistentCredentialStore store;
    return store;
}

void PersistentCredentialStore::saveForHost(const Credentials& credentials, const QString& host, int port,
                                            const QString& protocol, const QString& realm)
{
    CredentialStorage::shared().save({false, host, port, protocol, realm},
                                     {credentials.username, credentials.password});
}

void PersistentCredentialStore::saveForProxy(const Credentials& credentials, const QString& host, int port,
                                             const QString& realm)
{
    CredentialStorage::shared().save({true, host, port, QString(), realm},
                                     {credentials.username, credentials.password});
}

namespace {

std::optional<Credentials> credentialsIn(const CredentialSpace& space)
{
    const auto stored = CredentialStorage::shared().find(space);
    if (!stored)
        return std::nullopt;
    return Credentials {stored->user, stored->password, std::nullopt};
}

} // namespace

std::optional<Credentials> PersistentCredentialStore::savedForHost(const QString& host, int port,
                                                                   const QString& protocol, const QString& realm) const
{
    return credentialsIn({false, host, port, protocol, realm});
}

std::optional<Credentials> PersistentCredentialStore::savedForProxy(const QString& host, int port,
                                                                    const QString& realm) const
{
    return credentialsIn({true, host, port, QString(), realm});
}

void PersistentCredentialStore::removeForHost(const QString& host, int port, const QString& protocol,
                                              const QString& realm)
{
    CredentialStorage::shared().remove({false, host, port, protocol, realm});
}

void PersistentCredentialStore::removeForProxy(const QString& host, int port, const QString& realm)
{
    CredentialStorage::shared().remove({true, host, port, QString(), realm});
}

CookieStore& CookieStore::shared()
{
    static CookieStore store;
    return store;
}

QList<QNetworkCookie> CookieStore::cookiesForUrl(const QUrl& url) const
{
    std::lock_guard lock(mutex_);
    return QNetworkCookieJar::cookiesForUrl(url);
}

bool CookieStore::setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url)
{
    std::lock_guard lock(mutex_);
    return QNetworkCookieJar::setCookiesFromUrl(cookies, url);
}

bool CookieStore::deleteCookie(const QNetworkCookie& cookie)
{
    // The storage keeps a domain cookie's domain with a leading dot; the cookie handed in may
    // name it either way.
    auto bareDomain = [](QString domain) { return domain.startsWith(QLatin1Char('.')) ? domain.mid(1) : domain; };
    std::lock_guard lock(mutex_);
    bool deleted = false;
    for (const QNetworkCookie& stored : allCookies()) {
        if (stored.name() == cookie.name() && stored.path() == cookie.path()
            && bareDomain(stored.domain()).compare(bareDomain(cookie.domain()), Qt::CaseInsensitive) == 0)
            deleted = QNetworkCookieJar::deleteCookie(stored) || deleted;
    }
    return deleted;
}

QList<QNetworkCookie> CookieStore::allStoredCookies() const
{
    std::lock_guard lock(mutex_);
    return allCookies();
}

SessionCookies& SessionCookies::shared()
{
    static SessionCookies list;
    return list;
}

QList<QNetworkCookie> SessionCookies::cookies() const
{
    std::lock_guard lock(mutex_);
    return cookies_;
}

void SessionCookies::setCookies(const QList<QNetworkCookie>& cookies)
{
    std::lock_guard lock(mutex_);
    for (const auto& cookie : std::as_const(cookies_))
        CookieStore::shared().deleteCookie(cookie);
    cookies_ = cookies;
}

void SessionCookies::addCookie(const QNetworkCookie& cookie)
{
    std::lock_guard lock(mutex_);
    for (qsizetype i = 0; i < cookies_.size(); ++i) {
        const auto& listed = cookies_[i];
        if (listed.domain() == cookie.domain() && listed.path() == cookie.path() && listed.name() == cookie.name()) {
            cookies_.removeAt(i);
            break;
        }
    }
    cookies_.append(cookie);
}
