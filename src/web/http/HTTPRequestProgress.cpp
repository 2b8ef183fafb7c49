#include "web/http/HTTPRequest.h"

#include <QCoreApplication>
#include <QThread>

// Every listener call runs on the main thread: calls made there run at once, calls from other
// threads are queued there in the order they were made. Each call reads its listener (or its
// callback) from the request only when it runs, so a listener cleared meanwhile hears nothing.

void HTTPRequest::performOnMainThread(std::function<void()> work)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        work();
        return;
    }
    auto self = sharedFromThis();
    QMetaObject::invokeMethod(
        application, [self, work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

void HTTPRequest::notifyDelegate(std::function<void(HTTPRequestDelegate&)> call)
{
    auto self = sharedFromThis();
    performOnMainThread([self, call = std::move(call)] {
        if (auto delegate = self->delegate())
            call(*delegate);
    });
}

void HTTPRequest::notifyQueue(std::function<void(HTTPRequestQueueListener&)> call)
{
    auto self = sharedFromThis();
    performOnMainThread([self, call = std::move(call)] {
        if (auto queue = self->queue())
            call(*queue);
    });
}

void HTTPRequest::notifyIndicator(std::shared_ptr<ProgressDelegate> (HTTPRequest::*indicator)() const,
                                  std::function<void(ProgressDelegate&)> call)
{
    auto self = sharedFromThis();
    performOnMainThread([self, indicator, call = std::move(call)] {
        if (auto current = ((*self).*indicator)())
            call(*current);
    });
}

template <typename BlockType, typename... Args> void HTTPRequest::callBlock(BlockType Blocks::*field, Args... args)
{
    auto self = sharedFromThis();
    performOnMainThread([self, field, args...] {
        BlockType block;
        {
            std::lock_guard lock(self->propertyMutex_);
            block = self->blocks_.*field;
        }
        if (block)
            block(args...);
    });
}

bool HTTPRequest::shouldSkipNotifications() const
{
    return error() || mainRequest();
}

// --- Notifications -------------------------------------------------------------------------------

void HTTPRequest::requestStarted()
{
    if (shouldSkipNotifications())
        return;
    const RequestSelector selector = didStartSelector();
    if (selector)
        notifyDelegate([this, selector](HTTPRequestDelegate& delegate) { (delegate.*selector)(this); });
    notifyQueue([this](HTTPRequestQueueListener& queue) { queue.requestStarted(this); });
    callBlock(&Blocks::started);
}

void HTTPRequest::requestRedirected()
{
    if (shouldSkipNotifications())
        return;
    notifyDelegate([this](HTTPRequestDelegate& delegate) { delegate.requestRedirected(this); });
    callBlock(&Blocks::requestRedirected);
}

void HTTPRequest::requestReceivedResponseHeaders(const HTTPHeaders& headers)
{
    if (shouldSkipNotifications())
        return;
    const HeadersSelector selector = didReceiveResponseHeadersSelector();
    if (selector)
        notifyDelegate(
            [this, selector, headers](HTTPRequestDelegate& delegate) { (delegate.*selector)(this, headers); });
    notifyQueue(
        [this, headers](HTTPRequestQueueListener& queue) { queue.requestDidReceiveResponseHeaders(this, headers); });
    callBlock(&Blocks::headersReceived, headers);
}

void HTTPRequest::requestWillRedirectToURL(const QUrl& url)
{
    if (shouldSkipNotifications())
        return;
    const RedirectSelector selector = willRedirectSelector();
    if (selector)
        notifyDelegate([this, selector, url](HTTPRequestDelegate& delegate) { (delegate.*selector)(this, url); });
    notifyQueue([this, url](HTTPRequestQueueListener& queue) { queue.requestWillRedirectToURL(this, url); });
}

void HTTPRequest::requestFinished()
{
    if (error() || mainRequest())
        return;
    auto self = sharedFromThis();
    performOnMainThread([self] { self->reportFinished(); });
}

void HTTPRequest::reportFinished()
{
    const RequestSelector selector = didFinishSelector();
    if (auto delegate = this->delegate(); delegate && selector)
        (delegate.get()->*selector)(this);
    if (auto queue = this->queue())
        queue->requestFinished(this);
    callBlock(&Blocks::completion);
}

void HTTPRequest::reportFailure()
{
    const RequestSelector selector = didFailSelector();
    if (auto delegate = this->delegate(); delegate && selector)
        (delegate.get()->*selector)(this);
    if (auto queue = this->queue())
        queue->requestFailed(this);
    callBlock(&Blocks::failure);
}

void HTTPRequest::passOnReceivedData(const QByteArray& data)
{
    const DataSelector selector = didReceiveDataSelector();
    if (selector)
        notifyDelegate([this, selector, data](HTTPRequestDelegate& delegate) { (delegate.*selector)(this, data); });
    callBlock(&Blocks::dataReceived, data);
}

// --- Progress ------------------------------------------------------------------------------------

std::shared_ptr<ProgressDelegate> HTTPRequest::uploadProgressDelegate() const
{
    std::lock_guard lock(cancelledLock_);
    return uploadProgressDelegate_.lock();
}

void HTTPRequest::setUploadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator)
{
    std::lock_guard lock(cancelledLock_);
    uploadProgressDelegate_ = indicator;
    if (indicator)
        notifyIndicator(
            &HTTPRequest::uploadProgressDelegate, [](ProgressDelegate& current) { current.setMaxValue(1.0); });
}

std::shared_ptr<ProgressDelegate> HTTPRequest::downloadProgressDelegate() const
{
    std::lock_guard lock(cancelledLock_);
    return downloadProgressDelegate_.lock();
}

void HTTPRequest::setDownloadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator)
{
    std::lock_guard lock(cancelledLock_);
    downloadProgressDelegate_ = indicator;
    if (indicator)
        notifyIndicator(&HTTPRequest::downloadProgressDelegate,
                        [](ProgressDelegate& current) { current.setMaxValue(1.0); });
}

