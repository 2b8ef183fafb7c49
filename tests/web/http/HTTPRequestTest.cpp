#include "web/http/DataCompressor.h"
#include "web/http/HTTPRequest.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>

namespace {

// Records what a request tells its delegate, with the thread each call came on.
class RecordingDelegate : public HTTPRequestDelegate
{
public:
    void requestStarted(HTTPRequest*) override { record(QStringLiteral("started")); }
    void requestFinished(HTTPRequest*) override { record(QStringLiteral("finished")); }
    void requestFailed(HTTPRequest* request) override
    {
        record(QStringLiteral("failed"));
        failureCodes.append(request->error() ? request->error()->code : 0);
    }
    void record(const QString& call)
    {
        calls.append(call);
        onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    }
    // An operation reached through a changed selector.
    void otherEnding(HTTPRequest*) { record(QStringLiteral("other ending")); }

    QStringList calls;
    QList<int> failureCodes;
    bool onMainThread = true;
};

// An indicator that keeps what it was set to and adds up the byte amounts, as a queue does.
class RecordingIndicator : public HTTPRequestQueueListener
{
public:
    void setDoubleValue(double value) override { values.append(value); }
    void setMaxValue(double value) override { maximum = value; }
    void requestDidSendBytes(HTTPRequest*, qint64 amount) override { sent += amount; }
    void requestIncrementUploadSizeBy(HTTPRequest*, qint64 amount) override { total += amount; }
    void requestDidReceiveBytes(HTTPRequest*, qint64 amount) override { received += amount; }
    void requestIncrementDownloadSizeBy(HTTPRequest*, qint64 amount) override { downloadTotal += amount; }
    double shown() const { return total == 0 ? 0.0 : double(sent) / double(total); }

    QList<double> values;
    double maximum = 0;
    qint64 sent = 0;
    qint64 total = 0;
    qint64 received = 0;
    qint64 downloadTotal = 0;
};

const QUrl kUrl(QStringLiteral("http://127.0.0.1:9/story"));

bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

} // namespace

TEST(HTTPRequest, ANewRequestStartsWithItsDocumentedValues)
{
    auto request = HTTPRequest::requestWithURL(kUrl);
    EXPECT_EQ(request->url(), kUrl);
    EXPECT_EQ(request->requestMethod(), QStringLiteral("GET"));
    EXPECT_EQ(request->timeOutSeconds(), 10.0);
    EXPECT_EQ(request->persistentConnectionTimeoutSeconds(), 60.0);
    EXPECT_EQ(request->defaultResponseEncoding(), StringEncoding::ISOLatin1);
    EXPECT_TRUE(request->requestCookies().isEmpty());
    EXPECT_TRUE(request->requestHeaders().isEmpty());
    EXPECT_EQ(request->didStartSelector(), &HTTPRequestDelegate::requestStarted);
    EXPECT_EQ(request->didFinishSelector(), &HTTPRequestDelegate::requestFinished);
    EXPECT_EQ(request->didFailSelector(), &HTTPRequestDelegate::requestFailed);
    EXPECT_EQ(request->didReceiveDataSelector(), &HTTPRequestDelegate::requestDidReceiveData);
    EXPECT_EQ(request->willRedirectSelector(), &HTTPRequestDelegate::requestWillRedirectToURL);
    EXPECT_EQ(request->didReceiveResponseHeadersSelector(), &HTTPRequestDelegate::requestDidReceiveResponseHeaders);

    const struct {
        const char* name;
        bool value;
        bool expected;
    } flags[] = {
        {"shouldAttemptPersistentConnection", request->shouldAttemptPersistentConnection(), true},
        {"shouldPresentCredentialsBeforeChallenge", request->shouldPresentCredentialsBeforeChallenge(), true},
        {"shouldRedirect", request->shouldRedirect(), true},
        {"showAccurateProgress", request->showAccurateProgress(), true},
        {"shouldResetDownloadProgress", request->shouldResetDownloadProgress(), true},
        {"shouldResetUploadProgress", request->shouldResetUploadProgress(), true},
        {"allowCompressedResponse", request->allowCompressedResponse(), true},
        {"shouldWaitToInflateCompressedResponses", request->shouldWaitToInflateCompressedResponses(), true},
        {"shouldPresentProxyAuthenticationDialog", request->shouldPresentProxyAuthenticationDialog(), true},
        {"useSessionPersistence", request->useSessionPersistence(), true},
        {"useCookiePersistence", request->useCookiePersistence(), true},
        {"validatesSecureCertificate", request->validatesSecureCertificate(), true},
        {"useKeychainPersistence", request->useKeychainPersistence(), false},
        {"shouldPresentAuthenticationDialog", request->shouldPresentAuthenticationDialog(), false},
        {"useHTTPVersionOne", request->useHTTPVersionOne(), false},
        {"shouldCompressRequestBody", request->shouldCompressRequestBody(), false},
        {"shouldUseRFC2616RedirectBehaviour", request->shouldUseRFC2616RedirectBehaviour(), false},
        {"complete", request->complete(), false},
        {"inProgress", request->inProgress(), false},
        {"finished", request->isFinished(), false},
        {"cancelled", request->isCancelled(), false},
    };
    for (const auto& flag : flags) {
        SCOPED_TRACE(flag.name);
        EXPECT_EQ(flag.value, flag.expected);
    }
    EXPECT_TRUE(request->isConcurrent());

    // The class-wide time-out is what new requests take.
    HTTPRequest::setDefaultTimeOutSeconds(25.0);
    EXPECT_EQ(HTTPRequest::requestWithURL(kUrl)->timeOutSeconds(), 25.0);
    HTTPRequest::setDefaultTimeOutSeconds(10.0);
}

