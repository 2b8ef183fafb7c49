#pragma once

#include <QIODevice>

#include <memory>

class HTTPRequest;

// The stream a request's body is read from while it is sent: it passes reads on to the file or
// the bytes of the body, counts every read against the layer's bandwidth budget and, while
// bandwidth is throttled, shortens each read to what the budget allows. It does not keep the
// request alive.
class HTTPInputStream : public QIODevice
{
public:
    static std::unique_ptr<HTTPInputStream> inputStreamWithFileAtPath(
        const QString& path, std::weak_ptr<HTTPRequest> request);
    static std::unique_ptr<HTTPInputStream> inputStreamWithData(
        const QByteArray& data, std::weak_ptr<HTTPRequest> request);

    HTTPInputStream(std::unique_ptr<QIODevice> stream, std::weak_ptr<HTTPRequest> request);
    ~HTTPInputStream() override;

    // Opens the wrapped stream for reading; reads then pass through without a buffer of their own.
    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    bool atEnd() const override;
    qint64 size() const override;
    QIODevice* stream() const { return stream_.get(); }
    // How many bytes reads asked for, throttled or not.
    qint64 bytesRequested() const { return bytesRequested_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<QIODevice> stream_;
    std::weak_ptr<HTTPRequest> request_;
    qint64 bytesRequested_ = 0;
};
