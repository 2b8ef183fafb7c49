#include "web/http/NetworkQueue.h"

#include <QCoreApplication>
#include <QThread>

namespace {

constexpr int kHEADPriority = 10;

void onMainThread(std::function<void()> work)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

} // namespace

// What the requests hold as their queue: it passes each event on while the queue lives.
class NetworkQueue::Relay : public HTTPRequestQueueListener
{
public:
    explicit Relay(std::weak_ptr<NetworkQueue> queue)
        : queue_(std::move(queue))
    {
    }
    bool implements(Operation operation) const override
    {
        const auto queue = queue_.lock();
        return queue && queue->implements(operation);
    }
    void requestStarted(HTTPRequest* request) override { pass(&NetworkQueue::requestStarted, request); }
    void requestDidReceiveResponseHeaders(HTTPRequest* request, const HTTPHeaders& headers) override
    {
        pass(&NetworkQueue::requestDidReceiveResponseHeaders, request, headers);
    }
    void requestWillRedirectToURL(HTTPRequest* request, const QUrl& url) override
    {
        pass(&NetworkQueue::requestWillRedirectToURL, request, url);
    }
    void requestFinished(HTTPRequest* request) override { pass(&NetworkQueue::requestFinished, request); }
    void requestFailed(HTTPRequest* request) override { pass(&NetworkQueue::requestFailed, request); }
    void authenticationNeededForRequest(HTTPRequest* request) override
    {
        pass(&NetworkQueue::authenticationNeededForRequest, request);
    }
    void proxyAuthenticationNeededForRequest(HTTPRequest* request) override
    {
        pass(&NetworkQueue::proxyAuthenticationNeededForRequest, request);
    }
    void requestDidReceiveBytes(HTTPRequest* request, qint64 amount) override
    {
        pass(&NetworkQueue::requestDidReceiveBytes, request, amount);
    }
    void requestDidSendBytes(HTTPRequest* request, qint64 amount) override
    {
        pass(&NetworkQueue::requestDidSendBytes, request, amount);
    }
    void requestIncrementDownloadSizeBy(HTTPRequest* request, qint64 amount) override
    {
        pass(&NetworkQueue::requestIncrementDownloadSizeBy, request, amount);
    }
    void requestIncrementUploadSizeBy(HTTPRequest* request, qint64 amount) override
    {
        pass(&NetworkQueue::requestIncrementUploadSizeBy, request, amount);
    }

private:
    template <typename... Params, typename... Args>
    void pass(void (NetworkQueue::*event)(Params...), Args&&... args)
    {
        if (auto queue = queue_.lock())
            ((*queue).*event)(std::forward<Args>(args)...);
    }

    std::weak_ptr<NetworkQueue> queue_;
};

NetworkQueue::NetworkQueue()
{
    operations_.setMaxConcurrentOperationCount(OperationQueue::kDefaultMaxConcurrentOperations);
    operations_.setSuspended(true);
}

NetworkQueue::~NetworkQueue()
{
    for (const auto& operation : operations_.operations())
        if (auto request = std::dynamic_pointer_cast<HTTPRequest>(operation))
            request->setQueue(nullptr);
}

std::shared_ptr<HTTPRequestQueueListener> NetworkQueue::relay()
{
    if (!relay_)
        relay_ = std::make_shared<Relay>(weak_from_this());
    return relay_;
}

std::shared_ptr<NetworkQueue> NetworkQueue::queue()
{
    return std::make_shared<NetworkQueue>();
}

