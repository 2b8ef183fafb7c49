#include "web/http/BandwidthMeter.h"
#include "web/http/ConnectionPool.h"
#include "web/http/DataCompressor.h"
#include "web/http/HTTPRequest.h"
#include "web/http/HttpAuthentication.h"
#include "web/http/HttpReadStream.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kSmallRead = 16384;
constexpr qint64 kMediumRead = 65536;
constexpr qint64 kLargeRead = 262144;

HTTPHeaders headerMap(const HttpResponseHead& head)
{
    HTTPHeaders headers;
    for (const auto& field : head.fields) {
        const auto existing = headers.find(field.first);
        if (existing == headers.end())
            headers.insert(field.first, field.second);
        else
            existing.value() += QStringLiteral(", ") + field.second;
    }
    return headers;
}

HTTPErrorPtr moveError(const QString& from, const QString& to)
{
    return HTTPError::make(HTTPError::FileManagement,
                           QStringLiteral("Failed to move file from '%1' to '%2'").arg(from, to),
                           HTTPError::make(HTTPError::FileManagement, QStringLiteral("The file could not be moved")));
}

// The failure of an answer longer than the request takes, for the reason given.
HTTPErrorPtr answerTooLong(const QString& why)
{
    return HTTPError::make(HTTPError::ConnectionFailure, QStringLiteral("A connection failure occurred"),
                           HTTPError::make(HTTPError::ConnectionFailure, why));
}

QString pastTheBound(quint64 most)
{
    return QStringLiteral("The server's answer is longer than the %1 bytes this download may take").arg(most);
}

const QString kTooLongToKeep = QStringLiteral("The server's answer is too long to keep");

} // namespace

// --- Response headers ----------------------------------------------------------------------------

