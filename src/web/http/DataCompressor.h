#pragma once

#include "web/http/HTTPError.h"

#include <QByteArray>
#include <QString>

#include <zlib.h>

#include <functional>
#include <memory>
#include <optional>

// One zlib stream, set up for compressing (gzip wrapper, default level) or for inflating
// (gzip or zlib header, detected). The two public classes below are its two faces; a codec
// belongs to one request or one call and is never shared between threads.
class ZlibCodec
{
public:
    ZlibCodec(const ZlibCodec&) = delete;
    ZlibCodec& operator=(const ZlibCodec&) = delete;
    virtual ~ZlibCodec();

    bool streamReady() const { return streamReady_; }
    // The stream has reached its end: a compressor has written its trailer, a decompressor has
    // read the whole compressed stream with its trailer, length and checksum.
    bool streamEnded() const { return streamEnded_; }
    // Set-up of a ready stream and closing of one that is not ready do nothing.
    HTTPErrorPtr setupStream();
    HTTPErrorPtr closeStream();

    // The size of the chunks the file routines read, through one fixed buffer.
    static constexpr qsizetype kFileChunkSize = 262144;
    // The most output made in one step: input that inflates to a great deal is handed on in
    // pieces of this size, never held whole.
    static constexpr qsizetype kStepSize = 262144;

    // Receives the output piece by piece; answers false to stop the stream's work at once.
    using Sink = std::function<bool(const char* bytes, qsizetype length)>;
    // Runs the stream over the bytes, handing each piece of output to the sink as it is made.
    // An error of the stream is answered; a sink that stops is not an error.
    HTTPErrorPtr processInSteps(const char* bytes, qsizetype length, bool finish, const Sink& sink);

protected:
    explicit ZlibCodec(bool compressing) : compressing_(compressing) {}

    // Runs the stream over the bytes. An empty input yields nothing and no error unless the
    // stream is to be finished, which a compressor needs at the end of a file.
    std::optional<QByteArray> process(const char* bytes, qsizetype length, HTTPErrorPtr* error, bool finish);
    HTTPErrorPtr errorWithCode(int status) const;
    static std::unique_ptr<ZlibCodec> makeCodec(bool compressing);
    // One pass over the whole data, finished when compressing.
    static std::optional<QByteArray> processWhole(bool compressing, const QByteArray& data, HTTPErrorPtr* error);
    // Copies a file through a fresh codec in chunks of kFileChunkSize bytes. With mostBytes
    // above 0, output that would grow past it ends the work: false, with pastTheBound set and no
    // error of the stream.
    static bool processFile(bool compressing, const QString& sourcePath, const QString& destinationPath,
                            HTTPErrorPtr* error, quint64 mostBytes = 0, bool* pastTheBound = nullptr);

private:
    const bool compressing_;
    bool streamReady_ = false;
    bool streamEnded_ = false;
    z_stream zStream_ {};
};

class DataCompressor : public ZlibCodec
{
public:
    DataCompressor() : ZlibCodec(true) {}
    // A new compressor, already set up (its set-up error, if any, leaves it not ready).
    static std::unique_ptr<DataCompressor> compressor();

    // The compressed bytes of this piece; with shouldFinish the gzip stream is ended.
    std::optional<QByteArray> compressBytes(const char* bytes, qsizetype length, HTTPErrorPtr* error,
                                            bool shouldFinish);
    // The whole gzip stream of the data; nothing for empty data.
    static std::optional<QByteArray> compressData(const QByteArray& data, HTTPErrorPtr* error);
    static bool compressDataFromFile(const QString& sourcePath, const QString& destinationPath,
                                     HTTPErrorPtr* error);
    static HTTPErrorPtr deflateErrorWithCode(int status);
};

class DataDecompressor : public ZlibCodec
{
public:
    DataDecompressor() : ZlibCodec(false) {}
    static std::unique_ptr<DataDecompressor> decompressor();

    std::optional<QByteArray> uncompressBytes(const char* bytes, qsizetype length, HTTPErrorPtr* error);
    // The inflated data; a stream cut off before its end is an error, as a damaged one is.
    static std::optional<QByteArray> uncompressData(const QByteArray& data, HTTPErrorPtr* error);
    // With mostBytes above 0, a file that would inflate past it is not inflated further: false,
    // with pastTheBound set (the destination holds what was inflated up to there).
    static bool uncompressDataFromFile(const QString& sourcePath, const QString& destinationPath,
                                       HTTPErrorPtr* error, quint64 mostBytes = 0, bool* pastTheBound = nullptr);
    static HTTPErrorPtr inflateErrorWithCode(int status);
};
