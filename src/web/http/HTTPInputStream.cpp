#include "web/http/HTTPInputStream.h"

#include "web/http/HTTPRequest.h"

#include <QBuffer>
#include <QFile>

#include <mutex>

namespace {

// Serialises the bandwidth accounting of all body streams.
std::mutex& streamReadLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

std::unique_ptr<HTTPInputStream> HTTPInputStream::inputStreamWithFileAtPath(
    const QString& path, std::weak_ptr<HTTPRequest> request)
{
    return std::make_unique<HTTPInputStream>(std::make_unique<QFile>(path), std::move(request));
}

std::unique_ptr<HTTPInputStream> HTTPInputStream::inputStreamWithData(
    const QByteArray& data, std::weak_ptr<HTTPRequest> request)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(data);
    return std::make_unique<HTTPInputStream>(std::move(buffer), std::move(request));
}

HTTPInputStream::HTTPInputStream(std::unique_ptr<QIODevice> stream, std::weak_ptr<HTTPRequest> request)
    : stream_(std::move(stream))
    , request_(std::move(request))
{
}

HTTPInputStream::~HTTPInputStream()
{
    HTTPInputStream::close();
}

bool HTTPInputStream::open(OpenMode mode)
{
    if (!stream_->open(QIODevice::ReadOnly)) {
        setErrorString(stream_->errorString());
        return false;
    }
    return QIODevice::open(mode | QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void HTTPInputStream::close()
{
    if (stream_->isOpen())
        stream_->close();
    QIODevice::close();
}

qint64 HTTPInputStream::bytesAvailable() const
{
    return stream_->bytesAvailable();
}

bool HTTPInputStream::atEnd() const
{
    return stream_->atEnd();
}

qint64 HTTPInputStream::size() const
{
    return stream_->size();
}

qint64 HTTPInputStream::readData(char* data, qint64 maxSize)
{
    qint64 length = maxSize;
    {
        std::lock_guard lock(streamReadLock());
        if (HTTPRequest::isBandwidthThrottled()) {
            const auto allowed = qint64(HTTPRequest::maxUploadReadLength());
            if (allowed <= maxSize)
                length = allowed == 0 ? 1 : allowed;
            if (auto request = request_.lock())
                request->performThrottling();
        }
        // What a read asks for is counted, not what it returns.
        HTTPRequest::incrementBandwidthUsedInLastSecond(quint64(length));
        bytesRequested_ += length;
    }
    return stream_->read(data, length);
}