void HTTPRequest::readResponseHeaders()
{
    setAuthenticationNeeded(0);
    if (!readStream_ || !readStream_->responseHead())
        return;
    const HttpResponseHead head = *readStream_->responseHead();
    lastResponseHead_ = std::make_shared<HttpResponseHead>(head);
    setResponseHeaders(headerMap(head));
    setResponseStatusCode(head.statusCode);
    setResponseStatusMessage(head.statusLine);
    if (head.statusCode == 401)
        setAuthenticationNeeded(1);
    else if (head.statusCode == 407)
        setAuthenticationNeeded(2);
    if (authenticationNeeded() == 0 && !requestAuthentication_ && !username().isEmpty() && !password().isEmpty()
        && useSessionPersistence()) {
        SessionEntry entry;
        entry.credentials = std::make_shared<Credentials>(Credentials {username(), password(), std::nullopt});
        entry.url = url();
        entry.authenticationScheme = QStringLiteral("Basic");
        SessionCredentialStore::servers().store(entry);
    }
    parseStringEncodingFromHeaders();

    QList<QNetworkCookie> cookies;
    for (const QString& value : head.fieldValues(QStringLiteral("Set-Cookie")))
        cookies += QNetworkCookie::parseCookies(value.toLatin1());
    setResponseCookies(cookies);
    if (useCookiePersistence() && !cookies.isEmpty()) {
        CookieStore::shared().setCookiesFromUrl(cookies, url());
        for (const QNetworkCookie& stored : CookieStore::shared().allStoredCookies())
            for (const QNetworkCookie& cookie : cookies)
                if (stored.name() == cookie.name())
                    SessionCookies::shared().addCookie(stored);
    }

    const int status = head.statusCode;
    const QString location = head.field(QStringLiteral("Location"));
    const QUrl current = url();
    const QUrl next = current.resolved(QUrl(location));
    const bool keepsMethod = status == 307 || (shouldUseRFC2616RedirectBehaviour() && status != 303);
    const bool elsewhere = !isSameServer(next, current);
    // A body goes only to the server it was written for (the cloud upload's holds the account
    // and the storage password): a redirect that would carry it to another is not followed,
    // and its answer is the request's.
    const bool bodyWouldLeave = keepsMethod && elsewhere && postLength() > 0;
    if (shouldRedirect() && !location.isEmpty() && (status == 301 || status == 302 || status == 303 || status == 307)
        && !bodyWouldLeave) {
        requestRedirected();
        if (keepsMethod) {
            applyCookieHeaderForRedirect(next, elsewhere);
        } else {
            // The body is dropped for good, wherever it was kept: the request was built once and
            // is not built again.
            setRequestMethod(QStringLiteral("GET"));
            setPostBody(QByteArray());
            setCompressedPostBody(QByteArray());
            setShouldStreamPostDataFromDisk(false);
            setPostLength(0);
            const HTTPHeaders old = requestHeaders();
            HTTPHeaders kept;
            for (const QString& name : {QStringLiteral("User-Agent"), QStringLiteral("Accept")})
                if (old.contains(name))
                    kept.insert(name, old.value(name));
            setRequestHeaders(kept);
            setHaveBuiltRequestHeaders(false);
        }
        // Credentials given for one server never go to another, neither in the headers built
        // for the first nor in answer to a challenge of the second, and so never from a secure
        // server to a plain one: the second server's challenge goes to the delegate, if any.
        if (elsewhere) {
            // The Cookie header was built for the new server already.
            HTTPHeaders headers = requestHeaders();
            for (auto it = headers.begin(); it != headers.end();) {
                if (isCredentialHeader(it.key()) && it.key().compare(QLatin1String("Cookie"), Qt::CaseInsensitive) != 0)
                    it = headers.erase(it);
                else
                    ++it;
            }
            setRequestHeaders(headers);
            setShouldPresentCredentialsBeforeChallenge(false);
            setUsername({});
            setPassword({});
            setDomain({});
            setRequestCredentials(nullptr);
            setUseSessionPersistence(false);
        }
        setRedirectURL(next);
        setNeedsRedirect(true);
        setRequestCookies({});
    }

    if (!needsRedirect()) {
        const auto main = mainRequest();
        HTTPRequest* target = main ? main.get() : this;
        const QString lengthText = head.field(QStringLiteral("Content-Length"));
        const bool resetting = showAccurateProgress() && shouldResetDownloadProgress();
        if (!lengthText.isNull()) {
            const quint64 length = lengthText.trimmed().toULongLong();
            if (main && allowCompressedResponse() && length == 20 && resetting) {
                main->setShowAccurateProgress(false);
                main->incrementDownloadSizeBy(1);
            } else {
                target->setContentLength(length);
                if (resetting)
                    target->incrementDownloadSizeBy(qint64(target->contentLength() + target->partialDownloadSize()));
            }
        } else if (resetting) {
            target->setShowAccurateProgress(false);
            target->incrementDownloadSizeBy(1);
        }
    }
    if (shouldAttemptPersistentConnection())
        decideConnectionReuse(head);
    requestReceivedResponseHeaders(responseHeaders());
}

void HTTPRequest::parseStringEncodingFromHeaders()
{
    quint64 encoding = defaultResponseEncoding();
    QString mimeType;
    HTTPRequest::parseMimeType(&mimeType, &encoding, responseHeaders().value(QStringLiteral("Content-Type")));
    for (auto it = responseHeaders().cbegin(); it != responseHeaders().cend(); ++it)
        if (it.key().compare(QLatin1String("Content-Type"), Qt::CaseInsensitive) == 0)
            HTTPRequest::parseMimeType(&mimeType, &encoding, it.value());
    setResponseEncoding(encoding);
}

void HTTPRequest::redirectToURL(const QUrl& target)
{
    setRedirectURL(target);
    auto self = sharedFromThis();
    performOnRequestThread([self] { self->performRedirect(); });
}

void HTTPRequest::performRedirect()
{
    setURL(redirectURL());
    setComplete(true);
    setNeedsRedirect(false);
    setRedirectCount(redirectCount() + 1);
    if (redirectCount() < 6) {
        main();
        return;
    }
    failWithError(HTTPError::tooMuchRedirection());
    setComplete(true);
}

// --- Stream events -------------------------------------------------------------------------------

