#pragma once

#include "web/http/HTTPRequest.h"
#include "web/http/Operation.h"

#include <QVariantMap>

#include <memory>

class NetworkQueue;

// What a queue tells its owner, beyond what each request tells it: the last request has ended.
class NetworkQueueDelegate : public HTTPRequestDelegate
{
public:
    virtual void queueFinished(NetworkQueue*) {}
};

// Runs HTTP requests, at most four at a time, and sums their progress into one upload and one
// download figure for two progress indicators. It listens to every request it runs and passes
// their start, headers, redirects, ends and failures to one delegate, through the operations the
// owner picked (none picked: nothing is passed). A new queue is suspended: nothing runs before
// go(). With accurate progress the figures count bytes (a GET first asks for its size with a HEAD
// request), otherwise whole requests. The owner keeps the queue (a shared object) for as long as
// its requests should be heard: the requests report through a relay that falls silent once the
// queue is gone, so the queue is never let go of on a thread of its own workers. The delegate and
// the indicators are observed, not owned. Counters and delegate calls are touched on the main
// thread only, where requests report.
class NetworkQueue : public HTTPRequestQueueListener, public std::enable_shared_from_this<NetworkQueue>
{
public:
    using RequestSelector = void (NetworkQueueDelegate::*)(HTTPRequest*);
    using HeadersSelector = void (NetworkQueueDelegate::*)(HTTPRequest*, const HTTPHeaders&);
    using RedirectSelector = void (NetworkQueueDelegate::*)(HTTPRequest*, const QUrl&);
    using QueueSelector = void (NetworkQueueDelegate::*)(NetworkQueue*);

    NetworkQueue();
    ~NetworkQueue() override;
    static std::shared_ptr<NetworkQueue> queue();
    // A suspended queue with the same delegate, operations picked, indicators and flags, and a
    // copy of the owner's data; no requests, counters at 0.
    std::shared_ptr<NetworkQueue> copy() const;

    void go();
    void setSuspended(bool suspended);
    bool isSuspended() const;
    // Cancels everything, forgets the delegate, the indicators and every picked operation but the
    // redirect one, and suspends the queue.
    void reset();
    // Zeroes the four byte counters, then cancels every request held.
    void cancelAllOperations();
    void addOperation(const std::shared_ptr<HTTPRequest>& request);
    // A size-asking request: run first (high priority), not counted among the requests.
    void addHEADOperation(const std::shared_ptr<HTTPRequest>& request);
    int operationCount() const;
    int maxConcurrentOperationCount() const;

    // --- Events from the requests (main thread) ---------------------------------------------------
    bool implements(Operation operation) const override;
    void requestStarted(HTTPRequest* request) override;
    void requestDidReceiveResponseHeaders(HTTPRequest* request, const HTTPHeaders& headers) override;
    void requestWillRedirectToURL(HTTPRequest* request, const QUrl& url) override;
    void requestFinished(HTTPRequest* request) override;
    void requestFailed(HTTPRequest* request) override;
    void authenticationNeededForRequest(HTTPRequest* request) override;
    void proxyAuthenticationNeededForRequest(HTTPRequest* request) override;
    void requestDidReceiveBytes(HTTPRequest* request, qint64 amount) override;
    void requestDidSendBytes(HTTPRequest* request, qint64 amount) override;
    void requestIncrementDownloadSizeBy(HTTPRequest* request, qint64 amount) override;
    void requestIncrementUploadSizeBy(HTTPRequest* request, qint64 amount) override;

