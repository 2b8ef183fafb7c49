#include "LoopbackServer.h"
#include "web/http/FormDataRequest.h"
#include "web/http/NetworkQueue.h"
#include "support/TimeLimit.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Reply = LoopbackServer::Reply;
using Request = LoopbackServer::Request;

bool waitFor(const std::function<bool()>& condition, int milliseconds = 8000)
{
    return QTest::qWaitFor(condition, milliseconds);
}

// A progress bar as the queue sees it.
class Indicator : public ProgressDelegate
{
public:
    void setDoubleValue(double value) override
    {
        this->value = value;
        values.append(value);
    }
    void setMaxValue(double value) override { maximum = value; }
    double value = -1.0;
    double maximum = -1.0;
    QList<double> values;
};

// Records which of its operations the queue called, in order.
class Owner : public NetworkQueueDelegate
{
public:
    void started(HTTPRequest* request) { log.append(QStringLiteral("started ") + request->url().path()); }
    void finished(HTTPRequest* request) { log.append(QStringLiteral("finished ") + request->url().path()); }
    void failed(HTTPRequest* request)
    {
        log.append(QStringLiteral("failed %1 %2").arg(request->url().path()).arg(request->error()->code));
    }
    void queueFinished(NetworkQueue*) override { log.append(QStringLiteral("queue finished")); }
    void headers(HTTPRequest* request, const HTTPHeaders&) { log.append(QStringLiteral("headers ") + request->url().path()); }
    void redirect(HTTPRequest*, const QUrl&) {}
    QStringList log;
};

std::shared_ptr<NetworkQueue> queueFor(const std::shared_ptr<Owner>& owner)
{
    auto queue = NetworkQueue::queue();
    queue->setDelegate(owner);
    queue->setRequestDidStartSelector(static_cast<NetworkQueue::RequestSelector>(&Owner::started));
    queue->setRequestDidFinishSelector(static_cast<NetworkQueue::RequestSelector>(&Owner::finished));
    queue->setRequestDidFailSelector(static_cast<NetworkQueue::RequestSelector>(&Owner::failed));
    queue->setQueueDidFinishSelector(&NetworkQueueDelegate::queueFinished);
    return queue;
}

std::shared_ptr<HTTPRequest> upload(const QUrl& url, qsizetype size)
{
    auto request = HTTPRequest::requestWithURL(url);
    request->setTimeOutSeconds(10);
    request->appendPostData(QByteArray(size, 'u'));
    return request;
}

// Drops the connection of "/first" and never answers any other request.
Reply dropFirstSilenceOthers(const Request& request)
{
    Reply reply;
    if (request.requestLine.startsWith("GET /first"))
        reply.drop = true;
    else
        reply.silent = true;
    return reply;
}

} // namespace

TEST(NetworkQueue, ANewQueueWaitsSuspendedUntilItIsStarted)
{
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "ok"); });
    auto owner = std::make_shared<Owner>();
    auto queue = queueFor(owner);
    EXPECT_TRUE(queue->isSuspended());
    EXPECT_TRUE(queue->shouldCancelAllRequestsOnFailure());
    EXPECT_FALSE(queue->showAccurateProgress());
    EXPECT_EQ(queue->maxConcurrentOperationCount(), 4);
    queue->addOperation(HTTPRequest::requestWithURL(server.url(QStringLiteral("/one"))));
    QTest::qWait(300);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(queue->requestsCount(), 1);
    queue->go();
    ASSERT_TRUE(waitFor([&] { return owner->log.contains(QStringLiteral("queue finished")); }));
    EXPECT_EQ(owner->log,
              (QStringList{QStringLiteral("started /one"), QStringLiteral("finished /one"),
                           QStringLiteral("queue finished")}));
    EXPECT_EQ(queue->requestsCount(), 0);
}

