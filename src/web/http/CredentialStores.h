#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>

class HttpAuthentication;

// A user name and password, with the account domain for schemes that need one. Stores compare
// credentials by identity (the same object), never by their texts.
struct Credentials {
    QString username;
    QString password;
    std::optional<QString> domain;
};
using CredentialsPtr = std::shared_ptr<const Credentials>;

// Credentials that worked during this run, for a server (url, realm) or for a proxy (host, port).
struct SessionEntry {
    // What the credentials were applied with after a challenge; none for credentials sent ahead.
    std::shared_ptr<HttpAuthentication> authentication;
    CredentialsPtr credentials;
    QString authenticationScheme;
    // Server entries.
    QUrl url;
    std::optional<QString> authenticationRealm;
    // Proxy entries.
    QString host;
    int port = 0;
};

// The process-wide session credential stores: one for servers, one for proxies. Entries keep
// the order they were stored in; a look-up takes the first that fits. Thread-safe.
class SessionCredentialStore
{
public:
    static SessionCredentialStore& servers();
    static SessionCredentialStore& proxies();

    // Replaces the entry holding the very same credentials object, else appends.
    void store(SessionEntry entry);
    // Removes the first entry holding the very same credentials object.
    void remove(const CredentialsPtr& credentials);
    QList<SessionEntry> entries() const;
    void clear();

    // The server entry for a request: first one stored for the very URL, then one for the same
    // scheme, host and port; in both passes only when the realm fits (any realm before a
    // challenge, that is with status 0).
    std::optional<SessionEntry> findForServer(const QUrl& url, int responseStatusCode,
                                              const std::optional<QString>& realm) const;
    std::optional<SessionEntry> findForProxy(const QString& host, int port) const;

private:
    mutable std::recursive_mutex mutex_;
    QList<SessionEntry> entries_;
};

// Where credentials are kept across requests and runs by protection space: the platform's
// credential storage (the desktop's Secret Service, or memory when there is none).
class PersistentCredentialStore
{
public:
    static PersistentCredentialStore& shared();

    void saveForHost(const Credentials& credentials, const QString& host, int port, const QString& protocol,
                     const QString& realm);
    void saveForProxy(const Credentials& credentials, const QString& host, int port, const QString& realm);
    std::optional<Credentials> savedForHost(const QString& host, int port, const QString& protocol,
                                            const QString& realm) const;
    std::optional<Credentials> savedForProxy(const QString& host, int port, const QString& realm) const;
    void removeForHost(const QString& host, int port, const QString& protocol, const QString& realm);
    void removeForProxy(const QString& host, int port, const QString& realm);
};

// The process-wide cookie storage, shared by every request that keeps cookies.
class CookieStore : public QNetworkCookieJar
{
public:
    static CookieStore& shared();

    QList<QNetworkCookie> cookiesForUrl(const QUrl& url) const override;
    bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;
    QList<QNetworkCookie> allStoredCookies() const;

private:
    mutable std::recursive_mutex mutex_;
};

// The cookies the layer put into the shared storage during this run: at most one for each
// domain, path and name, the newest at the end.
class SessionCookies
{
public:
    static SessionCookies& shared();

    QList<QNetworkCookie> cookies() const;
    // Deletes every listed cookie from the shared storage and keeps the new list.
    void setCookies(const QList<QNetworkCookie>& cookies);
    void addCookie(const QNetworkCookie& cookie);

private:
    mutable std::recursive_mutex mutex_;
    QList<QNetworkCookie> cookies_;
};
