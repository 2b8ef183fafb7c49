#include "web/http/DataCompressor.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

constexpr int kGzipWindowBits = 31;      // 32 KiB window, gzip wrapper
constexpr int kAutoDetectWindowBits = 47; // 32 KiB window, gzip or zlib header
constexpr int kMemoryLevel = 8;

void setError(HTTPErrorPtr* out, HTTPErrorPtr error)
{
    if (out)
        *out = std::move(error);
}

HTTPErrorPtr fileError(const QString& description, const QFile& file)
{
    return HTTPError::make(HTTPError::CompressionFailure, description,
                           HTTPError::make(file.error(), file.errorString()));
}

} // namespace

std::unique_ptr<ZlibCodec> ZlibCodec::makeCodec(bool compressing)
{
    if (compressing)
        return DataCompressor::compressor();
    return DataDecompressor::decompressor();
}

ZlibCodec::~ZlibCodec()
{
    closeStream();
}

HTTPErrorPtr ZlibCodec::setupStream()
{
    if (streamReady_)
        return {};
    zStream_ = z_stream {};
    const int status = compressing_ ? deflateInit2(&zStream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits,
                                                   kMemoryLevel, Z_DEFAULT_STRATEGY)
                                    : inflateInit2(&zStream_, kAutoDetectWindowBits);
    if (status != Z_OK)
        return errorWithCode(status);
    streamReady_ = true;
    streamEnded_ = false;
    return {};
}

HTTPErrorPtr ZlibCodec::closeStream()
{
    if (!streamReady_)
        return {};
    streamReady_ = false;
    const int status = compressing_ ? deflateEnd(&zStream_) : inflateEnd(&zStream_);
    // A compressor ended before its trailer reports Z_DATA_ERROR: the stream is let go all the
    // same, and only a real failure is an error.
    if (status != Z_OK && !(compressing_ && status == Z_DATA_ERROR))
        return errorWithCode(status);
    return {};
}

HTTPErrorPtr ZlibCodec::errorWithCode(int status) const
{
    return compressing_ ? DataCompressor::deflateErrorWithCode(status) : DataDecompressor::inflateErrorWithCode(status);
}

HTTPErrorPtr ZlibCodec::processInSteps(const char* bytes, qsizetype length, bool finish, const Sink& sink)
{
    if (length == 0 && !finish)
        return {};
    if (!streamReady_)
        return errorWithCode(Z_STREAM_ERROR);
    std::vector<char> step(static_cast<std::size_t>(kStepSize));
    zStream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
    zStream_.avail_in = static_cast<uInt>(length);
    for (;;) {
        zStream_.next_out = reinterpret_cast<Bytef*>(step.data());
        zStream_.avail_out = static_cast<uInt>(kStepSize);
        const int status
            = compressing_ ? deflate(&zStream_, finish ? Z_FINISH : Z_NO_FLUSH) : inflate(&zStream_, Z_NO_FLUSH);
        const qsizetype made = kStepSize - static_cast<qsizetype>(zStream_.avail_out);
        if (status == Z_STREAM_END)
            streamEnded_ = true;
        if (made > 0 && (status == Z_OK || status == Z_STREAM_END) && !sink(step.data(), made))
            return {};
        if (status == Z_STREAM_END)
            return {};
        if (status == Z_OK && zStream_.avail_out > 0)
            return {};
        if (status == Z_OK)
            continue;
        // The output was full exactly when the input ran out: the pass after it has nothing
        // left to do, which zlib reports as a buffer error.
        if (status == Z_BUF_ERROR && zStream_.avail_in == 0 && made == 0 && !finish)
            return {};
        return errorWithCode(status);
    }
}

std::optional<QByteArray> ZlibCodec::process(const char* bytes, qsizetype length, HTTPErrorPtr* error, bool finish)
{
    if (length == 0 && !finish)
        return std::nullopt;
    QByteArray output;
    const HTTPErrorPtr failure = processInSteps(bytes, length, finish, [&output](const char* piece, qsizetype size) {
        output.append(piece, size);
        return true;
    });
    if (failure) {
        setError(error, failure);
        return std::nullopt;
    }
    return output;
}

