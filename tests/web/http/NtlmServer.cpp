#include "NtlmServer.h"

#include "web/http/NtlmMessages.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QtEndian>

using Reply = LoopbackServer::Reply;
using Request = LoopbackServer::Request;

QByteArray hexBytes(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray utf16Bytes(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    return bytes;
}

QByteArray challengeMessage(const QByteArray& serverChallenge, const QByteArray& targetInfo,
                            quint32 flags)
{
    const QByteArray target = utf16Bytes(QStringLiteral("FILMS"));
    QByteArray message("NTLMSSP\0", 8);
    char word[4];
    const auto le32 = [&](quint32 value) {
        qToLittleEndian(value, word);
        message.append(word, 4);
    };
    const auto le16 = [&](quint16 value) {
        qToLittleEndian(value, word);
        message.append(word, 2);
    };
    le32(2);
    le16(quint16(target.size()));
    le16(quint16(target.size()));
    le32(48);
    le32(flags);
    message.append(serverChallenge);
    message.append(8, '\0');
    le16(quint16(targetInfo.size()));
    le16(quint16(targetInfo.size()));
    le32(quint32(48 + target.size()));
    return message + target + targetInfo;
}

std::optional<Authenticate> readAuthenticate(const QByteArray& message)
{
    if (message.size() < 64 || !message.startsWith(QByteArray("NTLMSSP\0", 8))
        || qFromLittleEndian<quint32>(message.constData() + 8) != 3)
        return std::nullopt;
    const auto field = [&](int at) {
        const quint16 length = qFromLittleEndian<quint16>(message.constData() + at);
        const quint32 offset = qFromLittleEndian<quint32>(message.constData() + at + 4);
        return message.mid(offset, length);
    };
    const auto text = [](const QByteArray& bytes) {
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    };
    Authenticate answer;
    answer.lm = field(12);
    answer.nt = field(20);
    answer.domain = text(field(28));
    answer.user = text(field(36));
    answer.sessionKey = field(52);
    answer.flags = qFromLittleEndian<quint32>(message.constData() + 60);
    return answer;
}


Reply NtlmGuard::operator()(const Request& request)
{
    QMutexLocker lock(&mutex_);
    const QByteArray given = request.headers.value(proxy_ ? "proxy-authorization" : "authorization");
    if (given.startsWith("NTLM ")) {
        const QByteArray message = QByteArray::fromBase64(given.mid(5));
        const quint32 type = message.size() >= 12 ? qFromLittleEndian<quint32>(message.constData() + 8) : 0;
        if (type == 1) {
            challengedConnection_ = request.connection;
            const QByteArray info = targetInfo();
            return refuse("NTLM " + challengeMessage(serverChallenge_, info).toBase64());
        }
        if (type == 3 && request.connection == challengedConnection_ && accepts(message))
            return LoopbackServer::answer("200 OK", "let in");
        if (type == 3)
            ++refusedAnswers_;
    }
    return refuse("NTLM");
}

int NtlmGuard::refusedAnswers() const
{
    QMutexLocker lock(&mutex_);
    return refusedAnswers_;
}

QList<QString> NtlmGuard::domainsSeen() const
{
    QMutexLocker lock(&mutex_);
    return domains_;
}

QByteArray NtlmGuard::targetInfo() const
{
    QByteArray info = hexBytes("02 00 0a 00") + utf16Bytes(QStringLiteral("FILMS"));
    if (timestamp_)
        info += hexBytes("07 00 08 00 00 40 8c 3f 71 a0 dc 01");
    return info + hexBytes("00 00 00 00");
}

bool NtlmGuard::accepts(const QByteArray& message)
{
    const auto answer = readAuthenticate(message);
    if (!answer || answer->nt.size() < 48)
        return false;
    domains_.append(answer->domain);
    const QByteArray key = ntlm::ntowfV2(QStringLiteral("secret"), answer->user, answer->domain);
    const QByteArray blob = answer->nt.mid(16);
    const QByteArray proof = QMessageAuthenticationCode::hash(serverChallenge_ + blob, key,
                                                              QCryptographicHash::Md5);
    const bool lmAsExpected = timestamp_ ? answer->lm == QByteArray(24, '\0') : answer->lm.size() == 24;
    return answer->user == QLatin1String("writer") && answer->domain == QLatin1String("FILMS")
           && proof == answer->nt.left(16) && blob.contains(targetInfo()) && lmAsExpected
           && answer->sessionKey.size() == 16;
}

Reply NtlmGuard::refuse(const QByteArray& challenge) const
{
    return LoopbackServer::answer(proxy_ ? "407 Proxy Authentication Required" : "401 Unauthorized", "keep out",
                                  (proxy_ ? "Proxy-Authenticate: " : "WWW-Authenticate: ") + challenge + "\r\n");
}