TEST(HTTPRequest, ARequestCancelledBeforeItStartsFailsOnceWithCodeFour)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto request = HTTPRequest::requestWithURL(kUrl);
    request->setDelegate(delegate);
    int failedBlockCalls = 0;
    request->setFailedBlock([&] { ++failedBlockCalls; });

    request->cancel();
    ASSERT_TRUE(waitFor([&] { return request->isCancelled(); }));
    request->cancel(); // a second cancel changes nothing
    request->startAsynchronous();
    ASSERT_TRUE(waitFor([&] { return request->isFinished(); }));
    QTest::qWait(50);

    EXPECT_EQ(delegate->calls, QStringList {QStringLiteral("failed")});
    EXPECT_EQ(delegate->failureCodes, QList<int> {HTTPError::RequestCancelled});
    EXPECT_EQ(failedBlockCalls, 1);
    EXPECT_TRUE(delegate->onMainThread);
    ASSERT_TRUE(request->error());
    EXPECT_EQ(request->error()->description, QStringLiteral("The request was cancelled"));
    EXPECT_TRUE(request->complete());
    EXPECT_FALSE(request->inProgress());
}

TEST(HTTPRequest, ARequestWithoutAUsableURLFailsWithCodeFive)
{
    for (const QUrl& url : {QUrl(), QUrl(QStringLiteral("not a url at all")), QUrl(QStringLiteral("http://"))}) {
        SCOPED_TRACE(url.toString().toStdString());
        auto delegate = std::make_shared<RecordingDelegate>();
        auto request = HTTPRequest::requestWithURL(url);
        request->setDelegate(delegate);
        request->startSynchronous();
        EXPECT_EQ(delegate->failureCodes, QList<int> {HTTPError::UnableToCreateRequest});
        ASSERT_TRUE(request->error());
        EXPECT_EQ(request->error()->description, QStringLiteral("Unable to create request (bad url?)"));
        EXPECT_FALSE(request->requestMessage());
        // One object stands for this failure in every request.
        EXPECT_EQ(request->error(), HTTPError::unableToCreateRequest());
    }
}

TEST(HTTPRequest, ACopyCarriesTheSettingsAndIsIndependent)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto source = HTTPRequest::requestWithURL(kUrl);
    source->setDelegate(delegate);
    source->setRequestMethod(QStringLiteral("PUT"));
    source->setPostBody("body");
    source->addRequestHeader(QStringLiteral("X-Scene"), QStringLiteral("12"));
    source->setRequestCookies({QNetworkCookie("reel", "one")});
    source->setUsername(QStringLiteral("writer"));
    source->setPassword(QStringLiteral("secret"));
    source->setTimeOutSeconds(42);
    source->setUserInfo({{QStringLiteral("story"), 7}});
    source->setDidFinishSelector(static_cast<HTTPRequest::RequestSelector>(&RecordingDelegate::otherEnding));
    source->setResponseStatusCode(200);
    source->setPostLength(4);

    auto copy = source->copy();
    EXPECT_NE(copy.get(), source.get());
    EXPECT_EQ(copy->url(), kUrl);
    EXPECT_EQ(copy->delegate(), delegate);
    EXPECT_EQ(copy->requestMethod(), QStringLiteral("PUT"));
    EXPECT_EQ(copy->postBody(), QByteArray("body"));
    EXPECT_EQ(copy->requestHeaders().value(QStringLiteral("X-Scene")), QStringLiteral("12"));
    EXPECT_EQ(copy->requestCookies().size(), 1);
    EXPECT_EQ(copy->username(), QStringLiteral("writer"));
    EXPECT_EQ(copy->password(), QStringLiteral("secret"));
    EXPECT_EQ(copy->timeOutSeconds(), 42.0);
    EXPECT_EQ(copy->postLength(), 4u);
    EXPECT_EQ(copy->userInfo().value(QStringLiteral("story")).toInt(), 7);
    EXPECT_EQ(copy->didFinishSelector(), source->didFinishSelector());
    // State is not copied.
    EXPECT_EQ(copy->responseStatusCode(), 0);

    copy->addRequestHeader(QStringLiteral("X-Scene"), QStringLiteral("13"));
    copy->setRequestCookies({});
    EXPECT_EQ(source->requestHeaders().value(QStringLiteral("X-Scene")), QStringLiteral("12"));
    EXPECT_EQ(source->requestCookies().size(), 1);
}