std::shared_ptr<NetworkQueue> NetworkQueue::copy() const
{
    auto queue = std::make_shared<NetworkQueue>();
    queue->delegate_ = delegate_;
    queue->requestDidStartSelector_ = requestDidStartSelector_;
    queue->requestDidReceiveResponseHeadersSelector_ = requestDidReceiveResponseHeadersSelector_;
    queue->requestWillRedirectSelector_ = requestWillRedirectSelector_;
    queue->requestDidFinishSelector_ = requestDidFinishSelector_;
    queue->requestDidFailSelector_ = requestDidFailSelector_;
    queue->queueDidFinishSelector_ = queueDidFinishSelector_;
    queue->uploadProgressDelegate_ = uploadProgressDelegate_;
    queue->downloadProgressDelegate_ = downloadProgressDelegate_;
    queue->shouldCancelAllRequestsOnFailure_ = shouldCancelAllRequestsOnFailure_;
    queue->showAccurateProgress_ = showAccurateProgress_;
    queue->userInfo_ = userInfo_;
    return queue;
}

// --- Running -------------------------------------------------------------------------------------

void NetworkQueue::go()
{
    setSuspended(false);
}

void NetworkQueue::setSuspended(bool suspended)
{
    operations_.setSuspended(suspended);
}

bool NetworkQueue::isSuspended() const
{
    return operations_.isSuspended();
}

int NetworkQueue::operationCount() const
{
    return operations_.operationCount();
}

int NetworkQueue::maxConcurrentOperationCount() const
{
    return operations_.maxConcurrentOperationCount();
}

void NetworkQueue::reset()
{
    cancelAllOperations();
    delegate_.reset();
    uploadProgressDelegate_.reset();
    downloadProgressDelegate_.reset();
    requestDidStartSelector_ = nullptr;
    requestDidReceiveResponseHeadersSelector_ = nullptr;
    requestDidFailSelector_ = nullptr;
    requestDidFinishSelector_ = nullptr;
    queueDidFinishSelector_ = nullptr;
    setSuspended(true);
}

void NetworkQueue::cancelAllOperations()
{
    bytesUploadedSoFar_ = 0;
    totalBytesToUpload_ = 0;
    bytesDownloadedSoFar_ = 0;
    totalBytesToDownload_ = 0;
    operations_.cancelAllOperations();
}

void NetworkQueue::addOperation(const std::shared_ptr<HTTPRequest>& request)
{
    if (!request)
        return;
    ++requestsCount_;
    if (showAccurateProgress_) {
        request->buildPostBody();
        if (request->requestMethod() == QLatin1String("GET") && isSuspended()) {
            auto head = request->HEADRequest();
            addHEADOperation(head);
            request->addDependency(head);
            if (request->shouldResetDownloadProgress()) {
                resetProgressDelegate(downloadProgressDelegate());
                request->setShouldResetDownloadProgress(false);
            }
        }
        request->buildPostBody();
        totalBytesToUpload_ += request->postLength();
    } else {
        totalBytesToDownload_ += 1;
        totalBytesToUpload_ += 1;
    }
    if (request->shouldResetUploadProgress()) {
        resetProgressDelegate(uploadProgressDelegate());
        request->setShouldResetUploadProgress(false);
    }
    request->setShowAccurateProgress(showAccurateProgress_);
    request->setQueue(relay());
    operations_.addOperation(request);
}

void NetworkQueue::addHEADOperation(const std::shared_ptr<HTTPRequest>& request)
{
    if (!request)
        return;
    request->setRequestMethod(QStringLiteral("HEAD"));
    request->setQueuePriority(kHEADPriority);
    request->setShowAccurateProgress(true);
    request->setQueue(relay());
    operations_.addOperation(request);
}

// --- Progress ------------------------------------------------------------------------------------

void NetworkQueue::setUploadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator)
{
    uploadProgressDelegate_ = indicator;
    resetProgressDelegate(indicator);
}

void NetworkQueue::setDownloadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator)
{
    downloadProgressDelegate_ = indicator;
    resetProgressDelegate(indicator);
}

void NetworkQueue::resetProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator)
{
    if (!indicator)
        return;
    std::weak_ptr<ProgressDelegate> observed = indicator;
    onMainThread([observed] {
        if (auto current = observed.lock()) {
            current->setMaxValue(1.0);
            current->setDoubleValue(0.0);
        }
    });
}