void HTTPRequest::handleNetworkEvent(int event)
{
    std::unique_lock lock(cancelledLock_);
    if (complete() || isCancelled())
        return;
    auto keepAlive = sharedFromThis();
    switch (HttpReadStream::Event(event)) {
    case HttpReadStream::Event::HasBytesAvailable:
        handleBytesAvailable();
        break;
    case HttpReadStream::Event::ErrorOccurred:
        handleStreamError();
        break;
    case HttpReadStream::Event::EndEncountered:
        handleStreamComplete();
        break;
    }
    performThrottling();
    if (downloadComplete() && needsRedirect()) {
        const auto delegate = this->delegate();
        const auto queue = this->queue();
        const bool asks = (delegate && willRedirectSelector()
                           && delegate->implements(HTTPRequestDelegate::Operation::WillRedirect))
                          || (queue && queue->implements(HTTPRequestDelegate::Operation::WillRedirect));
        lock.unlock();
        if (asks) {
            const QUrl target = redirectURL();
            setRedirectURL(QUrl());
            requestWillRedirectToURL(target);
        } else {
            performRedirect();
        }
        return;
    }
    if (downloadComplete() && authenticationNeeded() != 0) {
        lock.unlock();
        attemptToApplyCredentialsAndResume();
    }
}

void HTTPRequest::handleBytesAvailable()
{
    if (responseHeaders().isEmpty())
        readResponseHeaders();
    if (complete() || !readStream_ || !readStream_->hasBytesAvailable())
        return;
    qint64 readSize = kSmallRead;
    if (contentLength() > quint64(kLargeRead))
        readSize = kLargeRead;
    else if (contentLength() > quint64(kMediumRead))
        readSize = kMediumRead;
    BandwidthMeter& meter = BandwidthMeter::shared();
    if (meter.isBandwidthThrottled()) {
        const qint64 allowance = qint64(meter.maxBandwidthPerSecond()) - qint64(meter.bandwidthUsedInLastSecond());
        if (allowance <= 0)
            readSize = 1;
        else if (allowance / 4 < readSize)
            readSize = std::max<qint64>(1, allowance / 4);
    }
    QByteArray chunk(readSize, Qt::Uninitialized);
    const qint64 read = readStream_->read(chunk.data(), readSize);
    if (read <= 0)
        return;
    chunk.truncate(read);
    const bool inflating = isResponseCompressed() && !shouldWaitToInflateCompressedResponses();
    if (inflating && !dataDecompressor())
        setDataDecompressor(std::shared_ptr<DataDecompressor>(DataDecompressor::decompressor()));
    setTotalBytesRead(totalBytesRead() + quint64(read));
    setLastActivityTime(QDateTime::currentDateTimeUtc());
    incrementBandwidthUsedInLastSecond(quint64(read));

    enum class Destination { Nowhere, Delegate, Memory, File };
    Destination destination = Destination::File;
    if (needsRedirect() && shouldRedirect() && allowResumeForFileDownloads()) {
        destination = Destination::Nowhere;
    } else {
        const auto delegate = this->delegate();
        bool hasDataBlock = false;
        {
            std::lock_guard propertyLock(propertyMutex_);
            hasDataBlock = bool(blocks_.dataReceived);
        }
        if ((delegate && didReceiveDataSelector()
             && delegate->implements(HTTPRequestDelegate::Operation::DidReceiveData))
            || hasDataBlock)
            destination = Destination::Delegate;
        else if (downloadDestinationPath().isEmpty())
            destination = Destination::Memory;
        // Only the final answer's body is downloaded: a redirect's or a challenge's page must
        // not take the place of a partial file, nor come near the destination.
        else if (needsRedirect() || authenticationNeeded() != 0)
            destination = Destination::Nowhere;
    }
    auto tooLong = [this](const QString& why) {
        cancelLoad();
        failWithError(answerTooLong(why));
    };
    const quint64 most = maxDownloadBytes();
    auto pastTheMost = [&](quint64 bytes) {
        if (most == 0 || bytes <= most)
            return false;
        tooLong(pastTheBound(most));
        return true;
    };
    if (destination != Destination::Nowhere && pastTheMost(totalBytesRead()))
        return;
    if (destination == Destination::File) {
        openDownloadOutput(fileDownloadOutputStream_, &HTTPRequest::temporaryFileDownloadPath,
                           &HTTPRequest::setTemporaryFileDownloadPath);
        fileDownloadOutputStream_->write(chunk);
        if (inflating)
            openDownloadOutput(inflatedFileDownloadOutputStream_, &HTTPRequest::temporaryUncompressedDataDownloadPath,
                               &HTTPRequest::setTemporaryUncompressedDataDownloadPath);
    }
    // Hands on one piece of the body; false when the download has to end here.
    bool ended = false;
    auto deliver = [&](const char* bytes, qsizetype length) {
        bodyBytesDelivered_ += quint64(length);
        switch (destination) {
        case Destination::Nowhere:
            return true;
        case Destination::Delegate:
            if (pastTheMost(bodyBytesDelivered_))
                return !(ended = true);
            passOnReceivedData(QByteArray(bytes, length));
            return true;
        case Destination::Memory: {
            bool kept = false;
            {
                std::lock_guard propertyLock(propertyMutex_);
                if (!rawResponseData_)
                    rawResponseData_ = QByteArray();
                kept = rawResponseData_->size() + length <= kMaxBodyInMemory
                       && (most == 0 || quint64(rawResponseData_->size() + length) <= most);
                if (kept)
                    rawResponseData_->append(bytes, length);
            }
            if (!kept) {
                if (!pastTheMost(bodyBytesDelivered_))
                    tooLong(kTooLongToKeep);
                ended = true;
            }
            return kept;
        }
        case Destination::File:
            if (pastTheMost(bodyBytesDelivered_))
                return !(ended = true);
            if (inflating)
                inflatedFileDownloadOutputStream_->write(bytes, length);
            return true;
        }
        return true;
    };
    if (!inflating) {
        if (destination != Destination::File)
            deliver(chunk.constData(), chunk.size());
        return;
    }
    // Inflated a step at a time as it arrives, so a small answer that inflates to a great deal
    // never stands whole in memory.
    // A body that cannot be inflated ends the load at once, taking its temporary files with it.
    if (HTTPErrorPtr failure = dataDecompressor()->processInSteps(chunk.constData(), chunk.size(), false, deliver);
        failure && !ended) {
        cancelLoad();
        failWithError(failure);
    }
}

