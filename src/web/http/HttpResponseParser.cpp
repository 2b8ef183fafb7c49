#include "web/http/HttpResponseParser.h"

#include <limits>

namespace {

// Bodies longer than this are refused as a malformed length.
constexpr quint64 kMaxBodyLength = quint64(1) << 50;

std::optional<quint64> parseNumber(const QByteArray& text, int base)
{
    const QByteArray digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 16)
        return std::nullopt;
    quint64 value = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
    }
    if (value > kMaxBodyLength)
        return std::nullopt;
    return value;
}

} // namespace

QString HttpResponseHead::field(const QString& name) const
{
    const QList<QString> values = fieldValues(name);
    return values.isEmpty() ? QString() : values.join(QStringLiteral(", "));
}

QList<QString> HttpResponseHead::fieldValues(const QString& name) const
{
    QList<QString> values;
    for (const auto& field : fields)
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            values.append(field.second);
    return values;
}

bool HttpResponseParser::fail(const QString& message)
{
    state_ = State::Failed;
    error_ = message;
    return false;
}

std::optional<QByteArray> HttpResponseParser::takeLine(qsizetype limit, bool& tooLong)
{
    tooLong = false;
    const qsizetype end = pending_.indexOf('\n');
    if (end < 0) {
        tooLong = pending_.size() > limit;
        return std::nullopt;
    }
    if (end > limit) {
        tooLong = true;
        return std::nullopt;
    }
    QByteArray line = pending_.left(end);
    pending_.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool HttpResponseParser::parseHead(const QByteArray& block)
{
    QList<QByteArray> lines = block.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    const QByteArray statusLine = lines.value(0);
    if (!statusLine.startsWith("HTTP/"))
        return fail(QStringLiteral("The server's answer is not HTTP"));
    const QList<QByteArray> parts = statusLine.split(' ');
    const auto code = parseNumber(parts.value(1), 10);
    if (parts.size() < 2 || !code || *code < 100 || *code > 999)
        return fail(QStringLiteral("The server's answer has no valid status"));
    HttpResponseHead head;
    head.statusLine = QString::fromLatin1(statusLine);
    head.statusCode = int(*code);
    head.httpVersionOne = parts[0] == "HTTP/1.0";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        if ((line.startsWith(' ') || line.startsWith('\t')) && !head.fields.isEmpty()) {
            head.fields.last().second += QLatin1Char(' ') + QString::fromLatin1(line.trimmed());
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return fail(QStringLiteral("The server's answer has a malformed header line"));
        if (head.fields.size() >= kMaxHeaderFields)
            return fail(QStringLiteral("The server's answer has too many header lines"));
        head.fields.append({QString::fromLatin1(line.left(colon).trimmed()),
                            QString::fromLatin1(line.mid(colon + 1).trimmed())});
    }
    // An interim answer (100 Continue and the like) is followed by the real one.
    if (head.statusCode < 200 && head.statusCode != 101)
        return true;
    const int status = head.statusCode;
    if (headRequest_ || status == 204 || status == 304 || status == 101) {
        framing_ = Framing::None;
    } else if (head.field(QStringLiteral("Transfer-Encoding"))
                   .contains(QLatin1String("chunked"), Qt::CaseInsensitive)) {
        framing_ = Framing::Chunked;
    } else if (const QList<QString> lengths = head.fieldValues(QStringLiteral("Content-Length")); !lengths.isEmpty()) {
        const auto length = parseNumber(lengths.first().toLatin1(), 10);
        for (const QString& other : lengths)
            if (other.trimmed() != lengths.first().trimmed())
                return fail(QStringLiteral("The server's answer gives two different lengths"));
        if (!length)
            return fail(QStringLiteral("The server's answer has a malformed length"));
        framing_ = Framing::Length;
        remaining_ = *length;
    } else {
        framing_ = Framing::UntilClose;
    }
    head_ = std::move(head);
    switch (framing_) {
    case Framing::None:
        state_ = State::Done;
        break;
    case Framing::Length:
        state_ = remaining_ == 0 ? State::Done : State::Body;
        break;
    case Framing::Chunked:
        state_ = State::ChunkSize;
        break;
    case Framing::UntilClose:
        state_ = State::Body;
        break;
    }
    return true;
}

bool HttpResponseParser::takeBody(QByteArray& body)
{
    const qsizetype take = qsizetype(std::min<quint64>(remaining_, quint64(pending_.size())));
    body.append(pending_.constData(), take);
    pending_.remove(0, take);
    remaining_ -= quint64(take);
    return remaining_ == 0;
}

bool HttpResponseParser::feed(const char* data, qsizetype size, QByteArray& body)
{
    if (state_ == State::Failed)
        return false;
    pending_.append(data, size);
    for (;;) {
        bool tooLong = false;
        switch (state_) {
        case State::Head: {
            qsizetype end = pending_.indexOf("\r\n\r\n");
            qsizetype skip = 4;
            if (const qsizetype bare = pending_.indexOf("\n\n"); bare >= 0 && (end < 0 || bare < end)) {
                end = bare;
                skip = 2;
            }
            if (end < 0) {
                if (pending_.size() > kMaxHeadBytes)
                    return fail(QStringLiteral("The server's answer has a head that is too long"));
                return true;
            }
            if (end > kMaxHeadBytes)
                return fail(QStringLiteral("The server's answer has a head that is too long"));
            const QByteArray block = pending_.left(end);
            pending_.remove(0, end + skip);
            if (!parseHead(block))
                return false;
            break;
        }
        case State::Body: {
            if (framing_ == Framing::UntilClose) {
                body += pending_;
                pending_.clear();
                return true;
            }
            if (!takeBody(body))
                return true;
            state_ = State::Done;
            break;
        }
        case State::ChunkSize: {
            const auto line = takeLine(kMaxChunkLine, tooLong);
            if (tooLong)
                return fail(QStringLiteral("The server's answer has a malformed chunk"));
            if (!line)
                return true;
            QByteArray sizeText = *line;
            if (const qsizetype extension = sizeText.indexOf(';'); extension >= 0)
                sizeText.truncate(extension);
            const auto chunk = parseNumber(sizeText, 16);
            if (!chunk)
                return fail(QStringLiteral("The server's answer has a malformed chunk"));
            remaining_ = *chunk;
            state_ = remaining_ == 0 ? State::Trailer : State::ChunkData;
            break;
        }
        case State::ChunkData: {
            if (!takeBody(body))
                return true;
            state_ = State::ChunkDataEnd;
            break;
        }
        case State::ChunkDataEnd: {
            const auto line = takeLine(2, tooLong);
            if (tooLong || (line && !line->isEmpty()))
                return fail(QStringLiteral("The server's answer has a malformed chunk"));
            if (!line)
                return true;
            state_ = State::ChunkSize;
            break;
        }
        case State::Trailer: {
            const auto line = takeLine(kMaxHeadBytes, tooLong);
            if (tooLong)
                return fail(QStringLiteral("The server's answer has a malformed chunk"));
            if (!line)
                return true;
            if (line->isEmpty())
                state_ = State::Done;
            break;
        }
        case State::Done:
            // Bytes after a complete answer belong to no request.
            pending_.clear();
            return true;
        case State::Failed:
            return false;
        }
    }
}

bool HttpResponseParser::finishAtEnd()
{
    if (state_ == State::Body && framing_ == Framing::UntilClose) {
        state_ = State::Done;
        return true;
    }
    if (state_ != State::Done && state_ != State::Failed)
        fail(QStringLiteral("The connection ended before the whole answer arrived"));
    return state_ == State::Done;
}