TEST(HTTPRequest, AHeadRequestBorrowsSettingsAndReportsThroughItsMainRequest)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto main = HTTPRequest::requestWithURL(kUrl);
    main->setDelegate(delegate);
    main->addRequestHeader(QStringLiteral("Accept"), QStringLiteral("text/plain"));
    main->setUsername(QStringLiteral("writer"));
    main->setPostBody("not carried");
    auto head = main->HEADRequest();
    EXPECT_EQ(head->requestMethod(), QStringLiteral("HEAD"));
    EXPECT_EQ(head->mainRequest(), main);
    EXPECT_EQ(head->username(), QStringLiteral("writer"));
    EXPECT_EQ(head->requestHeaders().value(QStringLiteral("Accept")), QStringLiteral("text/plain"));
    EXPECT_TRUE(head->postBody().isEmpty());
    EXPECT_FALSE(head->delegate());

    // The HEAD request is silent itself; its failure is the main request's.
    head->requestStarted();
    head->failWithError(HTTPError::requestTimedOut());
    QTest::qWait(20);
    EXPECT_EQ(delegate->calls, QStringList {QStringLiteral("failed")});
    EXPECT_EQ(main->error(), HTTPError::requestTimedOut());
}

TEST(HTTPRequest, AnotherURLDropsWhatWasBuiltForTheOldOne)
{
    auto request = HTTPRequest::requestWithURL(kUrl);
    request->startSynchronous();
    ASSERT_TRUE(request->requestMessage());
    EXPECT_EQ(request->requestMessage()->url(), kUrl);
    request->setRedirectURL(QUrl(QStringLiteral("http://127.0.0.1:9/elsewhere")));

    request->setURL(QUrl(kUrl));
    EXPECT_TRUE(request->requestMessage());
    EXPECT_FALSE(request->redirectURL().isEmpty());

    request->setURL(QUrl(QStringLiteral("http://127.0.0.1:9/other")));
    EXPECT_FALSE(request->requestMessage());
    EXPECT_TRUE(request->redirectURL().isEmpty());
}

TEST(HTTPRequest, DelegatesAndTheMainRequestAreNotKeptAlive)
{
    auto request = HTTPRequest::requestWithURL(kUrl);
    auto delegate = std::make_shared<RecordingDelegate>();
    auto indicator = std::make_shared<RecordingIndicator>();
    auto main = HTTPRequest::requestWithURL(kUrl);
    request->setDelegate(delegate);
    request->setUploadProgressDelegate(indicator);
    request->setMainRequest(main);
    std::weak_ptr<RecordingDelegate> watchDelegate = delegate;
    std::weak_ptr<HTTPRequest> watchMain = main;
    delegate.reset();
    indicator.reset();
    main.reset();
    EXPECT_TRUE(watchDelegate.expired());
    EXPECT_TRUE(watchMain.expired());
    EXPECT_FALSE(request->delegate());
    EXPECT_FALSE(request->uploadProgressDelegate());
    EXPECT_FALSE(request->mainRequest());
}

