#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class HttpReadStream;

// A connection the layer keeps open for later requests to the same scheme, host and port: the
// request using it now (none while idle), the stream that holds it open, and until when an
// idle one may be taken again.
struct ConnectionRecord {
    int id = 0;
    QString host;
    int port = 0;
    QString scheme;
    std::optional<quint32> request;
    std::shared_ptr<HttpReadStream> stream;
    std::optional<QDateTime> expires;
};

// The process-wide pool of connection records, in the order they were made, and the counters
// that number connections and requests. Touched only under HTTPRequest's connection lock.
struct ConnectionPool {
    QList<std::shared_ptr<ConnectionRecord>> records;
    int connectionCounter = 0;
    quint32 requestCounter = 0;
    int runningRequestCount = 0;

    static ConnectionPool& shared();
};