void HTTPRequest::openDownloadOutput(std::unique_ptr<QFile>& output, QString (HTTPRequest::*path)() const,
                                     void (HTTPRequest::*setPath)(QString))
{
    if (output)
        return;
    bool append = false;
    if ((this->*path)().isEmpty()) {
        (this->*setPath)(newTemporaryPath());
    } else if (allowResumeForFileDownloads() && requestHeaders().contains(QStringLiteral("Range"))) {
        append = responseHeaders().contains(QStringLiteral("Content-Range"));
        if (!append && partialDownloadSize() > 0 && path == &HTTPRequest::temporaryFileDownloadPath) {
            incrementDownloadSizeBy(-qint64(partialDownloadSize()));
            setPartialDownloadSize(0);
        }
    }
    output = std::make_unique<QFile>((this->*path)());
    output->open(append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate);
}

void HTTPRequest::handleStreamComplete()
{
    statusTimer_.reset();
    setDownloadComplete(true);
    if (responseHeaders().isEmpty())
        readResponseHeaders();
    // Whatever the stream still holds belongs to this answer.
    while (readStream_ && readStream_->hasBytesAvailable() && !complete())
        handleBytesAvailable();
    HTTPErrorPtr fileError;
    {
        std::lock_guard progress(progressLock());
        setLastBytesSent(totalBytesSent());
        if (readStream_)
            setTotalBytesSent(readStream_->bodyBytesWritten());
        setComplete(true);
        if (contentLength() == 0)
            setContentLength(totalBytesRead());
        updateProgressIndicators();
        // A compressed body cut off before its end (no trailer, or one whose length or checksum
        // disagrees) is no success: the part that arrived is not the answer.
        const bool inflatedWhole = !dataDecompressor() || dataDecompressor()->streamEnded();
        if (!inflatedWhole && !error())
            fileError = DataDecompressor::inflateErrorWithCode(Z_BUF_ERROR);
        setDataDecompressor(nullptr);
        // A body that goes out again with the redirect keeps its file until the request ends.
        const bool bodyGoesAgain = needsRedirect() && shouldStreamPostDataFromDisk();
        if (didCreateTemporaryPostDataFile() && authenticationNeeded() == 0 && !bodyGoesAgain) {
            removeTemporaryFile(&HTTPRequest::postBodyFilePath, &HTTPRequest::setPostBodyFilePath);
            removeTemporaryFile(&HTTPRequest::compressedPostBodyFilePath, &HTTPRequest::setCompressedPostBodyFilePath);
        }
        if (!temporaryFileDownloadPath().isEmpty()) {
            fileDownloadOutputStream_.reset();
            inflatedFileDownloadOutputStream_.reset();
            // The destination takes the final answer of a request that succeeds, and nothing
            // else: after a redirect or a challenge the request goes on (or fails) and the file
            // that was there stays as it was. A partial file stays for the attempt that resumes it.
            const bool finalAnswer = !needsRedirect() && authenticationNeeded() == 0;
            const bool keepPartial = !finalAnswer && allowResumeForFileDownloads();
            const QString destination = downloadDestinationPath();
            const QString received = temporaryFileDownloadPath();
            if (keepPartial) {
            } else if (fileError || !finalAnswer) {
                removeTemporaryFile(&HTTPRequest::temporaryUncompressedDataDownloadPath,
                                    &HTTPRequest::setTemporaryUncompressedDataDownloadPath);
                removeTemporaryFile(&HTTPRequest::temporaryFileDownloadPath,
                                    &HTTPRequest::setTemporaryFileDownloadPath);
            } else if (!isResponseCompressed()) {
                if (removeFileAtPath(destination, &fileError)) {
                    if (!QFile::rename(received, destination))
                        fileError = moveError(received, destination);
                    setTemporaryFileDownloadPath({});
                }
            } else if (!shouldWaitToInflateCompressedResponses()) {
                const QString inflatedPath = temporaryUncompressedDataDownloadPath();
                if (!QFile::rename(inflatedPath, destination)) {
                    fileError = moveError(inflatedPath, destination);
                    // The inflated copy that could not be put in place is of no further use.
                    QFile::remove(inflatedPath);
                }
                setTemporaryUncompressedDataDownloadPath({});
                removeTemporaryFile(
                    &HTTPRequest::temporaryFileDownloadPath, &HTTPRequest::setTemporaryFileDownloadPath);
            } else {
                // Inflated beside the destination and put in its place only when whole and
                // within the request's bound.
                setTemporaryUncompressedDataDownloadPath(newTemporaryPath());
                const QString inflatedPath = temporaryUncompressedDataDownloadPath();
                bool tooLong = false;
                if (DataDecompressor::uncompressDataFromFile(received, inflatedPath, &fileError, maxDownloadBytes(),
                                                             &tooLong)) {
                    if (removeFileAtPath(destination, &fileError) && !QFile::rename(inflatedPath, destination))
                        fileError = moveError(inflatedPath, destination);
                } else if (tooLong) {
                    fileError = answerTooLong(pastTheBound(maxDownloadBytes()));
                }
                removeTemporaryFile(&HTTPRequest::temporaryUncompressedDataDownloadPath,
                                    &HTTPRequest::setTemporaryUncompressedDataDownloadPath);
                removeTemporaryFile(
                    &HTTPRequest::temporaryFileDownloadPath, &HTTPRequest::setTemporaryFileDownloadPath);
            }
        }
    }
    releaseConnection();
    if (authenticationNeeded() == 0)
        destroyReadStream();
    if (needsRedirect() || authenticationNeeded() != 0)
        return;
    // A body kept to be inflated when asked for is inflated once now, to know that it can be:
    // a request that finishes has the body it claims.
    if (!fileError && !error() && isResponseCompressed() && shouldWaitToInflateCompressedResponses()
        && downloadDestinationPath().isEmpty())
        fileError = inflateKeptBody(nullptr);
    if (fileError)
        failWithError(fileError);
    else
        requestFinished();
    markAsFinished();
}

