#include "web/http/HTTPRequest.h"
#include "web/http/HttpAuthentication.h"
#include "web/http/HttpReadStream.h"

namespace {

// Held while a request looks for user-name-and-password credentials, so that requests
// challenged at the same time ask one after another and find what the one before supplied.
std::recursive_mutex& credentialPromptLock()
{
    static std::recursive_mutex lock;
    return lock;
}

} // namespace

void HTTPRequest::addBasicAuthenticationHeaderWithUsername(const QString& username, const QString& password)
{
    addRequestHeader(QStringLiteral("Authorization"),
                     QStringLiteral("Basic ") + base64forData((username + QLatin1Char(':') + password).toUtf8()));
}

std::optional<Credentials> HTTPRequest::findCredentials(bool proxy)
{
    const QUrl target = url();
    // A request sent ahead of its main one borrows the main request's credentials only while it
    // asks the main request's own server: redirected to another, it has none to give there.
    auto main = mainRequest();
    if (main && !proxy && !isSameServer(target, main->url()))
        main.reset();
    QString user;
    QString secret;
    if (!proxy && !target.userName().isEmpty() && !target.password().isEmpty()) {
        user = target.userName();
        secret = target.password();
    } else if (main && !(proxy ? main->proxyUsername() : main->username()).isEmpty()
               && !(proxy ? main->proxyPassword() : main->password()).isEmpty()) {
        user = proxy ? main->proxyUsername() : main->username();
        secret = proxy ? main->proxyPassword() : main->password();
    } else if (!(proxy ? proxyUsername() : username()).isEmpty() && !(proxy ? proxyPassword() : password()).isEmpty()) {
        user = proxy ? proxyUsername() : username();
        secret = proxy ? proxyPassword() : password();
    } else if (proxy || useKeychainPersistence()) {
        auto& store = PersistentCredentialStore::shared();
        const auto saved =
            proxy ? store.savedForProxy(proxyHost(), proxyPort(), proxyAuthenticationRealm().value_or(QString()))
                  : store.savedForHost(target.host(), target.port(0), target.scheme(),
                                       authenticationRealm().value_or(QString()));
        if (saved) {
            user = saved->username;
            secret = saved->password;
        }
    }
    if (user.isEmpty() || secret.isEmpty())
        return std::nullopt;
    std::optional<QString> accountDomain;
    const auto authentication = proxy ? proxyAuthentication_ : requestAuthentication_;
    if (authentication && authentication->requiresAccountDomain())
        accountDomain = proxy ? proxyDomain() : domain();
    return Credentials {user, secret, accountDomain};
}

bool HTTPRequest::applyCredentials(const CredentialsPtr& credentials, bool proxy)
{
    if (proxy)
        setProxyAuthenticationRetryCount(proxyAuthenticationRetryCount() + 1);
    else
        setAuthenticationRetryCount(authenticationRetryCount() + 1);
    const auto authentication = proxy ? proxyAuthentication_ : requestAuthentication_;
    if (!credentials || !authentication || !requestMessage_)
        return false;
    auto& store = proxy ? SessionCredentialStore::proxies() : SessionCredentialStore::servers();
    if (!authentication->apply(*requestMessage_, *credentials, requestMethod(), proxy)) {
        store.remove(credentials);
        return false;
    }
    const QUrl target = url();
    if (!proxy && useKeychainPersistence())
        PersistentCredentialStore::shared().saveForHost(*credentials, target.host(), target.port(0), target.scheme(),
                                                         authenticationRealm().value_or(QString()));
    else if (proxy && useKeychainPersistence())
        PersistentCredentialStore::shared().saveForProxy(*credentials, proxyHost(), proxyPort(),
                                                          proxyAuthenticationRealm().value_or(QString()));
    if (useSessionPersistence()) {
        SessionEntry entry;
        entry.authentication = authentication;
        entry.credentials = credentials;
        entry.authenticationScheme = authentication->scheme();
        if (proxy) {
            entry.host = proxyHost();
            entry.port = proxyPort();
        } else {
            entry.url = target;
            entry.authenticationRealm = authenticationRealm();
        }
        store.store(entry);
    }
    if (proxy)
        setProxyCredentials(credentials);
    else
        setRequestCredentials(credentials);
    return true;
}

bool HTTPRequest::willAskDelegateForCredentials(bool proxy)
{
    const auto operation = proxy ? HTTPRequestDelegate::Operation::ProxyAuthenticationNeeded
                                 : HTTPRequestDelegate::Operation::AuthenticationNeeded;
    std::shared_ptr<HTTPRequestDelegate> target = delegate();
    if (!target)
        target = queue();
    bool hasBlock = false;
    {
        std::lock_guard lock(propertyMutex_);
        hasBlock = bool(proxy ? blocks_.proxyAuthenticationNeeded : blocks_.authenticationNeeded);
    }
    if (!(target && target->implements(operation)) && !hasBlock)
        return false;
    auto self = sharedFromThis();
    performOnMainThread([self, proxy, operation] {
        std::shared_ptr<HTTPRequestDelegate> asked = self->delegate();
        if (!asked)
            asked = self->queue();
        if (asked && asked->implements(operation)) {
            if (proxy)
                asked->proxyAuthenticationNeededForRequest(self.get());
            else
                asked->authenticationNeededForRequest(self.get());
            return;
        }
        Block block;
        {
            std::lock_guard lock(self->propertyMutex_);
            block = proxy ? self->blocks_.proxyAuthenticationNeeded : self->blocks_.authenticationNeeded;
        }
        if (block)
            block();
    });
    return true;
}

