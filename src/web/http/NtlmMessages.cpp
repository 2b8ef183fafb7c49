#include "web/http/NtlmMessages.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMessageAuthenticationCode>
#include <QtEndian>

namespace ntlm {

namespace {

const QByteArray kSignature("NTLMSSP\0", 8);
constexpr quint16 kAvEnd = 0;
constexpr quint16 kAvTimestamp = 7;
// Seconds between 1601-01-01 and 1970-01-01.
constexpr quint64 kEpochDifference = 11644473600ULL;

QByteArray unicode(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QString fromUnicode(const QByteArray& bytes)
{
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(quint16(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8))));
    return text;
}

QByteArray hmacMd5(const QByteArray& key, const QByteArray& data)
{
    return QMessageAuthenticationCode::hash(data, key, QCryptographicHash::Md5);
}

void appendLe16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendLe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLe64(QByteArray& out, quint64 value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}

quint16 le16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 le32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The payload a length-length-offset field at `at` points to; nothing when it points outside.
std::optional<QByteArray> field(const QByteArray& message, qsizetype at)
{
    if (at + 8 > message.size())
        return std::nullopt;
    const quint16 length = le16(message, at);
    const quint32 offset = le32(message, at + 4);
    if (length == 0)
        return QByteArray();
    if (qint64(offset) + length > message.size())
        return std::nullopt;
    return message.mid(offset, length);
}

} // namespace

QByteArray negotiateMessage()
{
    QByteArray message = kSignature;
    appendLe32(message, 1);
    appendLe32(message, kClientFlags);
    // No domain and no workstation: both fields empty, pointing at the end of the message.
    for (int i = 0; i < 2; ++i) {
        appendLe16(message, 0);
        appendLe16(message, 0);
        appendLe32(message, 32);
    }
    return message;
}

std::optional<Challenge> parseChallenge(const QByteArray& message)
{
    if (message.size() < 32 || !message.startsWith(kSignature) || le32(message, 8) != 2)
        return std::nullopt;
    Challenge challenge;
    const auto name = field(message, 12);
    if (!name)
        return std::nullopt;
    challenge.flags = le32(message, 20);
    challenge.serverChallenge = message.mid(24, 8);
    challenge.targetName = (challenge.flags & Unicode) ? fromUnicode(*name) : QString::fromLatin1(*name);
    if (message.size() >= 48) {
        const auto info = field(message, 40);
        if (!info)
            return std::nullopt;
        challenge.targetInfo = *info;
    }
    // Walk the attribute-value pairs for the server's time; a broken list is refused.
    qsizetype at = 0;
    const QByteArray& info = challenge.targetInfo;
    while (at + 4 <= info.size()) {
        const quint16 id = le16(info, at);
        const quint16 length = le16(info, at + 2);
        if (at + 4 + length > info.size())
            return std::nullopt;
        if (id == kAvEnd)
            break;
        if (id == kAvTimestamp && length == 8)
            challenge.timestamp = qFromLittleEndian<quint64>(info.constData() + at + 4);
        at += 4 + length;
    }
    return challenge;
}

QByteArray ntowfV2(const QString& password, const QString& user, const QString& domain)
{
    const QByteArray ntHash = QCryptographicHash::hash(unicode(password), QCryptographicHash::Md4);
    return hmacMd5(ntHash, unicode(user.toUpper() + domain));
}

V2Response v2Response(const QByteArray& responseKey, const QByteArray& serverChallenge,
                      const QByteArray& clientChallenge, quint64 timestamp, const QByteArray& targetInfo,
                      bool serverGaveTimestamp)
{
    QByteArray blob;
    blob.append(char(1)).append(char(1)).append(6, '\0');
    appendLe64(blob, timestamp);
    blob.append(clientChallenge).append(4, '\0').append(targetInfo).append(4, '\0');
    V2Response response;
    response.ntProof = hmacMd5(responseKey, serverChallenge + blob);
    response.ntResponse = response.ntProof + blob;
    response.lmResponse = serverGaveTimestamp
                              ? QByteArray(24, '\0')
                              : hmacMd5(responseKey, serverChallenge + clientChallenge) + clientChallenge;
    response.sessionBaseKey = hmacMd5(responseKey, response.ntProof);
    return response;
}

QByteArray rc4(const QByteArray& key, const QByteArray& data)
{
    if (key.isEmpty())
        return data;
    quint8 state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = quint8(i);
    quint8 j = 0;
    for (int i = 0; i < 256; ++i) {
        j = quint8(j + state[i] + quint8(key[i % key.size()]));
        std::swap(state[i], state[j]);
    }
    QByteArray out(data.size(), Qt::Uninitialized);
    quint8 i = 0;
    j = 0;
    for (qsizetype n = 0; n < data.size(); ++n) {
        i = quint8(i + 1);
        j = quint8(j + state[i]);
        std::swap(state[i], state[j]);
        out[n] = char(quint8(data[n]) ^ state[quint8(state[i] + state[j])]);
    }
    return out;
}

QByteArray authenticateMessage(const Challenge& challenge, const Answer& answer)
{
    const QByteArray key = ntowfV2(answer.password, answer.user, answer.domain);
    const V2Response response = v2Response(key, challenge.serverChallenge, answer.clientChallenge,
                                           challenge.timestamp.value_or(answer.timestamp), challenge.targetInfo,
                                           challenge.timestamp.has_value());
    const quint32 flags = challenge.flags & kClientFlags;
    QByteArray sessionKey;
    if (flags & KeyExchange)
        sessionKey = rc4(response.sessionBaseKey, answer.randomSessionKey);
    const bool wide = flags & Unicode;
    const auto text = [wide](const QString& value) { return wide ? unicode(value) : value.toLatin1(); };
    const QByteArray payloads[] = {response.lmResponse, response.ntResponse, text(answer.domain),
                                   text(answer.user),   text(answer.workstation), sessionKey};
    constexpr quint32 kHeaderSize = 64;
    QByteArray message = kSignature;
    appendLe32(message, 3);
    quint32 offset = kHeaderSize;
    for (const QByteArray& payload : payloads) {
        appendLe16(message, quint16(payload.size()));
        appendLe16(message, quint16(payload.size()));
        appendLe32(message, offset);
        offset += quint32(payload.size());
    }
    appendLe32(message, flags);
    for (const QByteArray& payload : payloads)
        message.append(payload);
    return message;
}

quint64 currentTimestamp()
{
    const quint64 msecs = quint64(QDateTime::currentMSecsSinceEpoch());
    return (msecs + kEpochDifference * 1000) * 10000;
}

} // namespace ntlm
