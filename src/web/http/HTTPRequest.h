#pragma once

#include "web/http/CredentialStores.h"
#include "web/http/HTTPError.h"
#include "web/http/HTTPRequestDelegate.h"
#include "web/http/HttpMessage.h"
#include "web/http/Operation.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QNetworkCookie>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class DataDecompressor;
class HttpAuthentication;
class HttpReadStream;
class OperationQueue;
class QEventLoop;
class QFile;
class QThread;
class QTimer;
struct ConnectionRecord;
struct HttpResponseHead;

// The numbers by which requests name character encodings.
namespace StringEncoding {
constexpr quint64 ASCII = 1;
constexpr quint64 UTF8 = 4;
constexpr quint64 ISOLatin1 = 5;
constexpr quint64 UTF16 = 10;
constexpr quint64 WindowsCP1252 = 12;
constexpr quint64 UTF16BigEndian = 0x90000100;
constexpr quint64 UTF16LittleEndian = 0x94000100;
// The encoding of an IANA character-set name, nothing for a name this system does not know.
std::optional<quint64> fromIanaName(const QString& name);
QString decode(const QByteArray& bytes, quint64 encoding);
// The text in that encoding; nothing when the encoding is unknown or cannot hold the text.
std::optional<QByteArray> encode(const QString& text, quint64 encoding);
// The IANA name of the encoding ("utf-8"); "utf-8" for an encoding this system does not know.
QString ianaName(quint64 encoding);
} // namespace StringEncoding

// A proxy to use, as a proxy auto-configuration script or the request's fields name it.
struct ProxyEntry {
    enum class Type { Direct, Http, Https, Socks };
    Type type = Type::Direct;
    QString host;
    int port = 0;
    bool operator==(const ProxyEntry&) const = default;
};

// What a proxy auto-configuration script answered: its proxies, nothing when it failed, and
// whether it failed by running out of time.
struct ProxyScriptAnswer {
    std::optional<QList<ProxyEntry>> proxies;
    bool ranOutOfTime = false;
};

// Who the client is, for a secure server that asks: its certificate and the private key that
// goes with it.
struct ClientIdentity {
    QSslCertificate certificate;
    QSslKey privateKey;
    bool operator==(const ClientIdentity&) const = default;
};

// The pieces of the user-agent text, as the running application gives them.
struct UserAgentInfo {
    QString displayName;
    QString name;
    QString shortVersion;
    QString bundleVersion;
    QString localeIdentifier;
    QString kernelVersion;
};

// The getter is named like the field and the setter "setField". Values are read and written
// whole under the request's property mutex, so a reader on one thread never sees half of what
// a writer on another thread stored.
#define HTTP_REQUEST_PROPERTY(Type, name, setter)                                                                      \
public:                                                                                                               \
    Type name() const                                                                                                 \
    {                                                                                                                 \
        std::lock_guard propertyLock(propertyMutex_);                                                                 \
        return name##_;                                                                                               \
    }                                                                                                                 \
    void setter(Type value)                                                                                           \
    {                                                                                                                 \
        std::lock_guard propertyLock(propertyMutex_);                                                                 \
        name##_ = std::move(value);                                                                                   \
    }                                                                                                                 \
                                                                                                                      \
private:                                                                                                              \
    Type name##_