TEST(HTTPRequest, ABlockSetTwiceKeepsTheSecondAndNoneClearsIt)
{
    auto request = HTTPRequest::requestWithURL(kUrl);
    QStringList calls;
    request->setStartedBlock([&] { calls.append(QStringLiteral("first")); });
    request->setStartedBlock([&] { calls.append(QStringLiteral("second")); });
    request->requestStarted();
    request->setStartedBlock(nullptr);
    request->requestStarted();
    EXPECT_EQ(calls, QStringList {QStringLiteral("second")});

    // A block's captures are let go of when the request goes.
    auto capture = std::make_shared<int>(1);
    std::weak_ptr<int> watch = capture;
    request->setCompletionBlock([capture] {});
    capture.reset();
    EXPECT_FALSE(watch.expired());
    request.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(HTTPRequest, CallsFromTheNetworkThreadArriveOnTheMainThreadAndAClearedDelegateHearsNothing)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto request = HTTPRequest::requestWithURL(kUrl);
    request->setDelegate(delegate);
    std::atomic<bool> blockOnMainThread = false;
    request->setStartedBlock(
        [&] { blockOnMainThread = QThread::currentThread() == QCoreApplication::instance()->thread(); });
    std::atomic<bool> sent = false;
    request->performOnNetworkThread([&] {
        request->requestStarted();
        sent = true;
    });
    ASSERT_TRUE(waitFor([&] { return delegate->calls.size() == 1; }));
    EXPECT_TRUE(sent);
    EXPECT_TRUE(delegate->onMainThread);
    EXPECT_TRUE(blockOnMainThread);

    // Queued from the network thread, then the delegate is cleared before the main thread runs.
    sent = false;
    request->performOnNetworkThread([&] {
        request->requestStarted();
        sent = true;
    });
    // Waiting without running the main thread's events keeps the call queued.
    while (!sent)
        QThread::msleep(1);
    request->setDelegate(nullptr);
    request->setStartedBlock(nullptr);
    QTest::qWait(50);
    EXPECT_EQ(delegate->calls.size(), 1);
}

TEST(HTTPRequest, AClearedIndicatorGetsNoProgressQueuedForIt)
{
    auto indicator = std::make_shared<RecordingIndicator>();
    auto request = HTTPRequest::requestWithURL(kUrl);
    request->setUploadProgressDelegate(indicator);
    EXPECT_EQ(indicator->maximum, 1.0);
    request->setPostLength(1000);
    std::atomic<bool> sent = false;
    request->performOnNetworkThread([&] {
        request->incrementUploadSizeBy(1000);
        request->setTotalBytesSent(1000);
        request->updateUploadProgress();
        sent = true;
    });
    while (!sent)
        QThread::msleep(1);
    request->clearDelegatesAndCancel();
    QTest::qWait(50);
    EXPECT_EQ(indicator->total, 0);
    EXPECT_EQ(indicator->sent, 0);
    EXPECT_TRUE(indicator->values.isEmpty());
}

TEST(HTTPRequest, UploadProgressCountsTheBytesBeyondTheFirstSendBuffer)
{
    auto indicator = std::make_shared<RecordingIndicator>();
    auto queue = std::make_shared<RecordingIndicator>();
    auto request = HTTPRequest::requestWithURL(kUrl);
    request->setUploadProgressDelegate(indicator);
    request->setQueue(queue);
    request->setPostLength(1000);
    QList<quint64> blockTotals;
    request->setBytesSentBlock([&](quint64, quint64 total) { blockTotals.append(total); });
    // The start of an upload makes its whole length the total.
    request->incrementUploadSizeBy(1000);
    EXPECT_EQ(queue->total, 1000);

    const struct {
        quint64 sentSoFar;
        qint64 queueTotal;
        qint64 queueSent;
        double indicatorValue;
    } steps[] = {
        // The first count is what the connection took into its buffer at once: no progress yet.
        {100, 900, 0, -1},
        {325, 900, 225, 0.25},
        {550, 900, 450, 0.5},
        {1000, 900, 900, 1.0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.sentSoFar);
        request->setLastBytesSent(request->totalBytesSent());
        request->setTotalBytesSent(step.sentSoFar);
        request->updateProgressIndicators();
        EXPECT_EQ(queue->total, step.queueTotal);
        EXPECT_EQ(queue->sent, step.queueSent);
        if (step.indicatorValue >= 0) {
            ASSERT_FALSE(indicator->values.isEmpty());
            EXPECT_DOUBLE_EQ(indicator->values.last(), step.indicatorValue);
        }
    }
    EXPECT_EQ(indicator->sent, 900);
    EXPECT_EQ(blockTotals, (QList<quint64> {1000, 1000, 1000}));

    // An upload that starts over takes back what it reported.
    request->removeUploadProgressSoFar();
    EXPECT_EQ(queue->sent, -100);
    EXPECT_DOUBLE_EQ(indicator->values.last(), 0.0);
}