    // --- Fields -----------------------------------------------------------------------------------
    std::shared_ptr<NetworkQueueDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<NetworkQueueDelegate>& delegate) { delegate_ = delegate; }
    RequestSelector requestDidStartSelector() const { return requestDidStartSelector_; }
    void setRequestDidStartSelector(RequestSelector selector) { requestDidStartSelector_ = selector; }
    HeadersSelector requestDidReceiveResponseHeadersSelector() const
    {
        return requestDidReceiveResponseHeadersSelector_;
    }
    void setRequestDidReceiveResponseHeadersSelector(HeadersSelector selector)
    {
        requestDidReceiveResponseHeadersSelector_ = selector;
    }
    RedirectSelector requestWillRedirectSelector() const { return requestWillRedirectSelector_; }
    void setRequestWillRedirectSelector(RedirectSelector selector) { requestWillRedirectSelector_ = selector; }
    RequestSelector requestDidFinishSelector() const { return requestDidFinishSelector_; }
    void setRequestDidFinishSelector(RequestSelector selector) { requestDidFinishSelector_ = selector; }
    RequestSelector requestDidFailSelector() const { return requestDidFailSelector_; }
    void setRequestDidFailSelector(RequestSelector selector) { requestDidFailSelector_ = selector; }
    QueueSelector queueDidFinishSelector() const { return queueDidFinishSelector_; }
    void setQueueDidFinishSelector(QueueSelector selector) { queueDidFinishSelector_ = selector; }

    std::shared_ptr<ProgressDelegate> uploadProgressDelegate() const { return uploadProgressDelegate_.lock(); }
    // Setting an indicator also resets it: maximum 1.0, value 0.0.
    void setUploadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator);
    std::shared_ptr<ProgressDelegate> downloadProgressDelegate() const { return downloadProgressDelegate_.lock(); }
    void setDownloadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator);

    quint64 bytesUploadedSoFar() const { return bytesUploadedSoFar_; }
    void setBytesUploadedSoFar(quint64 bytes) { bytesUploadedSoFar_ = bytes; }
    quint64 totalBytesToUpload() const { return totalBytesToUpload_; }
    void setTotalBytesToUpload(quint64 bytes) { totalBytesToUpload_ = bytes; }
    quint64 bytesDownloadedSoFar() const { return bytesDownloadedSoFar_; }
    void setBytesDownloadedSoFar(quint64 bytes) { bytesDownloadedSoFar_ = bytes; }
    quint64 totalBytesToDownload() const { return totalBytesToDownload_; }
    void setTotalBytesToDownload(quint64 bytes) { totalBytesToDownload_ = bytes; }
    bool shouldCancelAllRequestsOnFailure() const { return shouldCancelAllRequestsOnFailure_; }
    void setShouldCancelAllRequestsOnFailure(bool cancel) { shouldCancelAllRequestsOnFailure_ = cancel; }
    qint32 requestsCount() const { return requestsCount_; }
    bool showAccurateProgress() const { return showAccurateProgress_; }
    void setShowAccurateProgress(bool accurate) { showAccurateProgress_ = accurate; }
    QVariantMap userInfo() const { return userInfo_; }
    void setUserInfo(const QVariantMap& info) { userInfo_ = info; }

private:
    class Relay;
    std::shared_ptr<HTTPRequestQueueListener> relay();
    // Gives the indicator the maximum 1.0 and the value 0.0, on the main thread.
    static void resetProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator);
    // Shows so-far of total on the indicator.
    static void showProgress(const std::weak_ptr<ProgressDelegate>& indicator, quint64 soFar, quint64 total);
    // Tells the delegate that the queue has finished when no request is counted any more.
    void requestEnded();

    OperationQueue operations_;
    std::shared_ptr<Relay> relay_;
    std::weak_ptr<NetworkQueueDelegate> delegate_;
    RequestSelector requestDidStartSelector_ = nullptr;
    HeadersSelector requestDidReceiveResponseHeadersSelector_ = nullptr;
    RedirectSelector requestWillRedirectSelector_ = nullptr;
    RequestSelector requestDidFinishSelector_ = nullptr;
    RequestSelector requestDidFailSelector_ = nullptr;
    QueueSelector queueDidFinishSelector_ = nullptr;
    std::weak_ptr<ProgressDelegate> uploadProgressDelegate_;
    quint64 bytesUploadedSoFar_ = 0;
    quint64 totalBytesToUpload_ = 0;
    std::weak_ptr<ProgressDelegate> downloadProgressDelegate_;
    quint64 bytesDownloadedSoFar_ = 0;
    quint64 totalBytesToDownload_ = 0;
    bool shouldCancelAllRequestsOnFailure_ = true;
    qint32 requestsCount_ = 0;
    bool showAccurateProgress_ = false;
    QVariantMap userInfo_;
};