void HTTPRequest::attemptToApplyCredentialsAndResume()
{
    if (error() || isCancelled())
        return;
    resumeAfterChallenge(authenticationNeeded() == 2);
}

void HTTPRequest::attemptToApplyProxyCredentialsAndResume()
{
    if (error() || isCancelled())
        return;
    resumeAfterChallenge(true);
}

void HTTPRequest::resumeAfterChallenge(bool proxy)
{
    std::shared_ptr<HttpAuthentication>& authentication = proxy ? proxyAuthentication_ : requestAuthentication_;
    const auto head = lastResponseHead_;
    bool valid = true;
    if (!authentication) {
        authentication = head ? HttpAuthentication::fromResponse(*head, proxy) : nullptr;
        if (!authentication) {
            cancelLoad();
            failWithError(HTTPError::make(HTTPError::CredentialsNotApplicable,
                                          QStringLiteral("Failed to get authentication object from response headers")));
            return;
        }
    } else if (head) {
        valid = authentication->isValidFor(*head, proxy);
    }
    if (proxy) {
        setProxyAuthenticationScheme(authentication->scheme());
        setProxyAuthenticationRealm(authentication->requiresAccountDomain() ? std::nullopt : authentication->realm());
    } else {
        setAuthenticationScheme(authentication->scheme());
        setAuthenticationRealm(authentication->requiresAccountDomain() ? std::nullopt : authentication->realm());
    }
    const QString applyFailure = proxy ? QStringLiteral("Failed to apply proxy credentials to request")
                                       : QStringLiteral("Failed to apply credentials to request");
    auto sessionEntry = [&] {
        return proxy ? findSessionProxyAuthenticationCredentials() : findSessionAuthenticationCredentials();
    };
    auto resend = [this] {
        setHaveBuiltRequestHeaders(true);
        startRequest();
    };
    if (valid) {
        cancelLoad();
        const CredentialsPtr applied = proxy ? proxyCredentials() : requestCredentials();
        if (applied) {
            // NTLM gets its credentials applied twice (negotiate, then answer); a challenge after
            // the second means they were refused.
            const int retries = proxy ? proxyAuthenticationRetryCount() : authenticationRetryCount();
            const bool spent = authentication->isNtlm() && retries > 1;
            if (!spent && applyCredentials(applied, proxy))
                resend();
            else if (authentication->isNtlm() && retries == 2)
                failWithError(HTTPError::authenticationNeeded());
            else
                failWithError(HTTPError::make(HTTPError::CredentialsNotApplicable, applyFailure));
            return;
        }
        // The system's own ticket answers a challenge that needs no name and password; without
        // one the request ends instead of waiting for ever.
        if (!authentication->requiresUserNameAndPassword()) {
            if (proxy)
                setProxyAuthenticationRetryCount(proxyAuthenticationRetryCount() + 1);
            else
                setAuthenticationRetryCount(authenticationRetryCount() + 1);
            if (requestMessage_ && authentication->apply(*requestMessage_, Credentials {}, requestMethod(), proxy))
                resend();
            else
                failWithError(HTTPError::authenticationNeeded());
            return;
        }
        std::unique_lock prompt(credentialPromptLock());
        if (error() || isCancelled())
            return;
        if (useSessionPersistence()) {
            if (const auto entry = sessionEntry(); entry && applyCredentials(entry->credentials, proxy)) {
                prompt.unlock();
                resend();
                return;
            }
        }
        if (const auto found = findCredentials(proxy)) {
            const bool applied = applyCredentials(std::make_shared<Credentials>(*found), proxy);
            prompt.unlock();
            if (applied)
                resend();
            else
                failWithError(HTTPError::make(HTTPError::CredentialsNotApplicable, applyFailure));
            return;
        }
        if (willAskDelegateForCredentials(proxy))
            return;
        prompt.unlock();
        failWithError(HTTPError::authenticationNeeded());
        return;
    }
    // The credentials were refused: nobody may pick them up again.
    authentication.reset();
    std::unique_lock prompt(credentialPromptLock());
    auto& store = proxy ? SessionCredentialStore::proxies() : SessionCredentialStore::servers();
    store.remove(proxy ? proxyCredentials() : requestCredentials());
    if (proxy)
        setProxyCredentials(nullptr);
    else
        setRequestCredentials(nullptr);
    if (error() || isCancelled())
        return;
    if (useSessionPersistence()) {
        if (const auto entry = sessionEntry(); entry && head) {
            authentication = HttpAuthentication::fromResponse(*head, proxy);
            if (authentication && applyCredentials(entry->credentials, proxy)) {
                prompt.unlock();
                cancelLoad();
                resend();
                return;
            }
        }
    }
    setLastActivityTime(QDateTime());
    if (willAskDelegateForCredentials(proxy)) {
        // The next attempt starts from a fresh challenge object.
        if (head)
            authentication = HttpAuthentication::fromResponse(*head, proxy);
        return;
    }
    prompt.unlock();
    cancelLoad();
    failWithError(HTTPError::authenticationNeeded());
}

void HTTPRequest::retryUsingSuppliedCredentials()
{
    auto self = sharedFromThis();
    performOnRequestThread([self] {
        if (self->requestMessage())
            self->attemptToApplyCredentialsAndResume();
        else
            self->main();
    });
}

void HTTPRequest::cancelAuthentication()
{
    auto self = sharedFromThis();
    performOnRequestThread([self] { self->failAuthentication(); });
}

void HTTPRequest::failAuthentication()
{
    failWithError(HTTPError::authenticationNeeded());
}