TEST(HTTPRequest, OneUploadOfAThousandBytesShowsAQuarterAfterTwoHundredFiftyAndInaccurateProgressCountsOne)
{
    // The indicator is set to the share of the body that went out.
    auto bar = std::make_shared<RecordingIndicator>();
    auto request = HTTPRequest::requestWithURL(kUrl);
    request->setUploadProgressDelegate(bar);
    request->updateProgressIndicator(&HTTPRequest::uploadProgressDelegate, 250, 1000);
    EXPECT_DOUBLE_EQ(bar->values.last(), 0.25);

    // Without accurate progress, a finished request reports one unit up and one unit down.
    auto queue = std::make_shared<RecordingIndicator>();
    auto inaccurate = HTTPRequest::requestWithURL(kUrl);
    inaccurate->setQueue(queue);
    inaccurate->setShowAccurateProgress(false);
    inaccurate->setPostLength(1000);
    inaccurate->setTotalBytesSent(1000);
    inaccurate->setResponseHeaders({{QStringLiteral("Content-Length"), QStringLiteral("10")}});
    inaccurate->setComplete(true);
    inaccurate->updateProgressIndicators();
    inaccurate->updateProgressIndicators();
    EXPECT_EQ(queue->sent, 1);
    EXPECT_EQ(queue->received, 1);
    EXPECT_TRUE(inaccurate->updatedProgress());

    // A request without a body reports no upload at all.
    auto empty = HTTPRequest::requestWithURL(kUrl);
    auto emptyQueue = std::make_shared<RecordingIndicator>();
    empty->setQueue(emptyQueue);
    empty->updateUploadProgress();
    EXPECT_EQ(emptyQueue->sent, 0);
}

TEST(HTTPRequest, TheResponseIsInflatedAndDecodedAsItsHeadersSay)
{
    const QString text = QStringLiteral("Caf\u00e9 scene");
    const HTTPHeaders gzip {{QStringLiteral("Content-Encoding"), QStringLiteral("gzip")}};
    // Bytes that do not compress, so that their gzip spans several inflation steps.
    QByteArray noise(300000, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : noise)
        byte = char(generator.bounded(256));
    const struct {
        const char* name;
        QByteArray raw;
        HTTPHeaders headers;
        quint64 encoding;
        QString expected;
    } rows[] = {
        {"plain utf-8", text.toUtf8(), {}, StringEncoding::UTF8, text},
        {"latin-1 by default", text.toLatin1(), {}, 0, text},
        {"gzip", DataCompressor::compressData(text.toUtf8(), nullptr).value(),
         {{QStringLiteral("Content-Encoding"), QStringLiteral("gzip")}}, StringEncoding::UTF8, text},
        {"windows-1252 quotes", QByteArray("\x93Go\x94"), {}, StringEncoding::WindowsCP1252,
         QStringLiteral("\u201cGo\u201d")},
        {"gzip longer than one inflation step", DataCompressor::compressData(noise, nullptr).value(), gzip, 0,
         QString::fromLatin1(noise)},
        {"gzip that is damaged", QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xff\xff\xff", 13), gzip, 0,
         QString()},
        {"gzip that inflates past what memory keeps",
         DataCompressor::compressData(QByteArray(HTTPRequest::kMaxBodyInMemory + 1, ' '), nullptr).value(), gzip, 0,
         QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto request = HTTPRequest::requestWithURL(kUrl);
        request->setRawResponseData(row.raw);
        request->setResponseHeaders(row.headers);
        request->setResponseEncoding(row.encoding);
        const QString decoded = request->responseString();
        EXPECT_EQ(decoded, row.expected);
        EXPECT_EQ(decoded.isNull(), row.expected.isNull());
    }
    auto empty = HTTPRequest::requestWithURL(kUrl);
    EXPECT_TRUE(empty->responseString().isNull());
    EXPECT_FALSE(empty->responseData());
}

namespace {

struct StoryWriteFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace

TEST(HTTPRequest, AnExceptionWhileRunningIsCodeTenNamedAsTheSourceNamesIt)
{
    const StoryWriteFailure own("the disk is full");
    const std::runtime_error runtime("no buffer");
    const std::bad_alloc memory;
    const std::out_of_range range("index 9");
    const struct {
        const std::exception& exception;
        const char* description;
        const char* reason;
    } rows[] = {
        {runtime, "std::runtime_error", "no buffer"},
        {memory, "std::bad_alloc", "std::bad_alloc"},
        {range, "std::out_of_range", "index 9"},
        {own, "(anonymous namespace)::StoryWriteFailure", "the disk is full"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.description);
        const HTTPErrorPtr error = HTTPError::unhandledException(row.exception);
        EXPECT_EQ(error->code, HTTPError::UnhandledException);
        EXPECT_EQ(error->description, QString::fromLatin1(row.description));
        EXPECT_EQ(error->failureReason, QString::fromLatin1(row.reason));
        ASSERT_TRUE(error->underlying);
        EXPECT_EQ(error->underlying->description, QString::fromLatin1(row.reason));
    }
}
