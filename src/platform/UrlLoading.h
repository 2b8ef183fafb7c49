#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>

// Synchronous loading of web addresses: one request goes out and the caller waits, on its own
// thread, for the whole answer or the time-out. An answer that keeps coming, however slowly, is
// waited for; the time-out ends an exchange that has gone quiet. The Qt implementation is QtUrlLoader
// (QtPlatform.h); tests install ScriptedUrlLoader (FakePlatform.h) or point the Qt one at
// servers of their own on 127.0.0.1.

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

struct UrlLoadRequest {
    QUrl url;
    QByteArray method = "GET";
    // Sent in this order, after those the transport adds itself.
    HttpHeaders headers;
    QByteArray body;
    // How long the exchange may stay quiet, no byte sent and none received, before it is given
    // up: a minute, the usual default of URL loading.
    std::chrono::milliseconds idleTimeout{60000};
    // The longest wait for the whole answer, however it moves, for callers that must not wait
    // long (a page read at start-up). 0 sets no bound.
    std::chrono::milliseconds timeout{0};
    // The most bytes of body taken; a longer answer ends as an error. 0 sets no bound.
    qint64 maxBodyBytes = 0;
};

struct UrlLoadResult {
    // The HTTP status of the final answer (redirects followed); 0 when no answer came.
    int status = 0;
    HttpHeaders headers;
    QByteArray body;
    // Why no answer came, in plain words; empty when one came, whatever its status.
    QString error;

    // An answer with a success status (200 to 299).
    bool ok() const { return status >= 200 && status <= 299; }
    // The value of the first header of that name, compared without case; empty when none.
    QByteArray header(const QByteArray& name) const;
};

class UrlLoader
{
public:
    virtual ~UrlLoader() = default;
    // Sends the request and waits for its answer. Only http and https addresses are loaded;
    // any other gets status 0 and an error.
    virtual UrlLoadResult load(const UrlLoadRequest& request) = 0;
};