TEST(NetworkQueue, TotalsCountBytesWithAccurateProgressAndWholeRequestsWithout)
{
    const QUrl url(QStringLiteral("http://127.0.0.1:9/up"));
    const struct {
        const char* name;
        bool accurate;
        int requests;
        quint64 upload;
        quint64 download;
    } rows[] = {
        {"accurate, one body of 1000 bytes", true, 1, 1000, 0},
        {"accurate, three bodies", true, 3, 3000, 0},
        {"whole requests, three", false, 3, 3, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto indicator = std::make_shared<Indicator>();
        auto queue = NetworkQueue::queue();
        queue->setShowAccurateProgress(row.accurate);
        queue->setUploadProgressDelegate(indicator);
        EXPECT_EQ(indicator->maximum, 1.0);
        EXPECT_EQ(indicator->value, 0.0);
        QList<std::shared_ptr<HTTPRequest>> requests;
        for (int i = 0; i < row.requests; ++i) {
            requests.append(upload(url, 1000));
            queue->addOperation(requests.last());
            // The queue took over resetting the indicator.
            EXPECT_FALSE(requests.last()->shouldResetUploadProgress());
            EXPECT_EQ(requests.last()->showAccurateProgress(), row.accurate);
        }
        EXPECT_EQ(queue->totalBytesToUpload(), row.upload);
        EXPECT_EQ(queue->totalBytesToDownload(), row.download);
        EXPECT_EQ(queue->requestsCount(), row.requests);
        if (row.accurate && row.requests == 1) {
            queue->requestDidSendBytes(requests.first().get(), 250);
            EXPECT_DOUBLE_EQ(indicator->value, 0.25);
            // A negative amount takes progress back.
            queue->requestDidSendBytes(requests.first().get(), -50);
            EXPECT_DOUBLE_EQ(indicator->value, 0.2);
            queue->requestIncrementUploadSizeBy(requests.first().get(), 1000);
            queue->requestDidSendBytes(requests.first().get(), 200);
            EXPECT_DOUBLE_EQ(indicator->value, 0.2);
        }
        queue->cancelAllOperations();
        EXPECT_EQ(queue->totalBytesToUpload(), 0u);
        EXPECT_EQ(queue->bytesUploadedSoFar(), 0u);
    }
}

TEST(NetworkQueue, AFailedRequestCancelsTheRequestsStillWaiting)
{
    // The first request's connection is dropped; the other two would wait for an answer forever.
    LoopbackServer server(dropFirstSilenceOthers);
    const struct {
        const char* name;
        bool cancelOnFailure;
    } rows[] = {{"cancelling", true}, {"not cancelling", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto owner = std::make_shared<Owner>();
        auto queue = queueFor(owner);
        queue->setShouldCancelAllRequestsOnFailure(row.cancelOnFailure);
        for (const char* path : {"/first", "/second", "/third"}) {
            auto request = HTTPRequest::requestWithURL(server.url(QString::fromLatin1(path)));
            request->setTimeOutSeconds(row.cancelOnFailure ? 30 : 1);
            request->setNumberOfTimesToRetryOnTimeout(0);
            queue->addOperation(request);
        }
        QElapsedTimer clock;
        clock.start();
        queue->go();
        ASSERT_TRUE(waitFor([&] { return owner->log.contains(QStringLiteral("queue finished")); }, 20000));
        EXPECT_EQ(owner->log.filter(QStringLiteral("failed /first")).size(), 1);
        if (row.cancelOnFailure) {
            // Cancelled (code 4) at once, long before their own time-out.
            EXPECT_TRUE(owner->log.contains(QStringLiteral("failed /second 4")));
            EXPECT_TRUE(owner->log.contains(QStringLiteral("failed /third 4")));
            EXPECT_LT(clock.elapsed(), TestTime::limitMs(10000));
            EXPECT_LT(owner->log.indexOf(QRegularExpression(QStringLiteral("^failed /first"))),
                      owner->log.indexOf(QStringLiteral("failed /second 4")));
        } else {
            // Left alone, they run into their own time-out (code 2).
            EXPECT_TRUE(owner->log.contains(QStringLiteral("failed /second 2")));
            EXPECT_TRUE(owner->log.contains(QStringLiteral("failed /third 2")));
        }
        EXPECT_EQ(owner->log.filter(QStringLiteral("finished /")).size(), 0);
        EXPECT_EQ(owner->log.count(QStringLiteral("queue finished")), 1);
        EXPECT_EQ(owner->log.last(), QStringLiteral("queue finished"));
    }
}

// The last request still counted is cancelled too: one failure with one request left waiting
// is enough.
TEST(NetworkQueue, AFailureCancelsEvenTheOneRequestLeftWaiting)
{
    LoopbackServer server(dropFirstSilenceOthers);
    auto owner = std::make_shared<Owner>();
    auto queue = queueFor(owner);
    for (const char* path : {"/first", "/second"}) {
        auto request = HTTPRequest::requestWithURL(server.url(QString::fromLatin1(path)));
        request->setTimeOutSeconds(30);
        queue->addOperation(request);
    }
    QElapsedTimer clock;
    clock.start();
    queue->go();
    ASSERT_TRUE(waitFor([&] { return owner->log.contains(QStringLiteral("queue finished")); }, 20000));
    EXPECT_LT(clock.elapsed(), TestTime::limitMs(10000));
    QStringList ends = owner->log.filter(QRegularExpression(QStringLiteral("^(failed|finished|queue)")));
    ASSERT_EQ(ends.size(), 3);
    EXPECT_TRUE(ends[0].startsWith(QStringLiteral("failed /first")));
    EXPECT_EQ(ends[1], QStringLiteral("failed /second 4"));
    EXPECT_EQ(ends[2], QStringLiteral("queue finished"));
    EXPECT_EQ(queue->requestsCount(), 0);
}

TEST(NetworkQueue, AGetAsksForItsSizeFirstSoDownloadProgressIsInBytes)
{
    const QByteArray page(5000, 'p');
    LoopbackServer server([&page](const Request& request) {
        if (request.requestLine.startsWith("HEAD ")) {
            Reply reply;
            reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
            return reply;
        }
        return LoopbackServer::answer("200 OK", page);
    });
    auto owner = std::make_shared<Owner>();
    auto indicator = std::make_shared<Indicator>();
    auto queue = queueFor(owner);
    queue->setShowAccurateProgress(true);
    queue->setDownloadProgressDelegate(indicator);
    auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/page")));
    request->setAllowCompressedResponse(false);
    queue->addOperation(request);
    EXPECT_FALSE(request->shouldResetDownloadProgress());
    ASSERT_EQ(request->dependencies().size(), 1u);
    // The size-asking request is not counted as one of the queue's requests.
    EXPECT_EQ(queue->requestsCount(), 1);
    queue->go();
    ASSERT_TRUE(waitFor([&] { return owner->log.contains(QStringLiteral("queue finished")); }));
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_TRUE(server.requests()[0].requestLine.startsWith("HEAD /page "));
    EXPECT_TRUE(server.requests()[1].requestLine.startsWith("GET /page "));
    EXPECT_EQ(queue->totalBytesToDownload(), 5000u);
    EXPECT_EQ(queue->bytesDownloadedSoFar(), 5000u);
    EXPECT_DOUBLE_EQ(indicator->value, 1.0);
    EXPECT_EQ(request->responseData(), page);
    EXPECT_EQ(owner->log, (QStringList{QStringLiteral("started /page"), QStringLiteral("finished /page"),
                                       QStringLiteral("queue finished")}));
}

TEST(NetworkQueue, AFormUploadReportsItsProgressUpToTheWhole)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("story.vtrsf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(600000, 's'));
    }
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "stored"); });
    auto owner = std::make_shared<Owner>();
    auto indicator = std::make_shared<Indicator>();
    auto queue = queueFor(owner);
    queue->setShowAccurateProgress(true);
    queue->setUploadProgressDelegate(indicator);
    auto request = FormDataRequest::requestWithURL(server.url(QStringLiteral("/upload")));
    request->setTimeOutSeconds(10);
    request->setPostValue(QStringLiteral("7"), QStringLiteral("id"));
    request->setFile(path, QStringLiteral("file"));
    queue->addOperation(request);
    // The body was built when it was added, so the total is known before anything is sent.
    EXPECT_GT(request->postLength(), 600000u);
    EXPECT_EQ(queue->totalBytesToUpload(), request->postLength());
    EXPECT_TRUE(request->dependencies().empty());
    queue->go();
    ASSERT_TRUE(waitFor([&] { return owner->log.contains(QStringLiteral("queue finished")); }));
    EXPECT_TRUE(owner->log.contains(QStringLiteral("finished /upload")));
    EXPECT_EQ(queue->bytesUploadedSoFar(), queue->totalBytesToUpload());
    EXPECT_DOUBLE_EQ(indicator->value, 1.0);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(quint64(server.requests().first().body.size()), request->postLength());
}