void HTTPRequest::updateProgressIndicator(std::shared_ptr<ProgressDelegate> (HTTPRequest::*indicator)() const,
                                          quint64 progress, quint64 total)
{
    const double value = total == 0 ? 0.0 : double(progress) / double(total);
    std::lock_guard lock(progressLock());
    notifyIndicator(indicator, [value](ProgressDelegate& current) { current.setDoubleValue(value); });
}

void HTTPRequest::updateProgressIndicators()
{
    if (mainRequest())
        return;
    if (showAccurateProgress() || (complete() && !updatedProgress())) {
        updateUploadProgress();
        updateDownloadProgress();
    }
}

void HTTPRequest::updateUploadProgress()
{
    if (isCancelled() || totalBytesSent() == 0)
        return;
    const quint64 sent = totalBytesSent();
    const quint64 length = postLength();
    // What the connection took into its send buffer at once is not progress of the upload.
    if (uploadBufferSize() == 0 && sent != length) {
        setUploadBufferSize(sent);
        incrementUploadSizeBy(-qint64(sent));
    }
    qint64 amount = 0;
    if (showAccurateProgress()) {
        if (sent != length && lastBytesSent() == 0)
            return;
        amount = qint64(sent - lastBytesSent());
        if (amount == 0)
            return;
    } else {
        amount = 1;
        setUpdatedProgress(true);
    }
    notifyQueue([this, amount](HTTPRequestQueueListener& queue) { queue.requestDidSendBytes(this, amount); });
    notifyIndicator(&HTTPRequest::uploadProgressDelegate,
                    [this, amount](ProgressDelegate& indicator) { indicator.requestDidSendBytes(this, amount); });
    const quint64 buffer = uploadBufferSize();
    updateProgressIndicator(&HTTPRequest::uploadProgressDelegate, sent - buffer, length - buffer);
    callBlock(&Blocks::bytesSent, quint64(amount), length);
}

void HTTPRequest::updateDownloadProgress()
{
    if (responseHeaders().isEmpty() || needsRedirect())
        return;
    if (contentLength() == 0 && !complete())
        return;
    const quint64 soFar = totalBytesRead() + partialDownloadSize();
    qint64 amount = 0;
    if (!showAccurateProgress() || contentLength() == 0) {
        amount = 1;
        setUpdatedProgress(true);
    } else {
        amount = qint64(soFar - lastBytesRead());
        if (amount == 0)
            return;
    }
    const quint64 total = contentLength() + partialDownloadSize();
    notifyQueue([this, amount](HTTPRequestQueueListener& queue) { queue.requestDidReceiveBytes(this, amount); });
    notifyIndicator(&HTTPRequest::downloadProgressDelegate,
                    [this, amount](ProgressDelegate& indicator) { indicator.requestDidReceiveBytes(this, amount); });
    updateProgressIndicator(&HTTPRequest::downloadProgressDelegate, soFar, total);
    callBlock(&Blocks::bytesReceived, quint64(amount), total);
    setLastBytesRead(soFar);
}

void HTTPRequest::incrementUploadSizeBy(qint64 amount)
{
    notifyQueue([this, amount](HTTPRequestQueueListener& queue) { queue.requestIncrementUploadSizeBy(this, amount); });
    notifyIndicator(&HTTPRequest::uploadProgressDelegate,
        [this, amount](ProgressDelegate& indicator) { indicator.requestIncrementUploadSizeBy(this, amount); });
    callBlock(&Blocks::uploadSizeIncremented, amount);
}

void HTTPRequest::incrementDownloadSizeBy(qint64 amount)
{
    notifyQueue(
        [this, amount](HTTPRequestQueueListener& queue) { queue.requestIncrementDownloadSizeBy(this, amount); });
    notifyIndicator(&HTTPRequest::downloadProgressDelegate,
        [this, amount](ProgressDelegate& indicator) { indicator.requestIncrementDownloadSizeBy(this, amount); });
    callBlock(&Blocks::downloadSizeIncremented, amount);
}

void HTTPRequest::removeUploadProgressSoFar()
{
    const qint64 amount = -qint64(totalBytesSent());
    notifyQueue([this, amount](HTTPRequestQueueListener& queue) { queue.requestDidSendBytes(this, amount); });
    notifyIndicator(&HTTPRequest::uploadProgressDelegate,
                    [this, amount](ProgressDelegate& indicator) { indicator.requestDidSendBytes(this, amount); });
    updateProgressIndicator(&HTTPRequest::uploadProgressDelegate, 0, postLength());
    callBlock(&Blocks::bytesSent, quint64(amount), postLength());
}
