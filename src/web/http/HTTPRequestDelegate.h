#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUrl>

class HTTPRequest;

// Header fields of a request or a response by name.
using HTTPHeaders = QMap<QString, QString>;

// What a request tells the object that started it. Every operation is optional: the defaults
// do nothing. Calls arrive on the main thread.
class HTTPRequestDelegate
{
public:
    // Operations whose mere presence changes what the request does: a delegate that takes over
    // redirects must call redirectToURL, one that takes the body receives it instead of the
    // request keeping it, and one that is asked for credentials must answer later.
    enum class Operation { WillRedirect, DidReceiveData, AuthenticationNeeded, ProxyAuthenticationNeeded };

    virtual ~HTTPRequestDelegate() = default;
    virtual bool implements(Operation) const { return false; }

    virtual void requestStarted(HTTPRequest*) {}
    virtual void requestDidReceiveResponseHeaders(HTTPRequest*, const HTTPHeaders&) {}
    virtual void requestWillRedirectToURL(HTTPRequest*, const QUrl&) {}
    virtual void requestFinished(HTTPRequest*) {}
    virtual void requestFailed(HTTPRequest*) {}
    virtual void requestRedirected(HTTPRequest*) {}
    virtual void requestDidReceiveData(HTTPRequest*, const QByteArray&) {}
    virtual void authenticationNeededForRequest(HTTPRequest*) {}
    virtual void proxyAuthenticationNeededForRequest(HTTPRequest*) {}
};

// A progress indicator: it gets a fraction between 0 and 1 (setDoubleValue, of setMaxValue) and,
// if it counts bytes itself, the amounts sent and received and the growth of the totals. The
// amounts are signed: a negative one takes progress back. Calls arrive on the main thread.
class ProgressDelegate
{
public:
    virtual ~ProgressDelegate() = default;
    virtual void setDoubleValue(double) {}
    virtual void setMaxValue(double) {}
    virtual void requestDidReceiveBytes(HTTPRequest*, qint64) {}
    virtual void requestDidSendBytes(HTTPRequest*, qint64) {}
    virtual void requestIncrementDownloadSizeBy(HTTPRequest*, qint64) {}
    virtual void requestIncrementUploadSizeBy(HTTPRequest*, qint64) {}
};

// The queue that runs a request hears both kinds of calls.
class HTTPRequestQueueListener : public HTTPRequestDelegate, public ProgressDelegate
{
};
