#include "web/http/HTTPRequest.h"

#include "platform/DesktopProxySettings.h"

#include "web/http/ConnectionPool.h"
#include "web/http/DataCompressor.h"
#include "web/http/HttpAuthentication.h"
#include "web/http/HttpReadStream.h"
#include "web/http/ProxyAutoConfiguration.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>


namespace {

QString headerValue(const HTTPHeaders& headers, const QString& name)
{
    for (auto it = headers.cbegin(); it != headers.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

} // namespace

HTTPRequest::HTTPRequest(const QUrl& url)
    : url_(url)
{
    setTimeOutSeconds(defaultTimeOutSeconds());
}

HTTPRequest::~HTTPRequest()
{
    setAuthenticationNeeded(0);
    cancelLoad();
    releaseBlocksOnMainThread();
}

std::shared_ptr<HTTPRequest> HTTPRequest::requestWithURL(const QUrl& url)
{
    return std::make_shared<HTTPRequest>(url);
}

std::shared_ptr<HTTPRequest> HTTPRequest::sharedFromThis()
{
    return std::static_pointer_cast<HTTPRequest>(shared_from_this());
}

std::shared_ptr<HTTPRequest> HTTPRequest::createRequest(const QUrl& url) const
{
    return std::make_shared<HTTPRequest>(url);
}

void HTTPRequest::carrySettingsTo(HTTPRequest& copy) const
{
    auto* request = &copy;
    request->setRequestHeaders(requestHeaders());
    request->setRequestCookies(requestCookies());
    request->setUseCookiePersistence(useCookiePersistence());
    request->setUseKeychainPersistence(useKeychainPersistence());
    request->setUseSessionPersistence(useSessionPersistence());
    request->setAllowCompressedResponse(allowCompressedResponse());
    request->setUsername(username());
    request->setPassword(password());
    request->setDomain(domain());
    request->setProxyUsername(proxyUsername());
    request->setProxyPassword(proxyPassword());
    request->setProxyDomain(proxyDomain());
    request->setProxyHost(proxyHost());
    request->setProxyPort(proxyPort());
    request->setProxyType(proxyType());
    request->setShouldPresentAuthenticationDialog(shouldPresentAuthenticationDialog());
    request->setShouldPresentProxyAuthenticationDialog(shouldPresentProxyAuthenticationDialog());
    request->setTimeOutSeconds(timeOutSeconds());
    request->setUseHTTPVersionOne(useHTTPVersionOne());
    request->setValidatesSecureCertificate(validatesSecureCertificate());
    request->setClientCertificateIdentity(clientCertificateIdentity());
    request->setClientCertificates(clientCertificates());
    request->setPACurl(PACurl());
    request->setShouldPresentCredentialsBeforeChallenge(shouldPresentCredentialsBeforeChallenge());
    request->setNumberOfTimesToRetryOnTimeout(numberOfTimesToRetryOnTimeout());
    request->setShouldUseRFC2616RedirectBehaviour(shouldUseRFC2616RedirectBehaviour());
    request->setShouldAttemptPersistentConnection(shouldAttemptPersistentConnection());
    request->setPersistentConnectionTimeoutSeconds(persistentConnectionTimeoutSeconds());
}

std::shared_ptr<HTTPRequest> HTTPRequest::copy() const
{
    auto request = createRequest(url());
    carrySettingsTo(*request);
    request->setDelegate(delegate());
    request->setRequestMethod(requestMethod());
    request->setPostBody(postBody());
    request->setShouldStreamPostDataFromDisk(shouldStreamPostDataFromDisk());
    request->setPostBodyFilePath(postBodyFilePath());
    request->setDownloadDestinationPath(downloadDestinationPath());
    request->setMaxDownloadBytes(maxDownloadBytes());
    request->setTemporaryFileDownloadPath(temporaryFileDownloadPath());
    request->setUploadProgressDelegate(uploadProgressDelegate());
    request->setDownloadProgressDelegate(downloadProgressDelegate());
    request->setPostLength(postLength());
    request->setHaveBuiltPostBody(haveBuiltPostBody());
    request->setDidStartSelector(didStartSelector());
    request->setDidFinishSelector(didFinishSelector());
    request->setDidFailSelector(didFailSelector());
    request->setShouldResetDownloadProgress(shouldResetDownloadProgress());
    request->setShouldResetUploadProgress(shouldResetUploadProgress());
    request->setShowAccurateProgress(showAccurateProgress());
    request->setDefaultResponseEncoding(defaultResponseEncoding());
    request->setAllowResumeForFileDownloads(allowResumeForFileDownloads());
    request->setUserInfo(userInfo());
    request->setShouldRedirect(shouldRedirect());
    return request;
}

std::shared_ptr<HTTPRequest> HTTPRequest::HEADRequest()
{
    auto request = createRequest(url());
    carrySettingsTo(*request);
    request->setRequestMethod(QStringLiteral("HEAD"));
    request->setMainRequest(sharedFromThis());
    return request;
}

// --- Lifecycle -----------------------------------------------------------------------------------

void HTTPRequest::startAsynchronous()
{
    sharedQueue().addOperation(sharedFromThis());
}

void HTTPRequest::start()
{
    setInProgress(true);
    requestThreadContext_ = nullptr;
    auto self = sharedFromThis();
    performOnNetworkThread([self] { self->main(); });
}

void HTTPRequest::startSynchronous()
{
    setRunLoopMode(QStringLiteral("HTTPRequestRunLoopMode"));
    setInProgress(true);
    // Redirects, retries and answers to challenges come back to this thread.
    synchronousContext_ = std::make_shared<QObject>();
    requestThreadContext_ = synchronousContext_.get();
    if (!isCancelled() && !complete()) {
        main();
        // The attempt's own events, a cancellation handled on the network thread, or a delegate's
        // answer to a challenge end it. An end on this thread stops the wait at once
        // (markAsFinished); the loop looks again at short intervals so that an end on another
        // thread is seen too.
        synchronousThread_ = QThread::currentThread();
        while (!isFinished()) {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            synchronousLoop_ = &loop;
            loop.exec(QEventLoop::ExcludeUserInputEvents);
            synchronousLoop_ = nullptr;
        }
        synchronousThread_ = nullptr;
        // What the request let go of inside those loops (streams, their connections, timers) is
        // deleted by the loop it was let go in, which has returned: one more pass deletes it here,
        // also where no outer loop runs.
        QEventLoop().processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    setInProgress(false);
}

void HTTPRequest::main()
{
    runProxyScript();
    std::unique_lock lock(cancelledLock_);
    try {
        if (error()) {
            setComplete(true);
            markAsFinished();
            return;
        }
        setComplete(false);
        const QUrl target = url();
        if (target.isEmpty() || !target.isValid() || target.host().isEmpty()) {
            failWithError(HTTPError::unableToCreateRequest());
            return;
        }
        if (!mainRequest()) {
            buildPostBody();
            if (error())
                return;
        }
        auto message = std::make_shared<HttpMessage>(requestMethod(), target, useHTTPVersionOne());
        if (auto main = mainRequest())
            main->buildRequestHeaders();
        buildRequestHeaders();
        {
            std::lock_guard propertyLock(propertyMutex_);
            requestMessage_ = message;
        }
        applyAuthorizationHeader();
        const HTTPHeaders headers = requestHeaders();
        for (auto it = headers.cbegin(); it != headers.cend(); ++it)
            message->setHeaderField(it.key(), it.value());
        startRequest();
    } catch (const std::exception& exception) {
        failWithError(HTTPError::unhandledException(exception));
    }
}

void HTTPRequest::cancel()
{
    auto self = sharedFromThis();
    performOnNetworkThread([self] { self->cancelOnRequestThread(); });
}

void HTTPRequest::cancelOnRequestThread()
{
    std::unique_lock lock(cancelledLock_);
    if (cancelled_ || complete())
        return;
    failWithError(HTTPError::requestCancelled());
    setComplete(true);
    cancelLoad();
    cancelled_ = true;
    lock.unlock();
    stateDidChange();
}

void HTTPRequest::clearDelegatesAndCancel()
{
    {
        std::lock_guard lock(cancelledLock_);
        delegate_.reset();
        queue_.reset();
        uploadProgressDelegate_.reset();
        downloadProgressDelegate_.reset();
        releaseBlocksOnMainThread();
    }
    cancel();
}

bool HTTPRequest::isCancelled() const
{
    std::lock_guard lock(cancelledLock_);
    return cancelled_;
}

void HTTPRequest::failWithError(HTTPErrorPtr failure)
{
    std::lock_guard lock(cancelledLock_);
    setComplete(true);
    // A request that fails has no body, not even the page of the answer it failed on (the last
    // redirect of a loop) or the part that arrived before the failure.
    setRawResponseData(std::nullopt);
    if (cancelled_ || error())
        return;
    setError(failure);
    // A connection whose request failed is not used again, unless the request only waits for
    // credentials or stopped following redirects.
    if (failure->code != HTTPError::AuthenticationNeeded && failure->code != HTTPError::TooMuchRedirection)
        removeConnectionFromPool();
    // A request that is going away reports to nobody.
    auto reporter = std::static_pointer_cast<HTTPRequest>(weak_from_this().lock());
    if (!reporter)
        return;
    if (auto main = mainRequest()) {
        main->setError(failure);
        reporter = main;
    }
    reporter->performOnMainThread([reporter] { reporter->reportFailure(); });
    if (inProgress())
        markAsFinished();
}

void HTTPRequest::markAsFinished()
{
    {
        // A connection a failed attempt took out of the pool serves no later request: its stream
        // goes when the request ends, not when the request is let go of.
        std::lock_guard lock(connectionLock());
        if (connectionInfo_ && !ConnectionPool::shared().records.contains(connectionInfo_))
            connectionInfo_->stream.reset();
    }
    const bool wasFinished = finished_.exchange(true);
    setInProgress(false);
    if (!wasFinished)
        stateDidChange();
    // A synchronous request that ends on its own thread stops waiting now; its loop is only
    // touched on that thread, where it is alive while it waits.
    if (synchronousThread_.load() == QThread::currentThread())
        if (QEventLoop* loop = synchronousLoop_)
            loop->quit();
}

// --- Guarded accessors ---------------------------------------------------------------------------

QUrl HTTPRequest::url() const
{
    std::lock_guard lock(cancelledLock_);
    return url_;
}

void HTTPRequest::setURL(const QUrl& url)
{
    std::lock_guard lock(cancelledLock_);
    if (url == url_)
        return;
    url_ = url;
    {
        std::lock_guard propertyLock(propertyMutex_);
        requestMessage_.reset();
    }
    requestAuthentication_.reset();
    proxyAuthentication_.reset();
    setRedirectURL(QUrl());
}

std::shared_ptr<HTTPRequestDelegate> HTTPRequest::delegate() const
{
    std::lock_guard lock(cancelledLock_);
    return delegate_.lock();
}

void HTTPRequest::setDelegate(const std::shared_ptr<HTTPRequestDelegate>& delegate)
{
    std::lock_guard lock(cancelledLock_);
    delegate_ = delegate;
}

std::shared_ptr<HTTPRequestQueueListener> HTTPRequest::queue() const
{
    std::lock_guard lock(cancelledLock_);
    return queue_;
}

void HTTPRequest::setQueue(std::shared_ptr<HTTPRequestQueueListener> queue)
{
    std::lock_guard lock(cancelledLock_);
    queue_ = std::move(queue);
}

std::shared_ptr<HTTPRequest> HTTPRequest::mainRequest() const
{
    std::lock_guard lock(propertyMutex_);
    return mainRequest_.lock();
}

void HTTPRequest::setMainRequest(const std::shared_ptr<HTTPRequest>& request)
{
    std::lock_guard lock(propertyMutex_);
    mainRequest_ = request;
}

std::shared_ptr<const HttpMessage> HTTPRequest::requestMessage() const
{
    std::lock_guard lock(propertyMutex_);
    return requestMessage_;
}

void HTTPRequest::addRequestHeader(const QString& name, const QString& value)
{
    std::lock_guard lock(propertyMutex_);
    requestHeaders_.insert(name, value);
}

// --- Response ------------------------------------------------------------------------------------

bool HTTPRequest::isResponseCompressed() const
{
    return headerValue(responseHeaders(), QStringLiteral("Content-Encoding")).contains(QLatin1String("gzip"));
}

std::optional<QByteArray> HTTPRequest::responseData() const
{
    const auto raw = rawResponseData();
    if (!raw || !isResponseCompressed() || !shouldWaitToInflateCompressedResponses())
        return raw;
    if (raw->isEmpty())
        return std::nullopt;
    QByteArray inflated;
    if (inflateKeptBody(&inflated))
        return std::nullopt;
    return inflated;
}

QString HTTPRequest::responseString() const
{
    const auto data = responseData();
    if (!data)
        return {};
    const quint64 encoding = responseEncoding() ? responseEncoding() : defaultResponseEncoding();
    QString text = StringEncoding::decode(*data, encoding);
    if (text.isNull())
        text = QLatin1String("");
    return text;
}

// --- Callbacks -----------------------------------------------------------------------------------

void HTTPRequest::setStartedBlock(Block block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.started = std::move(block);
}

void HTTPRequest::setHeadersReceivedBlock(HeadersBlock block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.headersReceived = std::move(block);
}

void HTTPRequest::setCompletionBlock(Block block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.completion = std::move(block);
}

void HTTPRequest::setFailedBlock(Block block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.failure = std::move(block);
}

void HTTPRequest::setBytesReceivedBlock(ProgressBlock block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.bytesReceived = std::move(block);
}

void HTTPRequest::setBytesSentBlock(ProgressBlock block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.bytesSent = std::move(block);
}

void HTTPRequest::setDownloadSizeIncrementedBlock(SizeBlock block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.downloadSizeIncremented = std::move(block);
}

void HTTPRequest::setUploadSizeIncrementedBlock(SizeBlock block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.uploadSizeIncremented = std::move(block);
}

void HTTPRequest::setDataReceivedBlock(DataBlock block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.dataReceived = std::move(block);
}

void HTTPRequest::setAuthenticationNeededBlock(Block block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.authenticationNeeded = std::move(block);
}

void HTTPRequest::setProxyAuthenticationNeededBlock(Block block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.proxyAuthenticationNeeded = std::move(block);
}

void HTTPRequest::setRequestRedirectedBlock(Block block)
{
    std::lock_guard lock(propertyMutex_);
    blocks_.requestRedirected = std::move(block);
}

void HTTPRequest::releaseBlocksOnMainThread()
{
    // Whatever the callbacks captured is let go of on the main thread, where it was made.
    auto released = std::make_shared<Blocks>();
    {
        std::lock_guard lock(propertyMutex_);
        std::swap(*released, blocks_);
    }
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread())
        return;
    QMetaObject::invokeMethod(
        application, [released = std::move(released)]() mutable { released.reset(); }, Qt::QueuedConnection);
}

// --- Stores --------------------------------------------------------------------------------------

std::optional<SessionEntry> HTTPRequest::findSessionAuthenticationCredentials() const
{
    return SessionCredentialStore::servers().findForServer(url(), responseStatusCode(), authenticationRealm());
}

std::optional<SessionEntry> HTTPRequest::findSessionProxyAuthenticationCredentials() const
{
    return SessionCredentialStore::proxies().findForProxy(proxyHost(), proxyPort());
}

void HTTPRequest::clearSession()
{
    SessionCredentialStore::servers().clear();
    SessionCookies::shared().setCookies({});
}

// --- Proxies -------------------------------------------------------------------------------------

namespace {

// The proxy the desktop's manual settings (or the variables) name for the URL; one direct entry
// when none applies.
QList<ProxyEntry> manualProxiesForURL(const DesktopProxySettings& settings, const QUrl& url)
{
    bool socks = false;
    const auto server = settings.serverFor(url, &socks);
    if (!server)
        return {ProxyEntry {}};
    ProxyEntry entry;
    entry.type = socks ? ProxyEntry::Type::Socks : ProxyEntry::Type::Http;
    entry.host = server->host;
    entry.port = server->port;
    return {entry};
}

} // namespace

void HTTPRequest::runProxyScript()
{
    if (!proxyHost().isEmpty() || proxyPort() != 0)
        return;
    proxyAnswerFor(url());
}

ProxyScriptAnswer HTTPRequest::proxyAnswerFor(const QUrl& target)
{
    const QUrl script = PACurl();
    {
        std::lock_guard lock(proxyScriptMutex_);
        if (proxyScriptRun_ && proxyScriptRun_->url == target && proxyScriptRun_->script == script)
            return proxyScriptRun_->answer;
    }
    // Without a script of its own the request goes as the desktop says, which may name a script.
    ProxyScriptAnswer answer;
    if (!script.isEmpty()) {
        answer = ProxyAutoConfiguration::answerForURL(target, script);
    } else if (const auto desktop = DesktopProxySettings::current();
               desktop.mode == DesktopProxySettings::Mode::Automatic) {
        answer = ProxyAutoConfiguration::answerForURL(target, desktop.autoConfigUrl);
    } else {
        answer = {manualProxiesForURL(desktop, target), false};
    }
    std::lock_guard lock(proxyScriptMutex_);
    proxyScriptRun_ = ProxyScriptRun {target, script, answer};
    return answer;
}

HTTPErrorPtr HTTPRequest::configureProxy()
{
    if (proxyHost().isEmpty() && proxyPort() == 0) {
        // Worked out before the request's lock was taken (runProxyScript); only a request
        // started some other way waits for it here.
        const ProxyScriptAnswer answer = proxyAnswerFor(url());
        const std::optional<QList<ProxyEntry>>& proxies = answer.proxies;
        if (!proxies) {
            const QString description =
                QStringLiteral("Unable to obtain information on proxy servers needed for request");
            if (!answer.ranOutOfTime)
                return HTTPError::make(HTTPError::InternalError, description);
            auto error = std::make_shared<HTTPError>();
            error->code = HTTPError::InternalError;
            error->description = description;
            error->failureReason = QStringLiteral("The proxy configuration script did not answer within %1 seconds "
                                                  "and was stopped.")
                                       .arg(ProxyAutoConfiguration::kTimeLimit.count() / 1000);
            return error;
        }
        if (!proxies->isEmpty()) {
            const ProxyEntry& first = proxies->first();
            setProxyHost(first.host);
            setProxyPort(first.port);
            setProxyType(first.type);
        }
    }
    if (!proxyHost().isEmpty() && proxyPort() != 0 && !proxyType())
        setProxyType(ProxyEntry::Type::Http);
    return {};
}