TEST(NetworkQueue, ResetForgetsTheOwnerButTheRedirectOperation)
{
    auto owner = std::make_shared<Owner>();
    auto indicator = std::make_shared<Indicator>();
    auto queue = queueFor(owner);
    queue->setRequestWillRedirectSelector(static_cast<NetworkQueue::RedirectSelector>(&Owner::redirect));
    queue->setRequestDidReceiveResponseHeadersSelector(static_cast<NetworkQueue::HeadersSelector>(&Owner::headers));
    queue->setUploadProgressDelegate(indicator);
    queue->setDownloadProgressDelegate(indicator);
    queue->go();
    queue->reset();
    EXPECT_FALSE(queue->delegate());
    EXPECT_FALSE(queue->uploadProgressDelegate());
    EXPECT_FALSE(queue->downloadProgressDelegate());
    EXPECT_FALSE(queue->requestDidStartSelector());
    EXPECT_FALSE(queue->requestDidReceiveResponseHeadersSelector());
    EXPECT_FALSE(queue->requestDidFinishSelector());
    EXPECT_FALSE(queue->requestDidFailSelector());
    EXPECT_FALSE(queue->queueDidFinishSelector());
    EXPECT_EQ(queue->requestWillRedirectSelector(), static_cast<NetworkQueue::RedirectSelector>(&Owner::redirect));
    EXPECT_TRUE(queue->isSuspended());
}

