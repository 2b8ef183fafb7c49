#include "web/http/BandwidthMeter.h"
#include "web/http/ConnectionPool.h"
#include "web/http/DataCompressor.h"
#include "web/http/HTTPInputStream.h"
#include "web/http/HTTPRequest.h"
#include "web/http/HttpAuthentication.h"
#include "web/http/HttpReadStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QUuid>

namespace {

constexpr qint64 kAppendChunk = 262144;
constexpr int kStatusInterval = 250;

// Objects of a thread are let go of on that thread.
template <typename T> std::shared_ptr<T> onItsThread(T* object)
{
    return std::shared_ptr<T>(object, [](T* doomed) { doomed->deleteLater(); });
}

bool isSecure(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace

ConnectionPool& ConnectionPool::shared()
{
    static ConnectionPool pool;
    return pool;
}

std::recursive_mutex& HTTPRequest::connectionLock()
{
    static std::recursive_mutex lock;
    return lock;
}

QString HTTPRequest::newTemporaryPath()
{
    return QDir(QDir::tempPath()).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

bool HTTPRequest::isNetworkInUse()
{
    std::lock_guard lock(connectionLock());
    return ConnectionPool::shared().runningRequestCount != 0;
}

void HTTPRequest::performOnRequestThread(std::function<void()> work)
{
    QObject* context = requestThreadContext_;
    if (!context) {
        performOnNetworkThread(std::move(work));
        return;
    }
    auto self = sharedFromThis();
    QMetaObject::invokeMethod(
        context, [self, work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

// --- The body ------------------------------------------------------------------------------------

void HTTPRequest::setupPostBody()
{
    if (shouldStreamPostDataFromDisk()) {
        if (postBodyFilePath().isEmpty()) {
            setPostBodyFilePath(newTemporaryPath());
            setDidCreateTemporaryPostDataFile(true);
        }
        if (!postBodyWriteStream_) {
            postBodyWriteStream_ = std::make_unique<QFile>(postBodyFilePath());
            postBodyWriteStream_->open(QIODevice::WriteOnly | QIODevice::Truncate);
        }
    }
}

void HTTPRequest::appendPostData(const QByteArray& data)
{
    setupPostBody();
    if (data.isEmpty())
        return;
    if (shouldStreamPostDataFromDisk()) {
        postBodyWriteStream_->write(data);
        return;
    }
    std::lock_guard lock(propertyMutex_);
    postBody_ += data;
}

void HTTPRequest::appendPostDataFromFile(const QString& path)
{
    setupPostBody();
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return;
    for (;;) {
        const QByteArray chunk = source.read(kAppendChunk);
        if (chunk.isEmpty())
            break;
        if (shouldStreamPostDataFromDisk()) {
            postBodyWriteStream_->write(chunk);
        } else {
            std::lock_guard lock(propertyMutex_);
            postBody_ += chunk;
        }
    }
}

void HTTPRequest::buildPostBody()
{
    if (haveBuiltPostBody())
        return;
    if (!postBodyFilePath().isEmpty()) {
        postBodyWriteStream_.reset();
        QString measured = postBodyFilePath();
        if (shouldCompressRequestBody()) {
            if (compressedPostBodyFilePath().isEmpty()) {
                setCompressedPostBodyFilePath(newTemporaryPath());
                didCreateTemporaryCompressedFile_ = true;
                HTTPErrorPtr failure;
                if (!DataCompressor::compressDataFromFile(postBodyFilePath(), compressedPostBodyFilePath(), &failure)) {
                    failWithError(failure);
                    return;
                }
            }
            measured = compressedPostBodyFilePath();
        }
        const QFileInfo info(measured);
        if (!info.exists()) {
            failWithError(HTTPError::make(
                HTTPError::FileManagement,
                QStringLiteral("Failed to get attributes for file at path '%1'").arg(measured),
                HTTPError::make(HTTPError::FileManagement, QStringLiteral("No such file"))));
            return;
        }
        setPostLength(quint64(info.size()));
    } else if (shouldCompressRequestBody() && !postBody().isEmpty()) {
        HTTPErrorPtr failure;
        const auto compressed = DataCompressor::compressData(postBody(), &failure);
        if (failure) {
            failWithError(failure);
            return;
        }
        setCompressedPostBody(compressed.value_or(QByteArray()));
        setPostLength(quint64(compressedPostBody().size()));
    } else {
        setPostLength(quint64(postBody().size()));
    }
    if (postLength() > 0) {
        const QString method = requestMethod();
        if (method == QLatin1String("GET") || method == QLatin1String("DELETE") || method == QLatin1String("HEAD"))
            setRequestMethod(QStringLiteral("POST"));
        addRequestHeader(QStringLiteral("Content-Length"), QString::number(postLength()));
    }
    setHaveBuiltPostBody(true);
}

// --- Headers -------------------------------------------------------------------------------------

void HTTPRequest::buildRequestHeaders()
{
    if (haveBuiltRequestHeaders())
        return;
    setHaveBuiltRequestHeaders(true);
    if (auto main = mainRequest()) {
        // The main request's cookies and credentials are for its own server: redirected to
        // another, the request takes the cookies the store holds there and no credentials.
        const bool mainsServer = isSameServer(url(), main->url());
        HTTPHeaders own = requestHeaders();
        // There the main request's one Cookie header, which holds the caller's own as well as
        // the built cookies, takes the place of the copy of the caller's this request was given.
        if (mainsServer)
            own.removeIf([](const auto& field) { return isCookieHeader(field.key()); });
        const HTTPHeaders headers = main->requestHeaders();
        for (auto it = headers.cbegin(); it != headers.cend(); ++it)
            if (mainsServer || !isCredentialHeader(it.key()))
                own.insert(it.key(), it.value());
        setRequestHeaders(own);
        if (!mainsServer)
            applyCookieHeader(url());
        return;
    }
    applyCookieHeader(url());
    const QString agent = defaultUserAgentString();
    if (!requestHeaders().contains(QStringLiteral("User-Agent")) && !agent.isNull())
        addRequestHeader(QStringLiteral("User-Agent"), agent);
    if (allowCompressedResponse())
        addRequestHeader(QStringLiteral("Accept-Encoding"), QStringLiteral("gzip"));
    if (shouldCompressRequestBody())
        addRequestHeader(QStringLiteral("Content-Encoding"), QStringLiteral("gzip"));
    updatePartialDownloadSize();
    if (partialDownloadSize() > 0)
        addRequestHeader(QStringLiteral("Range"), QStringLiteral("bytes=%1-").arg(partialDownloadSize()));
}

bool HTTPRequest::isSameServer(const QUrl& one, const QUrl& other)
{
    return one.scheme() == other.scheme() && one.host() == other.host() && one.port(-1) == other.port(-1);
}

bool HTTPRequest::isCredentialHeader(const QString& name)
{
    for (const char* credential : {"Cookie", "Authorization", "Proxy-Authorization"})
        if (name.compare(QLatin1String(credential), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool HTTPRequest::isCookieHeader(const QString& name)
{
    return name.compare(QLatin1String("Cookie"), Qt::CaseInsensitive) == 0;
}

void HTTPRequest::applyCookieHeader(const QUrl& target)
{
    givenCookies_ = requestCookies();
    if (useCookiePersistence())
        setRequestCookies(givenCookies_ + CookieStore::shared().cookiesForUrl(target));
    const auto main = mainRequest();
    const QList<QNetworkCookie> cookies =
        main && isSameServer(target, main->url()) ? main->requestCookies() : requestCookies();
    // The caller's own Cookie header, in whatever letter case, goes first in the one header that
    // also carries the cookies built here; one this request built before is built again.
    HTTPHeaders headers = requestHeaders();
    QString callers;
    bool builtBefore = false;
    headers.removeIf([&](const auto& field) {
        if (!isCookieHeader(field.key()))
            return false;
        if (!builtCookieHeader_.isEmpty() && field.value() == builtCookieHeader_)
            builtBefore = true;
        else
            callers = field.value();
        return true;
    });
    if (builtBefore && callers.isEmpty())
        callers = callersCookieHeader_;
    callersCookieHeader_ = callers;
    QStringList parts;
    if (!callers.isEmpty())
        parts.append(callers);
    for (const QNetworkCookie& cookie : cookies)
        parts.append(QString::fromLatin1(cookie.name()) + QLatin1Char('=') + QString::fromLatin1(cookie.value()));
    builtCookieHeader_ = parts.join(QStringLiteral("; "));
    if (!builtCookieHeader_.isEmpty())
        headers.insert(QStringLiteral("Cookie"), builtCookieHeader_);
    setRequestHeaders(headers);
}

void HTTPRequest::applyCookieHeaderForRedirect(const QUrl& next, bool elsewhere)
{
    // To another server the caller's own Cookie header goes, and so do the cookies it was given:
    // cookies, like credentials, go only where they belong. The store gives the new URL its own.
    if (elsewhere) {
        HTTPHeaders headers = requestHeaders();
        headers.removeIf([](const auto& field) { return isCookieHeader(field.key()); });
        setRequestHeaders(headers);
    }
    setRequestCookies(elsewhere ? QList<QNetworkCookie>() : givenCookies_);
    applyCookieHeader(next);
}

void HTTPRequest::applyAuthorizationHeader()
{
    if (!shouldPresentCredentialsBeforeChallenge())
        return;
    const auto entry = useSessionPersistence() ? findSessionAuthenticationCredentials() : std::nullopt;
    if (!username().isEmpty() && !password().isEmpty() && domain().isEmpty()) {
        if (!entry || entry->authenticationScheme == QLatin1String("Basic"))
            addBasicAuthenticationHeaderWithUsername(username(), password());
    }
    if (entry && !requestHeaders().contains(QStringLiteral("Authorization"))) {
        if (entry->authentication) {
            if (!entry->authentication->apply(*requestMessage_, *entry->credentials, requestMethod(), false))
                SessionCredentialStore::servers().remove(entry->credentials);
        } else {
            addBasicAuthenticationHeaderWithUsername(entry->credentials->username, entry->credentials->password);
        }
    }
    if (useSessionPersistence()) {
        if (const auto proxyEntry = findSessionProxyAuthenticationCredentials()) {
            if (!proxyEntry->authentication
                || !proxyEntry->authentication->apply(
                    *requestMessage_, *proxyEntry->credentials, requestMethod(), true))
                SessionCredentialStore::proxies().remove(proxyEntry->credentials);
        }
    }
}

void HTTPRequest::updatePartialDownloadSize()
{
    if (!allowResumeForFileDownloads() || downloadDestinationPath().isEmpty() || temporaryFileDownloadPath().isEmpty())
        return;
    const QFileInfo partial(temporaryFileDownloadPath());
    if (partial.exists())
        setPartialDownloadSize(quint64(partial.size()));
}

// --- Starting ------------------------------------------------------------------------------------

void HTTPRequest::startRequest()
{
    std::unique_lock lock(cancelledLock_);
    if (isCancelled())
        return;
    requestStarted();

    setDownloadComplete(false);
    setComplete(false);
    setTotalBytesRead(0);
    setLastBytesRead(0);
    bodyBytesDelivered_ = 0;
    if (redirectCount() == 0)
        setOriginalURL(url());
    if (lastBytesSent() > 0)
        removeUploadProgressSoFar();
    setLastBytesSent(0);
    setTotalBytesSent(0);
    setContentLength(0);
    setResponseHeaders({});
    lastResponseHead_.reset();
    if (downloadDestinationPath().isEmpty())
        setRawResponseData(QByteArray(""));
    setReadStreamIsScheduled(false);

    std::unique_ptr<QIODevice> body;
    if (shouldStreamPostDataFromDisk() && QFileInfo::exists(postBodyFilePath())) {
        const QString compressed = compressedPostBodyFilePath();
        const QString path = !compressed.isEmpty() && QFileInfo::exists(compressed) ? compressed : postBodyFilePath();
        body = HTTPInputStream::inputStreamWithFileAtPath(path, sharedFromThis());
    } else if (!postBody().isEmpty()) {
        const QByteArray bytes =
            shouldCompressRequestBody() && !compressedPostBody().isEmpty() ? compressedPostBody() : postBody();
        body = HTTPInputStream::inputStreamWithData(bytes, sharedFromThis());
    }

    if (HTTPErrorPtr proxyFailure = configureProxy()) {
        failWithError(proxyFailure);
        return;
    }
    const QUrl target = url();
    HttpReadStream::Target where;
    where.secure = isSecure(target);
    where.host = target.host();
    where.port = quint16(target.port(where.secure ? 443 : 80));
    where.validatesCertificates = validatesSecureCertificate();
    if (const auto identity = clientCertificateIdentity(); identity && where.secure) {
        where.clientCertificateChain = QList<QSslCertificate> {identity->certificate} + clientCertificates();
        where.clientKey = identity->privateKey;
    }
    bool absoluteTarget = false;
    if (!proxyHost().isEmpty() && proxyPort() != 0) {
        const auto type = proxyType().value_or(ProxyEntry::Type::Http);
        if (type == ProxyEntry::Type::Socks) {
            where.tunnel = HttpReadStream::Target::Tunnel::Socks;
        } else if (where.secure) {
            // The tunnel's proxy is answered by the socket itself: it is offered what the
            // session or the request holds for this proxy.
            where.tunnel = HttpReadStream::Target::Tunnel::Http;
            const auto entry = useSessionPersistence() ? findSessionProxyAuthenticationCredentials() : std::nullopt;
            if (const auto credentials = entry ? std::optional(*entry->credentials) : findCredentials(true)) {
                where.proxyUser = credentials->username;
                where.proxyPassword = credentials->password;
            }
        } else {
            // A plain request goes to the proxy itself, naming the whole URL.
            where.host = proxyHost();
            where.port = quint16(proxyPort());
            absoluteTarget = true;
        }
        where.proxyHost = proxyHost();
        where.proxyPort = quint16(proxyPort());
    }
    QByteArray head;
    {
        std::lock_guard propertyLock(propertyMutex_);
        head = requestMessage_ ? requestMessage_->serializeHead(absoluteTarget) : QByteArray();
    }
    auto stream
        = onItsThread(new HttpReadStream(head, std::move(body), requestMethod() == QLatin1String("HEAD"), where));

    std::shared_ptr<HttpReadStream> previous;
    readStream_ = stream;
    chooseConnection(previous);

    const auto& meter = BandwidthMeter::shared();
    const auto wake = meter.throttleWakeUpTime();
    if (!meter.isBandwidthThrottled() || !wake || *wake <= meter.now())
        scheduleReadStream();
    std::weak_ptr<HTTPRequest> weakSelf = sharedFromThis();
    HttpReadStream* raw = stream.get();
    stream->setClient([weakSelf, raw](HttpReadStream::Event event) {
        auto self = weakSelf.lock();
        if (self && self->readStream_.get() == raw)
            self->handleNetworkEvent(int(event));
    });
    const bool opened = stream->open(previous ? previous->takeConnection() : nullptr);
    previous.reset();

    if (!opened) {
        setConnectionCanBeReused(false);
        destroyReadStream();
        failWithError(HTTPError::make(HTTPError::InternalError, QStringLiteral("Unable to start HTTP connection")));
        return;
    }
    if (!mainRequest()) {
        if (shouldResetUploadProgress()) {
            incrementUploadSizeBy(showAccurateProgress() ? qint64(postLength()) : 1);
            updateProgressIndicator(&HTTPRequest::uploadProgressDelegate, 0, 1);
        }
        if (shouldResetDownloadProgress() && partialDownloadSize() == 0)
            updateProgressIndicator(&HTTPRequest::downloadProgressDelegate, 0, 1);
    }
    setLastActivityTime(QDateTime::currentDateTimeUtc());
    auto timer = onItsThread(new QTimer);
    timer->setInterval(kStatusInterval);
    QTimer* rawTimer = timer.get();
    QObject::connect(rawTimer, &QTimer::timeout, rawTimer, [weakSelf, rawTimer] {
        auto self = weakSelf.lock();
        if (!self || self->statusTimer_.get() != rawTimer)
            return;
        self->checkRequestStatus();
        if (!self->inProgress() && self->statusTimer_.get() == rawTimer) {
            rawTimer->stop();
            self->statusTimer_.reset();
        }
    });
    if (statusTimer_ && statusTimer_->thread() == QThread::currentThread())
        statusTimer_->stop();
    statusTimer_ = timer;
    timer->start();
}

void HTTPRequest::scheduleReadStream()
{
    if (!readStream_ || readStreamIsScheduled())
        return;
    {
        std::lock_guard lock(connectionLock());
        ++ConnectionPool::shared().runningRequestCount;
    }
    setLastActivityTime(QDateTime::currentDateTimeUtc());
    readStream_->schedule();
    setReadStreamIsScheduled(true);
}

void HTTPRequest::unscheduleReadStream()
{
    if (!readStream_ || !readStreamIsScheduled())
        return;
    {
        std::lock_guard lock(connectionLock());
        --ConnectionPool::shared().runningRequestCount;
    }
    readStream_->unschedule();
    setReadStreamIsScheduled(false);
}

void HTTPRequest::destroyReadStream()
{
    if (!readStream_)
        return;
    auto stream = std::move(readStream_);
    if (stream->thread() == QThread::currentThread()) {
        if (readStreamIsScheduled()) {
            std::lock_guard lock(connectionLock());
            --ConnectionPool::shared().runningRequestCount;
        }
        stream->unschedule();
        if (!connectionCanBeReused())
            stream->close();
    } else {
        if (readStreamIsScheduled()) {
            std::lock_guard lock(connectionLock());
            --ConnectionPool::shared().runningRequestCount;
        }
        const bool keep = connectionCanBeReused();
        QMetaObject::invokeMethod(stream.get(), [stream, keep] {
            stream->unschedule();
            if (!keep)
                stream->close();
        });
    }
    setReadStreamIsScheduled(false);
}

// --- Status and time-out -------------------------------------------------------------------------

void HTTPRequest::checkRequestStatus()
{
    std::unique_lock lock(cancelledLock_);
    if (isCancelled() || complete())
        return;
    performThrottling();
    if (!shouldTimeOut()) {
        if (readStream_ && postLength() > 0) {
            const quint64 before = totalBytesSent();
            setLastBytesSent(before);
            const quint64 written = readStream_->bodyBytesWritten();
            setTotalBytesSent(written);
            if (written > before) {
                setLastActivityTime(QDateTime::currentDateTimeUtc());
                incrementBandwidthUsedInLastSecond(written - before);
            }
        }
        if (readStream_)
            updateProgressIndicators();
        return;
    }
    if (numberOfTimesToRetryOnTimeout() > retryCount()) {
        updatePartialDownloadSize();
        if (partialDownloadSize() > 0 && requestMessage_)
            requestMessage_->setHeaderField(QStringLiteral("Range"),
                                            QStringLiteral("bytes=%1-").arg(partialDownloadSize()));
        setRetryCount(retryCount() + 1);
        unscheduleReadStream();
        lock.unlock();
        startRequest();
        return;
    }
    failWithError(HTTPError::requestTimedOut());
    cancelLoad();
    setComplete(true);
}

bool HTTPRequest::shouldTimeOut() const
{
    const QDateTime last = lastActivityTime();
    if (!readStream_ || !readStreamIsScheduled() || !last.isValid() || timeOutSeconds() <= 0)
        return false;
    const double idle = double(last.msecsTo(QDateTime::currentDateTimeUtc())) / 1000.0;
    if (idle <= timeOutSeconds())
        return false;
    if (postLength() == 0)
        return true;
    if (uploadBufferSize() > 0 && totalBytesSent() > uploadBufferSize())
        return true;
    // The body may still sit in the first buffer the connection took: allow it longer.
    return idle > 1.5 * timeOutSeconds();
}

void HTTPRequest::performThrottling()
{
    std::lock_guard lock(cancelledLock_);
    if (!readStream_)
        return;
    BandwidthMeter& meter = BandwidthMeter::shared();
    meter.measureBandwidthUsage();
    if (meter.isBandwidthThrottled()) {
        const auto wake = meter.throttleWakeUpTime();
        if (!wake)
            return;
        if (*wake > meter.now())
            unscheduleReadStream();
        else
            scheduleReadStream();
    } else {
        scheduleReadStream();
    }
}

// --- Persistent connections ----------------------------------------------------------------------

void HTTPRequest::expirePersistentConnections()
{
    std::lock_guard lock(connectionLock());
    auto& records = ConnectionPool::shared().records;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        const auto& record = records[i];
        if (record->request || (record->expires && *record->expires > now))
            continue;
        if (record->stream) {
            auto stream = record->stream;
            QMetaObject::invokeMethod(stream.get(), [stream] { stream->close(); });
        }
        records.removeAt(i);
    }
}

int HTTPRequest::connectionID() const
{
    std::lock_guard lock(connectionLock());
    return connectionInfo_ ? connectionInfo_->id : 0;
}

void HTTPRequest::chooseConnection(std::shared_ptr<HttpReadStream>& previous)
{
    expirePersistentConnections();
    std::lock_guard lock(connectionLock());
    ConnectionPool& pool = ConnectionPool::shared();
    const QUrl target = url();
    if (target.host().isEmpty() || target.scheme().isEmpty()) {
        connectionInfo_.reset();
        setShouldAttemptPersistentConnection(false);
    }
    if (!shouldAttemptPersistentConnection())
        return;
    const int port = target.port(0);
    if (connectionInfo_) {
        const bool matches = connectionInfo_->host == target.host() && connectionInfo_->scheme == target.scheme()
                             && connectionInfo_->port == port;
        if (matches && connectionInfo_->expires && *connectionInfo_->expires <= QDateTime::currentDateTimeUtc()) {
            pool.records.removeOne(connectionInfo_);
            connectionInfo_.reset();
        } else if (!matches) {
            connectionInfo_.reset();
        }
    }
    if (!connectionInfo_) {
        for (const auto& record : pool.records)
            if (!record->request && record->host == target.host() && record->scheme == target.scheme()
                && record->port == port)
                connectionInfo_ = record;
    }
    if (connectionInfo_)
        previous = connectionInfo_->stream;
    if (!connectionInfo_) {
        connectionInfo_ = std::make_shared<ConnectionRecord>();
        connectionInfo_->id = ++pool.connectionCounter;
        connectionInfo_->host = target.host();
        connectionInfo_->port = port;
        connectionInfo_->scheme = target.scheme();
        pool.records.append(connectionInfo_);
    }
    if (requestID() == 0)
        setRequestID(++pool.requestCounter);
    connectionInfo_->request = requestID();
    connectionInfo_->stream = readStream_;
}

void HTTPRequest::releaseConnection()
{
    std::lock_guard lock(connectionLock());
    if (!connectionInfo_)
        return;
    connectionInfo_->request.reset();
    if (!connectionCanBeReused())
        unscheduleReadStream();
    connectionInfo_->expires =
        QDateTime::currentDateTimeUtc().addMSecs(qint64(persistentConnectionTimeoutSeconds() * 1000));
}

void HTTPRequest::removeConnectionFromPool()
{
    std::lock_guard lock(connectionLock());
    if (!connectionInfo_)
        return;
    connectionInfo_->request.reset();
    ConnectionPool::shared().records.removeOne(connectionInfo_);
}

bool HTTPRequest::retryUsingNewConnection()
{
    if (retryCount() != 0)
        return false;
    removeConnectionFromPool();
    {
        std::lock_guard lock(connectionLock());
        connectionInfo_.reset();
    }
    setRetryCount(retryCount() + 1);
    startRequest();
    return true;
}

void HTTPRequest::decideConnectionReuse(const HttpResponseHead& head)
{
    const QString connection = head.field(QStringLiteral("Connection")).toLower();
    if ((head.httpVersionOne && connection != QLatin1String("keep-alive")) || connection == QLatin1String("close"))
        return;
    const QString keepAlive = head.field(QStringLiteral("Keep-Alive"));
    if (keepAlive.isNull()) {
        setConnectionCanBeReused(true);
        return;
    }
    auto numberAfter = [&](qsizetype at) {
        qsizetype end = at;
        while (end < keepAlive.size() && keepAlive[end].isDigit())
            ++end;
        return keepAlive.mid(at, end - at).toInt();
    };
    int timeout = 0;
    int max = 0;
    if (keepAlive.startsWith(QLatin1String("timeout=")))
        timeout = numberAfter(8);
    if (const qsizetype maxAt = keepAlive.indexOf(QLatin1String("max=")); maxAt >= 0)
        max = numberAfter(maxAt + 4);
    if (max >= 6) {
        setConnectionCanBeReused(true);
        setPersistentConnectionTimeoutSeconds(timeout);
    }
}
