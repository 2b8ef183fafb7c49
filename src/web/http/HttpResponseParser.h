#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The head of a response: its status line and its header fields in the order they came, a
// field that repeats (Set-Cookie, WWW-Authenticate) appearing once for each time.
struct HttpResponseHead {
    QString statusLine;
    int statusCode = 0;
    bool httpVersionOne = false; // HTTP/1.0
    QList<QPair<QString, QString>> fields;

    QString field(const QString& name) const;
    QList<QString> fieldValues(const QString& name) const;
};

// Reads a response from the bytes of a connection, as they come: the head, then the body in
// whatever framing the head gives (a length, chunks, or up to the end of the connection; none
// for HEAD and for 1xx, 204 and 304). Interim 1xx heads are passed over. Every length and line
// is bounded: an answer that breaks a bound or the grammar is an error, never a crash.
class HttpResponseParser
{
public:
    static constexpr qsizetype kMaxHeadBytes = 65536;
    static constexpr qsizetype kMaxHeaderFields = 200;
    static constexpr qsizetype kMaxChunkLine = 1024;

    explicit HttpResponseParser(bool headRequest) : headRequest_(headRequest) {}

    // Takes in bytes; the decoded body bytes are appended to body. False on malformed input.
    bool feed(const char* data, qsizetype size, QByteArray& body);
    // The connection ended: true when that ends the body as framed (close-delimited bodies).
    bool finishAtEnd();

    bool headComplete() const { return head_.has_value(); }
    const std::optional<HttpResponseHead>& head() const { return head_; }
    bool bodyComplete() const { return state_ == State::Done; }
    // A body delimited by the end of the connection: the connection cannot be kept.
    bool closeDelimited() const { return framing_ == Framing::UntilClose; }
    const QString& error() const { return error_; }

private:
    enum class State { Head, Body, ChunkSize, ChunkData, ChunkDataEnd, Trailer, Done, Failed };
    enum class Framing { None, Length, Chunked, UntilClose };

    bool fail(const QString& message);
    bool parseHead(const QByteArray& block);
    // Takes one line (up to LF) out of pending_, without its line end; nothing while incomplete.
    // Moves up to remaining_ pending bytes into the body; true once none remain.
    bool takeBody(QByteArray& body);
    std::optional<QByteArray> takeLine(qsizetype limit, bool& tooLong);

    bool headRequest_;
    State state_ = State::Head;
    Framing framing_ = Framing::None;
    QByteArray pending_;
    std::optional<HttpResponseHead> head_;
    quint64 remaining_ = 0;
    QString error_;
};