TEST(NetworkQueue, ACopyHasTheSameOwnerAndSettingsButNoRequests)
{
    auto owner = std::make_shared<Owner>();
    auto indicator = std::make_shared<Indicator>();
    auto queue = queueFor(owner);
    queue->setUploadProgressDelegate(indicator);
    queue->setShowAccurateProgress(true);
    queue->setShouldCancelAllRequestsOnFailure(false);
    queue->setUserInfo({{QStringLiteral("story"), QStringLiteral("Kessler Pass")}});
    queue->addOperation(upload(QUrl(QStringLiteral("http://127.0.0.1:9/x")), 10));
    queue->go();
    auto copy = queue->copy();
    EXPECT_EQ(copy->delegate(), owner);
    EXPECT_EQ(copy->requestDidFinishSelector(), queue->requestDidFinishSelector());
    EXPECT_EQ(copy->requestDidFailSelector(), queue->requestDidFailSelector());
    EXPECT_EQ(copy->queueDidFinishSelector(), queue->queueDidFinishSelector());
    EXPECT_EQ(copy->uploadProgressDelegate(), indicator);
    EXPECT_TRUE(copy->showAccurateProgress());
    EXPECT_FALSE(copy->shouldCancelAllRequestsOnFailure());
    EXPECT_EQ(copy->userInfo(), queue->userInfo());
    EXPECT_EQ(copy->requestsCount(), 0);
    EXPECT_EQ(copy->totalBytesToUpload(), 0u);
    EXPECT_EQ(copy->operationCount(), 0);
    EXPECT_TRUE(copy->isSuspended());
    queue->reset();
}

TEST(NetworkQueue, RequestsOfAQueueThatIsGoneReportToNobody)
{
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "ok"); });
    auto owner = std::make_shared<Owner>();
    auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/late")));
    bool finished = false;
    request->setCompletionBlock([&finished] { finished = true; });
    {
        auto queue = queueFor(owner);
        queue->addOperation(request);
    }
    EXPECT_FALSE(request->queue());
    request->startSynchronous();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(owner->log.isEmpty());
}

namespace {

// Notes the queue's request count each time it hears of a request that ended.
class CountingOwner : public Owner
{
public:
    void finishedCounting(HTTPRequest* request)
    {
        finished(request);
        counts.append(queue.lock()->requestsCount());
    }
    void failedCounting(HTTPRequest* request)
    {
        failed(request);
        counts.append(queue.lock()->requestsCount());
    }
    std::weak_ptr<NetworkQueue> queue;
    QList<qint32> counts;
};

} // namespace

TEST(NetworkQueue, TheCountNoLongerHoldsTheRequestWhoseEndTheDelegateHears)
{
    LoopbackServer server([](const Request& request) {
        Reply reply = LoopbackServer::answer("200 OK", "ok");
        reply.drop = request.requestLine.startsWith("GET /dropped");
        return reply;
    });
    const struct {
        const char* name;
        std::vector<const char*> paths;
        QList<qint32> counts;
    } rows[] = {
        {"one that finishes", {"/ok"}, {0}},
        {"one that fails", {"/dropped"}, {0}},
        {"three that finish", {"/a", "/b", "/c"}, {2, 1, 0}},
        {"two that finish, one that fails", {"/a", "/dropped", "/c"}, {2, 1, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto owner = std::make_shared<CountingOwner>();
        auto queue = queueFor(owner);
        owner->queue = queue;
        queue->setRequestDidFinishSelector(
            static_cast<NetworkQueue::RequestSelector>(&CountingOwner::finishedCounting));
        queue->setRequestDidFailSelector(static_cast<NetworkQueue::RequestSelector>(&CountingOwner::failedCounting));
        queue->setShouldCancelAllRequestsOnFailure(false);
        for (const char* path : row.paths) {
            auto request = HTTPRequest::requestWithURL(server.url(QString::fromLatin1(path)));
            request->setNumberOfTimesToRetryOnTimeout(0);
            queue->addOperation(request);
        }
        queue->go();
        ASSERT_TRUE(waitFor([&] { return owner->log.contains(QStringLiteral("queue finished")); }));
        EXPECT_EQ(owner->counts, row.counts);
        EXPECT_EQ(owner->log.count(QStringLiteral("queue finished")), 1);
    }
}