void HTTPRequest::handleStreamError()
{
    const HttpReadStream::ErrorKind kind = readStream_ ? readStream_->errorKind() : HttpReadStream::ErrorKind::Other;
    const QString message = readStream_ ? readStream_->errorString() : QString();
    const bool reused = readStream_ && readStream_->usesReusedConnection();
    // The retry on a new connection sends the body again: its file stays for it.
    const bool retrying = !error() && kind == HttpReadStream::ErrorKind::BrokenConnection && reused;
    cancelLoad(retrying);
    if (!error()) {
        if (retrying && retryUsingNewConnection())
            return;
        const QString failure = QStringLiteral("A connection failure occurred");
        const QString description =
            kind == HttpReadStream::ErrorKind::Secure
                ? QStringLiteral("%1: SSL problem (possibly a bad/expired/self-signed certificate)").arg(failure)
                : failure;
        // A tunnel's proxy that still asks after what it was offered is a challenge not met.
        failWithError(kind == HttpReadStream::ErrorKind::ProxyAuthentication
                          ? HTTPError::authenticationNeeded()
                          : HTTPError::make(HTTPError::ConnectionFailure, description,
                                            HTTPError::make(HTTPError::ConnectionFailure, message)));
    }
    checkRequestStatus();
}

void HTTPRequest::cancelLoad(bool keepUploadBody)
{
    // The connection stays in the pool: a load is also cancelled to send the request again,
    // with credentials, on the same connection. A failure takes it out (failWithError).
    if (readStream_)
        releaseConnection();
    destroyReadStream();
    statusTimer_.reset();
    if (rawResponseData()) {
        setRawResponseData(std::nullopt);
    } else if (!temporaryFileDownloadPath().isEmpty()) {
        fileDownloadOutputStream_.reset();
        inflatedFileDownloadOutputStream_.reset();
        if (!allowResumeForFileDownloads())
            removeTemporaryFile(&HTTPRequest::temporaryFileDownloadPath, &HTTPRequest::setTemporaryFileDownloadPath);
        removeTemporaryFile(&HTTPRequest::temporaryUncompressedDataDownloadPath,
                            &HTTPRequest::setTemporaryUncompressedDataDownloadPath);
    }
    const bool bodyGoesAgain = keepUploadBody || (needsRedirect() && shouldStreamPostDataFromDisk());
    if (authenticationNeeded() == 0 && didCreateTemporaryPostDataFile() && !bodyGoesAgain) {
        removeTemporaryFile(&HTTPRequest::postBodyFilePath, &HTTPRequest::setPostBodyFilePath);
        removeTemporaryFile(&HTTPRequest::compressedPostBodyFilePath, &HTTPRequest::setCompressedPostBodyFilePath);
        setDidCreateTemporaryPostDataFile(false);
    }
    setResponseHeaders({});
}