bool ZlibCodec::processFile(bool compressing, const QString& sourcePath, const QString& destinationPath,
                            HTTPErrorPtr* error, quint64 mostBytes, bool* pastTheBound)
{
    const QString verb = compressing ? QStringLiteral("Compression") : QStringLiteral("Decompression");
    auto fail = [&](HTTPErrorPtr failure) {
        setError(error, std::move(failure));
        return false;
    };
    QFile destination(destinationPath);
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(fileError(QStringLiteral("%1 of %2 failed because we were to create a file at %3")
                                  .arg(verb, sourcePath, destinationPath),
            destination));
    QFile source(sourcePath);
    if (!QFileInfo(sourcePath).isFile())
        return fail(HTTPError::make(HTTPError::CompressionFailure,
                                    QStringLiteral("%1 of %2 failed the file does not exist").arg(verb, sourcePath)));
    if (!source.open(QIODevice::ReadOnly))
        return fail(fileError(QStringLiteral("%1 of %2 failed because we were unable to read from the source data file")
                                  .arg(verb, sourcePath),
            source));

    std::unique_ptr<ZlibCodec> codec = makeCodec(compressing);
    auto write = [&](const QByteArray& bytes) {
        return destination.write(bytes) == bytes.size();
    };
    auto writeFailure = [&] {
        codec->closeStream();
        return fail(fileError(QStringLiteral("%1 of %2 failed because we were unable to write to the destination "
                                             "data file at %3")
                                  .arg(verb, sourcePath, destinationPath),
                              destination));
    };
    std::vector<char> buffer(kFileChunkSize);
    quint64 made = 0;
    while (codec->streamReady()) {
        const qint64 read = source.read(buffer.data(), kFileChunkSize);
        if (read < 0) {
            codec->closeStream();
            return fail(fileError(
                QStringLiteral("%1 of %2 failed because we were unable to read from the source data file")
                    .arg(verb, sourcePath),
                source));
        }
        if (read == 0)
            break;
        bool written = true;
        bool bounded = false;
        const HTTPErrorPtr chunkError
            = codec->processInSteps(buffer.data(), read, compressing && read < kFileChunkSize,
                                    [&](const char* piece, qsizetype size) {
                                        if (mostBytes > 0 && made + quint64(size) > mostBytes)
                                            return !(bounded = true);
                                        made += quint64(size);
                                        written = destination.write(piece, size) == size;
                                        return written;
                                    });
        if (bounded) {
            codec->closeStream();
            if (pastTheBound)
                *pastTheBound = true;
            return false;
        }
        if (chunkError) {
            codec->closeStream();
            return fail(chunkError);
        }
        if (!written)
            return writeFailure();
    }
    // A compressed file always ends with a finished gzip stream, also when the source ended
    // exactly at a chunk boundary or was empty.
    if (compressing && codec->streamReady() && !codec->streamEnded_) {
        HTTPErrorPtr finishError;
        const auto tail = codec->process(nullptr, 0, &finishError, true);
        if (finishError) {
            codec->closeStream();
            return fail(finishError);
        }
        if (tail && !write(*tail))
            return writeFailure();
    }
    // A source that stops before its compressed stream does would inflate to a silently cut
    // file: that is a failure, not a success.
    if (!compressing && codec->streamReady() && !codec->streamEnded_) {
        codec->closeStream();
        return fail(DataDecompressor::inflateErrorWithCode(Z_BUF_ERROR));
    }
    if (!destination.flush())
        return writeFailure();
    if (HTTPErrorPtr closeError = codec->closeStream())
        return fail(closeError);
    return true;
}

std::unique_ptr<DataCompressor> DataCompressor::compressor()
{
    auto compressor = std::make_unique<DataCompressor>();
    compressor->setupStream();
    return compressor;
}

std::optional<QByteArray> DataCompressor::compressBytes(const char* bytes, qsizetype length, HTTPErrorPtr* error,
                                                        bool shouldFinish)
{
    if (length == 0)
        return std::nullopt;
    return process(bytes, length, error, shouldFinish);
}

std::optional<QByteArray> ZlibCodec::processWhole(bool compressing, const QByteArray& data, HTTPErrorPtr* error)
{
    std::unique_ptr<ZlibCodec> codec = makeCodec(compressing);
    if (data.isEmpty())
        return std::nullopt;
    HTTPErrorPtr failure;
    auto result = codec->process(data.constData(), data.size(), &failure, compressing);
    // Data that stops before its compressed stream does would inflate to a silently cut copy.
    if (!failure && !compressing && !codec->streamEnded())
        failure = DataDecompressor::inflateErrorWithCode(Z_BUF_ERROR);
    if (!failure)
        failure = codec->closeStream();
    else
        codec->closeStream();
    if (failure) {
        setError(error, failure);
        return std::nullopt;
    }
    return result;
}

std::optional<QByteArray> DataCompressor::compressData(const QByteArray& data, HTTPErrorPtr* error)
{
    return processWhole(true, data, error);
}

bool DataCompressor::compressDataFromFile(const QString& sourcePath, const QString& destinationPath,
                                          HTTPErrorPtr* error)
{
    return processFile(true, sourcePath, destinationPath, error);
}

HTTPErrorPtr DataCompressor::deflateErrorWithCode(int status)
{
    return HTTPError::make(HTTPError::CompressionFailure,
                           QStringLiteral("Compression of data failed with code %1").arg(status));
}

std::unique_ptr<DataDecompressor> DataDecompressor::decompressor()
{
    auto decompressor = std::make_unique<DataDecompressor>();
    decompressor->setupStream();
    return decompressor;
}

std::optional<QByteArray> DataDecompressor::uncompressBytes(const char* bytes, qsizetype length, HTTPErrorPtr* error)
{
    return process(bytes, length, error, false);
}

std::optional<QByteArray> DataDecompressor::uncompressData(const QByteArray& data, HTTPErrorPtr* error)
{
    return processWhole(false, data, error);
}

bool DataDecompressor::uncompressDataFromFile(const QString& sourcePath, const QString& destinationPath,
                                              HTTPErrorPtr* error, quint64 mostBytes, bool* pastTheBound)
{
    return processFile(false, sourcePath, destinationPath, error, mostBytes, pastTheBound);
}

HTTPErrorPtr DataDecompressor::inflateErrorWithCode(int status)
{
    return HTTPError::make(HTTPError::CompressionFailure,
                           QStringLiteral("Decompression of data failed with code %1").arg(status));
}