void NetworkQueue::showProgress(const std::weak_ptr<ProgressDelegate>& indicator, quint64 soFar, quint64 total)
{
    auto current = indicator.lock();
    if (!current)
        return;
    std::lock_guard lock(HTTPRequest::progressLock());
    current->setDoubleValue(total == 0 ? 0.0 : double(soFar) / double(total));
}

// The sums wrap around at 64 bits, so that a negative amount takes bytes back.

void NetworkQueue::requestDidSendBytes(HTTPRequest*, qint64 amount)
{
    bytesUploadedSoFar_ += quint64(amount);
    showProgress(uploadProgressDelegate_, bytesUploadedSoFar_, totalBytesToUpload_);
}

void NetworkQueue::requestDidReceiveBytes(HTTPRequest*, qint64 amount)
{
    bytesDownloadedSoFar_ += quint64(amount);
    showProgress(downloadProgressDelegate_, bytesDownloadedSoFar_, totalBytesToDownload_);
}

void NetworkQueue::requestIncrementUploadSizeBy(HTTPRequest*, qint64 amount)
{
    totalBytesToUpload_ += quint64(amount);
}

void NetworkQueue::requestIncrementDownloadSizeBy(HTTPRequest*, qint64 amount)
{
    totalBytesToDownload_ += quint64(amount);
}

// --- Request events ------------------------------------------------------------------------------

bool NetworkQueue::implements(Operation operation) const
{
    const auto owner = delegate();
    switch (operation) {
    case Operation::AuthenticationNeeded:
    case Operation::ProxyAuthenticationNeeded:
        return owner && owner->implements(operation);
    case Operation::WillRedirect:
        return owner && requestWillRedirectSelector_ && owner->implements(operation);
    case Operation::DidReceiveData:
        return false;
    }
    return false;
}

void NetworkQueue::requestStarted(HTTPRequest* request)
{
    if (auto owner = delegate(); owner && requestDidStartSelector_)
        (owner.get()->*requestDidStartSelector_)(request);
}

void NetworkQueue::requestDidReceiveResponseHeaders(HTTPRequest* request, const HTTPHeaders& headers)
{
    if (auto owner = delegate(); owner && requestDidReceiveResponseHeadersSelector_)
        (owner.get()->*requestDidReceiveResponseHeadersSelector_)(request, headers);
}

void NetworkQueue::requestWillRedirectToURL(HTTPRequest* request, const QUrl& url)
{
    if (auto owner = delegate(); owner && requestWillRedirectSelector_)
        (owner.get()->*requestWillRedirectSelector_)(request, url);
}

void NetworkQueue::requestEnded()
{
    if (requestsCount_ != 0)
        return;
    if (auto owner = delegate(); owner && queueDidFinishSelector_)
        (owner.get()->*queueDidFinishSelector_)(this);
}

// The count goes down before the delegate hears of the request, so that a delegate reading it
// there no longer counts the request that ended.
void NetworkQueue::requestFinished(HTTPRequest* request)
{
    --requestsCount_;
    if (auto owner = delegate(); owner && requestDidFinishSelector_)
        (owner.get()->*requestDidFinishSelector_)(request);
    requestEnded();
}

void NetworkQueue::requestFailed(HTTPRequest* request)
{
    --requestsCount_;
    if (auto owner = delegate(); owner && requestDidFailSelector_)
        (owner.get()->*requestDidFailSelector_)(request);
    requestEnded();
    if (shouldCancelAllRequestsOnFailure_ && requestsCount_ > 0)
        cancelAllOperations();
}

void NetworkQueue::authenticationNeededForRequest(HTTPRequest* request)
{
    if (auto owner = delegate(); owner && owner->implements(Operation::AuthenticationNeeded))
        owner->authenticationNeededForRequest(request);
}

void NetworkQueue::proxyAuthenticationNeededForRequest(HTTPRequest* request)
{
    if (auto owner = delegate(); owner && owner->implements(Operation::ProxyAuthenticationNeeded))
        owner->proxyAuthenticationNeededForRequest(request);
}