bool HTTPRequest::removeTemporaryFile(QString (HTTPRequest::*path)() const, void (HTTPRequest::*setPath)(QString))
{
    const QString file = (this->*path)();
    if (file.isEmpty())
        return true;
    HTTPErrorPtr failure;
    const bool removed = removeFileAtPath(file, &failure);
    (this->*setPath)(QString());
    if (!removed)
        failWithError(failure);
    return removed;
}

bool HTTPRequest::removeFileAtPath(const QString& path, HTTPErrorPtr* error)
{
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (file.remove())
        return true;
    if (error)
        *error = HTTPError::make(HTTPError::FileManagement,
                                 QStringLiteral("Failed to delete file at path '%1'").arg(path),
                                 HTTPError::make(file.error(), file.errorString()));
    return false;
}

HTTPErrorPtr HTTPRequest::inflateKeptBody(QByteArray* inflated) const
{
    const auto raw = rawResponseData();
    if (!raw || raw->isEmpty())
        return nullptr;
    // Inflated a step at a time: a small answer that would inflate past the request's bound or
    // past what a body kept in memory may hold stops there, rather than taking all the memory
    // there is.
    const quint64 most = maxDownloadBytes();
    const auto decompressor = DataDecompressor::decompressor();
    quint64 made = 0;
    QString past;
    HTTPErrorPtr failure = decompressor->processInSteps(
        raw->constData(), raw->size(), false, [&](const char* piece, qsizetype size) {
            made += quint64(size);
            if (most > 0 && made > most)
                past = pastTheBound(most);
            else if (made > quint64(kMaxBodyInMemory))
                past = kTooLongToKeep;
            else if (inflated)
                inflated->append(piece, size);
            return past.isEmpty();
        });
    if (!past.isEmpty())
        return answerTooLong(past);
    // A body cut off before its end is no whole body either.
    if (!failure && !decompressor->streamEnded())
        failure = DataDecompressor::inflateErrorWithCode(Z_BUF_ERROR);
    if (!failure)
        failure = decompressor->closeStream();
    return failure;
}