// Flags, counters and sizes: single values read and written without a lock.
#define HTTP_REQUEST_VALUE(Type, name, setter)                                                                         \
public:                                                                                                               \
    Type name() const { return name##_.load(); }                                                                      \
    void setter(Type value) { name##_.store(value); }                                                                 \
                                                                                                                      \
private:                                                                                                              \
    std::atomic<Type> name##_

// One HTTP exchange: the request message with its headers and body, the response, and the
// reports of start, progress, completion and failure to a delegate, to the queue that runs it,
// to callbacks and to progress indicators, all delivered on the main thread. A request runs as
// an operation of a queue, its network work on the layer's one network thread, or synchronously
// on the calling thread. Requests are shared (the queue, the network thread and pending
// callbacks each hold one), so they are made with requestWithURL.
class HTTPRequest : public Operation
{
public:
    using Block = std::function<void()>;
    using HeadersBlock = std::function<void(const HTTPHeaders&)>;
    using ProgressBlock = std::function<void(quint64 amount, quint64 total)>;
    using SizeBlock = std::function<void(qint64 amount)>;
    using DataBlock = std::function<void(const QByteArray&)>;
    // The delegate operations a request calls, which a caller may point elsewhere.
    using RequestSelector = void (HTTPRequestDelegate::*)(HTTPRequest*);
    using HeadersSelector = void (HTTPRequestDelegate::*)(HTTPRequest*, const HTTPHeaders&);
    using RedirectSelector = void (HTTPRequestDelegate::*)(HTTPRequest*, const QUrl&);
    using DataSelector = void (HTTPRequestDelegate::*)(HTTPRequest*, const QByteArray&);

    explicit HTTPRequest(const QUrl& url);
    ~HTTPRequest() override;

    // The most of a body that is kept in memory, inflated or not; a longer one goes to a file or
    // to a receiver of the data. A server that sends more (or never ends) fails the request.
    static constexpr qsizetype kMaxBodyInMemory = qsizetype(64) << 20;

    static std::shared_ptr<HTTPRequest> requestWithURL(const QUrl& url);
    std::shared_ptr<HTTPRequest> sharedFromThis();
    // A new request of the same kind with the caller's settings, ready to start on its own.
    virtual std::shared_ptr<HTTPRequest> copy() const;
    // A HEAD request for the same URL that borrows this request's settings and credentials and
    // reports through this request.
    std::shared_ptr<HTTPRequest> HEADRequest();

    // --- Lifecycle --------------------------------------------------------------------------------
    void startAsynchronous();
    void startSynchronous();
    void start() override;
    void main() override;
    void cancel() override;
    void clearDelegatesAndCancel();
    bool isConcurrent() const override { return true; }
    bool isFinished() const override { return finished_.load(); }
    bool isExecuting() const override { return inProgress(); }
    bool isCancelled() const override;
    void failWithError(HTTPErrorPtr error);
    void markAsFinished();
    // The recursive lock held across main, cancellation and every stream event.
    std::recursive_mutex& cancelledLock() const { return cancelledLock_; }

    // --- Guarded accessors ------------------------------------------------------------------------
    QUrl url() const;
    // Another URL drops the message built for the old one and the pending redirect.
    void setURL(const QUrl& url);
    std::shared_ptr<HTTPRequestDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<HTTPRequestDelegate>& delegate);
    std::shared_ptr<HTTPRequestQueueListener> queue() const;
    void setQueue(std::shared_ptr<HTTPRequestQueueListener> queue);
    std::shared_ptr<ProgressDelegate> uploadProgressDelegate() const;
    void setUploadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator);
    std::shared_ptr<ProgressDelegate> downloadProgressDelegate() const;
    void setDownloadProgressDelegate(const std::shared_ptr<ProgressDelegate>& indicator);
    std::shared_ptr<HTTPRequest> mainRequest() const;
    void setMainRequest(const std::shared_ptr<HTTPRequest>& request);
    // The message built by main for the current attempt; none before.
    std::shared_ptr<const HttpMessage> requestMessage() const;

    // --- Response ---------------------------------------------------------------------------------
    // The body as received, inflated first when it came compressed and is to be inflated at the
    // end; nothing when it cannot be inflated or would inflate past kMaxBodyInMemory or
    // maxDownloadBytes (a request that finished has checked this already).
    std::optional<QByteArray> responseData() const;
    bool isResponseCompressed() const;
    // The body decoded with the response's encoding; null when there is no body.
    QString responseString() const;

    // --- Callbacks (setters only) -----------------------------------------------------------------
    void setStartedBlock(Block block);
    void setHeadersReceivedBlock(HeadersBlock block);
    void setCompletionBlock(Block block);
    void setFailedBlock(Block block);
    void setBytesReceivedBlock(ProgressBlock block);
    void setBytesSentBlock(ProgressBlock block);
    void setDownloadSizeIncrementedBlock(SizeBlock block);
    void setUploadSizeIncrementedBlock(SizeBlock block);
    void setDataReceivedBlock(DataBlock block);
    void setAuthenticationNeededBlock(Block block);
    void setProxyAuthenticationNeededBlock(Block block);
    void setRequestRedirectedBlock(Block block);

    // --- Notifications (HTTPRequestProgress.cpp) --------------------------------------------------
    void requestStarted();
    void requestRedirected();
    void requestReceivedResponseHeaders(const HTTPHeaders& headers);
    void requestWillRedirectToURL(const QUrl& url);
    void requestFinished();
    void reportFinished();
    void reportFailure();
    void passOnReceivedData(const QByteArray& data);
    // Opens a download's temporary file on first use, appending when a resumed answer continues it.
    void openDownloadOutput(std::unique_ptr<QFile>& output, QString (HTTPRequest::*path)() const,
                            void (HTTPRequest::*setPath)(QString));

    // --- Progress (HTTPRequestProgress.cpp) -------------------------------------------------------
    void updateProgressIndicators();
    void updateUploadProgress();
    void updateDownloadProgress();
    void incrementUploadSizeBy(qint64 amount);
    void incrementDownloadSizeBy(qint64 amount);
    void removeUploadProgressSoFar();
    // Sets an indicator to progress / total on the main thread; the indicator is read when the
    // call runs there, so one cleared meanwhile hears nothing.
    void updateProgressIndicator(std::shared_ptr<ProgressDelegate> (HTTPRequest::*indicator)() const, quint64 progress,
                                 quint64 total);
    // Runs the work on the main thread: at once when called there, else queued in call order.
    // The request stays alive until the work has run.
    void performOnMainThread(std::function<void()> work);
    // Runs the work on the network thread, without waiting.
    void performOnNetworkThread(std::function<void()> work);

    // --- Class-wide settings (HTTPRequestSettings.cpp) --------------------------------------------
    static double defaultTimeOutSeconds();
    static void setDefaultTimeOutSeconds(double seconds);
    static UserAgentInfo currentUserAgentInfo();
    // "Name version (X11; Linux x.y.z; locale)"; null without a name or a readable kernel version.
    static QString userAgentString(const UserAgentInfo& info);
    static QString defaultUserAgentString();
    static QString mimeTypeForFileAtPath(const QString& path);
    static std::optional<QList<ProxyEntry>> proxiesForURL(const QUrl& url, const QUrl& scriptURL);
    static bool isBandwidthThrottled();
    static quint64 maxBandwidthPerSecond();
    static void setMaxBandwidthPerSecond(quint64 bytes);
    static void incrementBandwidthUsedInLastSecond(quint64 bytes);
    static void measureBandwidthUsage();
    static quint64 averageBandwidthUsedPerSecond();
    static quint64 maxUploadReadLength();
    static QThread* threadForRequest(const HTTPRequest* request);
    static OperationQueue& sharedQueue();
    static QString base64forData(const QByteArray& data);
    static QDateTime dateFromRFC1123String(const QString& text);
    static void parseMimeType(QString* mimeType, quint64* encoding, const QString& contentType);
    // The class-wide lock that orders indicator updates, and the one of the connection pool.
    static std::recursive_mutex& connectionLock();
    static std::recursive_mutex& progressLock();

    // --- Stores (CredentialStores.h holds them) ---------------------------------------------------
    std::optional<SessionEntry> findSessionAuthenticationCredentials() const;
    std::optional<SessionEntry> findSessionProxyAuthenticationCredentials() const;
    // Forgets the server credentials and the cookies of this run; proxy credentials stay.
    static void clearSession();

    // Picks the proxy for this request when none is set: from its auto-configuration script,
    // leaving the fields empty for a direct connection. A script that cannot run fails with code 6.
    HTTPErrorPtr configureProxy();

    // --- Sending (HTTPRequestSending.cpp) ---------------------------------------------------------
    void setupPostBody();
    void appendPostData(const QByteArray& data);
    void appendPostDataFromFile(const QString& path);
    virtual void buildPostBody();
    void buildRequestHeaders();
    // Whether two URLs name one server: scheme, host and port.
    static bool isSameServer(const QUrl& one, const QUrl& other);
    // Headers that carry cookies or credentials (any letter case), which go to their own server only.
    static bool isCredentialHeader(const QString& name);
    static bool isCookieHeader(const QString& name);
    // Sets the one "Cookie" header for the target from the caller's own Cookie header, the
    // request's cookies and, with cookie persistence, the store's for the target; adds the
    // store's to the request's cookies. A
    // request made for a main request sends the main one's cookies while on its server.
    void applyCookieHeader(const QUrl& target);
    // The "Cookie" header of a redirect that keeps its headers, built again for the next URL;
    // elsewhere: the next URL is on another server (scheme, host or port).
    void applyCookieHeaderForRedirect(const QUrl& next, bool elsewhere);
    void applyAuthorizationHeader();
    void updatePartialDownloadSize();
    void startRequest();
    void checkRequestStatus();
    bool shouldTimeOut() const;
    void performThrottling();
    static bool isNetworkInUse();
    // Closes and drops the kept connections that are idle past their expiry.
    static void expirePersistentConnections();
    // The number of the connection the current attempt uses; 0 without one.
    int connectionID() const;
    bool retryUsingNewConnection();

    // --- Response (HTTPRequestResponse.cpp) -------------------------------------------------------
    void readResponseHeaders();
    void redirectToURL(const QUrl& url);
    void performRedirect();
    // Ends the attempt's load; with keepUploadBody the body file the request made stays for
    // another attempt.
    void cancelLoad(bool keepUploadBody = false);
    static bool removeFileAtPath(const QString& path, HTTPErrorPtr* error);

    // --- Authentication (HTTPRequestAuthentication.cpp) -------------------------------------------
    void attemptToApplyCredentialsAndResume();
    void attemptToApplyProxyCredentialsAndResume();
    void retryUsingSuppliedCredentials();
    void cancelAuthentication();
    void addBasicAuthenticationHeaderWithUsername(const QString& username, const QString& password);

protected:
    // The new, empty request that copy() fills; a subclass answers one of its own kind.
    virtual std::shared_ptr<HTTPRequest> createRequest(const QUrl& url) const;

private:
    struct Blocks {
        Block started, completion, failure, authenticationNeeded, proxyAuthenticationNeeded, requestRedirected;
        HeadersBlock headersReceived;
        ProgressBlock bytesReceived, bytesSent;
        SizeBlock downloadSizeIncremented, uploadSizeIncremented;
        DataBlock dataReceived;
    };

    // The settings a copy and a HEAD request both take over.
    void carrySettingsTo(HTTPRequest& copy) const;
    void cancelOnRequestThread();
    void releaseBlocksOnMainThread();
    // Runs the work on the thread the current attempt runs on (the network thread, or the
    // caller's for a synchronous request), without waiting.
    void performOnRequestThread(std::function<void()> work);
    // A path in the temporary folder, named by a new unique identifier.
    static QString newTemporaryPath();
    void scheduleReadStream();
    void unscheduleReadStream();
    void destroyReadStream();
    void chooseConnection(std::shared_ptr<HttpReadStream>& previous);
    // The attempt is over: its connection record becomes idle, to expire after the persistent
    // connection time-out.
    void releaseConnection();
    // Takes the connection record out of the pool (a failure other than authentication needed
    // or too many redirects, or a retry on a new connection).
    void removeConnectionFromPool();
    void decideConnectionReuse(const HttpResponseHead& head);
    void handleNetworkEvent(int event);
    void handleBytesAvailable();
    void handleStreamComplete();
    void handleStreamError();
    void parseStringEncodingFromHeaders();
    // Inflates the body kept in memory, into `inflated` when given: the failure of a body that
    // cannot be inflated whole (code 11) or would inflate past maxDownloadBytes or
    // kMaxBodyInMemory (code 1); nothing for a sound one or no body at all.
    HTTPErrorPtr inflateKeptBody(QByteArray* inflated) const;
    bool removeTemporaryFile(QString (HTTPRequest::*path)() const, void (HTTPRequest::*setPath)(QString));
    std::optional<Credentials> findCredentials(bool proxy);
    bool applyCredentials(const CredentialsPtr& credentials, bool proxy);
    bool willAskDelegateForCredentials(bool proxy);
    void resumeAfterChallenge(bool proxy);
    void failAuthentication();
    // Calls the delegate, the queue or a callback on the main thread, reading the field only
    // when the call runs there.
    void notifyDelegate(std::function<void(HTTPRequestDelegate&)> call);
    void notifyQueue(std::function<void(HTTPRequestQueueListener&)> call);
    void notifyIndicator(std::shared_ptr<ProgressDelegate> (HTTPRequest::*indicator)() const,
                         std::function<void(ProgressDelegate&)> call);
    template <typename BlockType, typename... Args> void callBlock(BlockType Blocks::*field, Args... args);
    bool shouldSkipNotifications() const;

    // Works out the proxies for the request's URL before the request's lock is taken: reading
    // the desktop's settings, fetching a script and running it may each take seconds, and the
    // main thread's deliveries ask the request for its delegate and queue under that lock.
    // configureProxy then uses the answer.
    void runProxyScript();
    // The proxies for the URL: from the request's own script, else as the desktop says; kept
    // for the URL, so that a retry of the request asks nothing again.
    ProxyScriptAnswer proxyAnswerFor(const QUrl& url);

    mutable std::recursive_mutex cancelledLock_;
    mutable std::mutex propertyMutex_;
    // The last proxy answer: the URL and the request's script it was worked out for (proxy lock).
    struct ProxyScriptRun {
        QUrl url;
        QUrl script;
        ProxyScriptAnswer answer;
    };
    std::mutex proxyScriptMutex_;
    std::optional<ProxyScriptRun> proxyScriptRun_;
    std::atomic<bool> finished_ {false};
    bool cancelled_ = false;
    QUrl url_;
    std::weak_ptr<HTTPRequestDelegate> delegate_;
    std::shared_ptr<HTTPRequestQueueListener> queue_;
    std::weak_ptr<ProgressDelegate> uploadProgressDelegate_;
    std::weak_ptr<ProgressDelegate> downloadProgressDelegate_;
    std::weak_ptr<HTTPRequest> mainRequest_;
    std::shared_ptr<HttpMessage> requestMessage_;
    // The work of one attempt, all touched on the request's thread under cancelledLock_.
    std::shared_ptr<HttpReadStream> readStream_;
    std::unique_ptr<QFile> postBodyWriteStream_;
    std::unique_ptr<QFile> fileDownloadOutputStream_;
    std::unique_ptr<QFile> inflatedFileDownloadOutputStream_;
    // The body bytes handed on in this attempt, after inflating.
    quint64 bodyBytesDelivered_ = 0;
    std::shared_ptr<QTimer> statusTimer_;
    std::shared_ptr<ConnectionRecord> connectionInfo_;
    std::shared_ptr<HttpAuthentication> requestAuthentication_;
    std::shared_ptr<HttpAuthentication> proxyAuthentication_;
    std::shared_ptr<const HttpResponseHead> lastResponseHead_;
    // The cookies the request was given before the store added its own, the caller's own "Cookie"
    // header, and the one "Cookie" header built from all of them (empty when none was built),
    // for a redirect to build it again.
    QList<QNetworkCookie> givenCookies_;
    QString callersCookieHeader_;
    QString builtCookieHeader_;
    // The thread the current attempt runs on.
    QObject* requestThreadContext_ = nullptr;
    std::shared_ptr<QObject> synchronousContext_;
    // The thread a synchronous request waits on and the loop it waits in (read on that thread
    // only), so that its end on that thread stops the wait at once.
    std::atomic<QThread*> synchronousThread_ {nullptr};
    QEventLoop* synchronousLoop_ = nullptr;
    bool didCreateTemporaryCompressedFile_ = false;

    Blocks blocks_;

    // --- Properties ---------------------------------------------------------------------------------
    HTTP_REQUEST_PROPERTY(QList<QNetworkCookie>, responseCookies, setResponseCookies);
    HTTP_REQUEST_PROPERTY(std::optional<QString>, authenticationRealm, setAuthenticationRealm);
    HTTP_REQUEST_PROPERTY(std::optional<QString>, proxyAuthenticationRealm, setProxyAuthenticationRealm);
    HTTP_REQUEST_PROPERTY(QString, responseStatusMessage, setResponseStatusMessage);
    HTTP_REQUEST_PROPERTY(quint32, requestID, setRequestID) {0};
    HTTP_REQUEST_PROPERTY(QString, username, setUsername);
    HTTP_REQUEST_PROPERTY(QString, password, setPassword);
    HTTP_REQUEST_PROPERTY(QString, domain, setDomain);
    HTTP_REQUEST_PROPERTY(QString, proxyUsername, setProxyUsername);
    HTTP_REQUEST_PROPERTY(QString, proxyPassword, setProxyPassword);
    HTTP_REQUEST_PROPERTY(QString, proxyDomain, setProxyDomain);
    HTTP_REQUEST_PROPERTY(QString, proxyHost, setProxyHost);
    HTTP_REQUEST_PROPERTY(std::optional<ProxyEntry::Type>, proxyType, setProxyType);
    HTTP_REQUEST_PROPERTY(QUrl, originalURL, setOriginalURL);
    HTTP_REQUEST_PROPERTY(QString, downloadDestinationPath, setDownloadDestinationPath);
    // The most bytes of body the request takes, as received and once inflated; past it the
    // request fails (code 1). 0, the default, sets no bound.
    HTTP_REQUEST_VALUE(quint64, maxDownloadBytes, setMaxDownloadBytes) {0};
    HTTP_REQUEST_PROPERTY(QString, temporaryFileDownloadPath, setTemporaryFileDownloadPath);
    HTTP_REQUEST_PROPERTY(QString, temporaryUncompressedDataDownloadPath, setTemporaryUncompressedDataDownloadPath);
    HTTP_REQUEST_PROPERTY(HTTPErrorPtr, error, setError);
    HTTP_REQUEST_PROPERTY(HTTPHeaders, responseHeaders, setResponseHeaders);
    HTTP_REQUEST_PROPERTY(HTTPHeaders, requestHeaders, setRequestHeaders);
    HTTP_REQUEST_PROPERTY(QList<QNetworkCookie>, requestCookies, setRequestCookies);
    HTTP_REQUEST_PROPERTY(CredentialsPtr, requestCredentials, setRequestCredentials);
    HTTP_REQUEST_PROPERTY(CredentialsPtr, proxyCredentials, setProxyCredentials);
    HTTP_REQUEST_PROPERTY(std::optional<QByteArray>, rawResponseData, setRawResponseData);
    HTTP_REQUEST_PROPERTY(QString, requestMethod, setRequestMethod) {QStringLiteral("GET")};
    HTTP_REQUEST_PROPERTY(QByteArray, postBody, setPostBody);
    HTTP_REQUEST_PROPERTY(QVariantMap, userInfo, setUserInfo);
    HTTP_REQUEST_PROPERTY(QString, postBodyFilePath, setPostBodyFilePath);
    HTTP_REQUEST_PROPERTY(QUrl, PACurl, setPACurl);
    HTTP_REQUEST_PROPERTY(QString, authenticationScheme, setAuthenticationScheme);
    HTTP_REQUEST_PROPERTY(QString, proxyAuthenticationScheme, setProxyAuthenticationScheme);
    // Presented to a secure server that asks for a certificate; the clientCertificates follow it
    // (they link it to an authority the server trusts) and go only with an identity.
    HTTP_REQUEST_PROPERTY(std::optional<ClientIdentity>, clientCertificateIdentity, setClientCertificateIdentity);
    HTTP_REQUEST_PROPERTY(QList<QSslCertificate>, clientCertificates, setClientCertificates);
    HTTP_REQUEST_PROPERTY(std::shared_ptr<DataDecompressor>, dataDecompressor, setDataDecompressor);
    HTTP_REQUEST_PROPERTY(QDateTime, lastActivityTime, setLastActivityTime);
    HTTP_REQUEST_PROPERTY(QByteArray, compressedPostBody, setCompressedPostBody);
    HTTP_REQUEST_PROPERTY(QString, compressedPostBodyFilePath, setCompressedPostBodyFilePath);
    HTTP_REQUEST_PROPERTY(QUrl, redirectURL, setRedirectURL);
    HTTP_REQUEST_PROPERTY(QString, runLoopMode, setRunLoopMode) {QStringLiteral("DefaultRunLoopMode")};
    HTTP_REQUEST_PROPERTY(RequestSelector, didStartSelector, setDidStartSelector) {
        &HTTPRequestDelegate::requestStarted};
    HTTP_REQUEST_PROPERTY(HeadersSelector, didReceiveResponseHeadersSelector, setDidReceiveResponseHeadersSelector) {
        &HTTPRequestDelegate::requestDidReceiveResponseHeaders};
    HTTP_REQUEST_PROPERTY(RedirectSelector, willRedirectSelector, setWillRedirectSelector) {
        &HTTPRequestDelegate::requestWillRedirectToURL};
    HTTP_REQUEST_PROPERTY(RequestSelector, didFinishSelector, setDidFinishSelector) {
        &HTTPRequestDelegate::requestFinished};
    HTTP_REQUEST_PROPERTY(RequestSelector, didFailSelector, setDidFailSelector) {&HTTPRequestDelegate::requestFailed};
    HTTP_REQUEST_PROPERTY(DataSelector, didReceiveDataSelector, setDidReceiveDataSelector) {
        &HTTPRequestDelegate::requestDidReceiveData};

    HTTP_REQUEST_VALUE(bool, complete, setComplete) {false};
    HTTP_REQUEST_VALUE(bool, updatedProgress, setUpdatedProgress) {false};
    HTTP_REQUEST_VALUE(bool, needsRedirect, setNeedsRedirect) {false};
    HTTP_REQUEST_VALUE(bool, inProgress, setInProgress) {false};
    HTTP_REQUEST_VALUE(bool, connectionCanBeReused, setConnectionCanBeReused) {false};
    HTTP_REQUEST_VALUE(bool, readStreamIsScheduled, setReadStreamIsScheduled) {false};
    HTTP_REQUEST_VALUE(bool, downloadComplete, setDownloadComplete) {false};
    HTTP_REQUEST_VALUE(bool, useKeychainPersistence, setUseKeychainPersistence) {false};
    HTTP_REQUEST_VALUE(bool, useSessionPersistence, setUseSessionPersistence) {true};
    HTTP_REQUEST_VALUE(bool, useCookiePersistence, setUseCookiePersistence) {true};
    HTTP_REQUEST_VALUE(bool, shouldResetDownloadProgress, setShouldResetDownloadProgress) {true};
    HTTP_REQUEST_VALUE(bool, shouldResetUploadProgress, setShouldResetUploadProgress) {true};
    HTTP_REQUEST_VALUE(bool, showAccurateProgress, setShowAccurateProgress) {true};
    HTTP_REQUEST_VALUE(bool, allowCompressedResponse, setAllowCompressedResponse) {true};
    HTTP_REQUEST_VALUE(bool, allowResumeForFileDownloads, setAllowResumeForFileDownloads) {false};
    HTTP_REQUEST_VALUE(bool, shouldStreamPostDataFromDisk, setShouldStreamPostDataFromDisk) {false};
    HTTP_REQUEST_VALUE(bool, didCreateTemporaryPostDataFile, setDidCreateTemporaryPostDataFile) {false};
    HTTP_REQUEST_VALUE(bool, useHTTPVersionOne, setUseHTTPVersionOne) {false};
    HTTP_REQUEST_VALUE(bool, shouldRedirect, setShouldRedirect) {true};
    HTTP_REQUEST_VALUE(bool, validatesSecureCertificate, setValidatesSecureCertificate) {true};
    HTTP_REQUEST_VALUE(bool, shouldCompressRequestBody, setShouldCompressRequestBody) {false};
    HTTP_REQUEST_VALUE(bool, shouldPresentAuthenticationDialog, setShouldPresentAuthenticationDialog) {false};
    HTTP_REQUEST_VALUE(bool, shouldPresentProxyAuthenticationDialog, setShouldPresentProxyAuthenticationDialog) {true};
    HTTP_REQUEST_VALUE(bool, shouldPresentCredentialsBeforeChallenge, setShouldPresentCredentialsBeforeChallenge) {
        true};
    HTTP_REQUEST_VALUE(bool, haveBuiltRequestHeaders, setHaveBuiltRequestHeaders) {false};
    HTTP_REQUEST_VALUE(bool, haveBuiltPostBody, setHaveBuiltPostBody) {false};
    HTTP_REQUEST_VALUE(bool, shouldAttemptPersistentConnection, setShouldAttemptPersistentConnection) {true};
    HTTP_REQUEST_VALUE(bool, shouldUseRFC2616RedirectBehaviour, setShouldUseRFC2616RedirectBehaviour) {false};
    HTTP_REQUEST_VALUE(bool, shouldWaitToInflateCompressedResponses, setShouldWaitToInflateCompressedResponses) {
        true};

    HTTP_REQUEST_VALUE(qint32, responseStatusCode, setResponseStatusCode) {0};
    HTTP_REQUEST_VALUE(qint32, authenticationRetryCount, setAuthenticationRetryCount) {0};
    HTTP_REQUEST_VALUE(qint32, proxyAuthenticationRetryCount, setProxyAuthenticationRetryCount) {0};
    HTTP_REQUEST_VALUE(qint32, redirectCount, setRedirectCount) {0};
    HTTP_REQUEST_VALUE(qint32, retryCount, setRetryCount) {0};
    HTTP_REQUEST_VALUE(qint32, authenticationNeeded, setAuthenticationNeeded) {0};
    HTTP_REQUEST_VALUE(qint32, proxyPort, setProxyPort) {0};
    HTTP_REQUEST_VALUE(qint32, numberOfTimesToRetryOnTimeout, setNumberOfTimesToRetryOnTimeout) {0};

    HTTP_REQUEST_VALUE(quint64, partialDownloadSize, setPartialDownloadSize) {0};
    HTTP_REQUEST_VALUE(quint64, uploadBufferSize, setUploadBufferSize) {0};
    HTTP_REQUEST_VALUE(quint64, lastBytesRead, setLastBytesRead) {0};
    HTTP_REQUEST_VALUE(quint64, lastBytesSent, setLastBytesSent) {0};
    HTTP_REQUEST_VALUE(quint64, contentLength, setContentLength) {0};
    HTTP_REQUEST_VALUE(quint64, postLength, setPostLength) {0};
    HTTP_REQUEST_VALUE(quint64, totalBytesRead, setTotalBytesRead) {0};
    HTTP_REQUEST_VALUE(quint64, totalBytesSent, setTotalBytesSent) {0};
    HTTP_REQUEST_VALUE(quint64, defaultResponseEncoding, setDefaultResponseEncoding) {StringEncoding::ISOLatin1};
    HTTP_REQUEST_VALUE(quint64, responseEncoding, setResponseEncoding) {0};

    HTTP_REQUEST_VALUE(double, timeOutSeconds, setTimeOutSeconds) {10.0};
    HTTP_REQUEST_VALUE(double, persistentConnectionTimeoutSeconds, setPersistentConnectionTimeoutSeconds) {60.0};

public:
    // Adds (or replaces) one field of requestHeaders.
    void addRequestHeader(const QString& name, const QString& value);
};

#undef HTTP_REQUEST_PROPERTY
#undef HTTP_REQUEST_VALUE
