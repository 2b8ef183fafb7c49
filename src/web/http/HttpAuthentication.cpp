#include "web/http/HttpAuthentication.h"

#include "web/http/GssNegotiation.h"
#include "web/http/NtlmMessages.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

QString hashHex(const QString& algorithm, const QByteArray& data)
{
    const auto method = algorithm.startsWith(QLatin1String("SHA-256"), Qt::CaseInsensitive)
                            ? QCryptographicHash::Sha256
                            : QCryptographicHash::Md5;
    return QString::fromLatin1(QCryptographicHash::hash(data, method).toHex());
}

QString quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

std::optional<std::pair<QString, HttpAuthentication::Parameters>> HttpAuthentication::parseChallenge(
    const QString& value)
{
    const QString text = value.trimmed();
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QString scheme = space < 0 ? text : text.left(space);
    if (scheme.isEmpty())
        return std::nullopt;
    Parameters parameters;
    qsizetype at = space < 0 ? text.size() : space + 1;
    // A scheme followed by one base64 token (NTLM, Negotiate) rather than name=value pairs.
    static const QRegularExpression token(QStringLiteral("^[A-Za-z0-9+/._~-]+=*$"));
    if (const QString rest = text.mid(at).trimmed(); token.match(rest).hasMatch()) {
        parameters.insert(QStringLiteral("token"), rest);
        return std::make_pair(scheme, parameters);
    }
    while (at < text.size()) {
        while (at < text.size() && (text[at] == QLatin1Char(' ') || text[at] == QLatin1Char(',')))
            ++at;
        const qsizetype equals = text.indexOf(QLatin1Char('='), at);
        if (equals < 0)
            break;
        const QString key = text.mid(at, equals - at).trimmed().toLower();
        at = equals + 1;
        QString parameter;
        if (at < text.size() && text[at] == QLatin1Char('"')) {
            ++at;
            while (at < text.size() && text[at] != QLatin1Char('"')) {
                if (text[at] == QLatin1Char('\\') && at + 1 < text.size())
                    ++at;
                parameter += text[at++];
            }
            ++at;
        } else {
            const qsizetype comma = text.indexOf(QLatin1Char(','), at);
            parameter = text.mid(at, comma < 0 ? -1 : comma - at).trimmed();
            at = comma < 0 ? text.size() : comma;
        }
        parameters.insert(key, parameter);
    }
    return std::make_pair(scheme, parameters);
}

std::shared_ptr<HttpAuthentication> HttpAuthentication::fromResponse(const HttpResponseHead& head, bool proxy)
{
    // Schemes this layer answers, weakest first. Negotiate is taken only when nothing else is
    // offered: a scheme that proves the caller's password is met whether or not a ticket exists.
    static const QStringList kRanked {QStringLiteral("Negotiate"), QStringLiteral("Basic"), QStringLiteral("Digest"),
                                      QStringLiteral("NTLM")};
    std::shared_ptr<HttpAuthentication> best;
    qsizetype bestRank = -1;
    const QString field = proxy ? QStringLiteral("Proxy-Authenticate") : QStringLiteral("WWW-Authenticate");
    for (const QString& value : head.fieldValues(field)) {
        const auto challenge = parseChallenge(value);
        if (!challenge)
            continue;
        qsizetype rank = kRanked.size() - 1;
        while (rank >= 0 && kRanked[rank].compare(challenge->first, Qt::CaseInsensitive) != 0)
            --rank;
        if (rank < 0 || rank <= bestRank)
            continue;
        // The ticket names the server's own service: a proxy's Negotiate is not answered.
        if (proxy && kRanked[rank] == QLatin1String("Negotiate"))
            continue;
        if (kRanked[rank] == QLatin1String("Digest")) {
            const QString algorithm = challenge->second.value(QStringLiteral("algorithm"), QStringLiteral("MD5"));
            const bool known = algorithm.compare(QLatin1String("MD5"), Qt::CaseInsensitive) == 0
                               || algorithm.compare(QLatin1String("MD5-sess"), Qt::CaseInsensitive) == 0
                               || algorithm.compare(QLatin1String("SHA-256"), Qt::CaseInsensitive) == 0;
            if (!known || !challenge->second.contains(QStringLiteral("nonce")))
                continue;
        }
        best = std::make_shared<HttpAuthentication>();
        best->scheme_ = kRanked[rank];
        best->parameters_ = challenge->second;
        bestRank = rank;
    }
    return best;
}

std::optional<QString> HttpAuthentication::realm() const
{
    if (!parameters_.contains(QStringLiteral("realm")))
        return std::nullopt;
    return parameters_.value(QStringLiteral("realm"));
}

bool HttpAuthentication::isValidFor(const HttpResponseHead& head, bool proxy)
{
    const auto fresh = fromResponse(head, proxy);
    if (!fresh || fresh->scheme_ != scheme_)
        return appliedCount_ == 0;
    if (isNtlm()) {
        // The server's challenge continues the exchange; a bare one after the answer is a
        // refusal, which the request's retry limit settles.
        parameters_ = fresh->parameters_;
        return true;
    }
    const bool stale =
        fresh->parameters_.value(QStringLiteral("stale")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    if (appliedCount_ > 0 && fresh->realm() == realm() && !stale)
        return false;
    parameters_ = fresh->parameters_;
    nonceCount_ = 0;
    return true;
}

bool HttpAuthentication::apply(HttpMessage& message, const Credentials& credentials, const QString& method,
                               bool proxy)
{
    const QString field = proxy ? QStringLiteral("Proxy-Authorization") : QStringLiteral("Authorization");
    if (isNegotiate()) {
        const auto token = gss::initialToken(message.url().host());
        if (!token)
            return false;
        ++appliedCount_;
        message.setHeaderField(field, QStringLiteral("Negotiate ") + QString::fromLatin1(token->toBase64()));
        return true;
    }
    if (credentials.username.isEmpty() && credentials.password.isEmpty())
        return false;
    ++appliedCount_;
    if (isNtlm())
        return applyNtlm(message, credentials, field);
    if (scheme_ == QLatin1String("Basic")) {
        const QByteArray pair = (credentials.username + QLatin1Char(':') + credentials.password).toUtf8();
        message.setHeaderField(field, QStringLiteral("Basic ") + QString::fromLatin1(pair.toBase64()));
        return true;
    }
    const QString realmText = parameters_.value(QStringLiteral("realm"));
    const QString nonce = parameters_.value(QStringLiteral("nonce"));
    const QString algorithm = parameters_.value(QStringLiteral("algorithm"), QStringLiteral("MD5"));
    const bool offersAuth = parameters_.value(QStringLiteral("qop")).split(QLatin1Char(','))
                                .contains(QStringLiteral("auth"), Qt::CaseInsensitive);
    QString uri = message.url().path(QUrl::FullyEncoded);
    if (uri.isEmpty())
        uri = QStringLiteral("/");
    if (message.url().hasQuery())
        uri += QLatin1Char('?') + message.url().query(QUrl::FullyEncoded);
    const QString cnonce = QString::number(QRandomGenerator::global()->generate64(), 16);
    const QString count = QStringLiteral("%1").arg(++nonceCount_, 8, 16, QLatin1Char('0'));
    QString ha1 = hashHex(algorithm, (credentials.username + QLatin1Char(':') + realmText + QLatin1Char(':')
                                      + credentials.password)
                                         .toUtf8());
    if (algorithm.endsWith(QLatin1String("-sess"), Qt::CaseInsensitive))
        ha1 = hashHex(algorithm, (ha1 + QLatin1Char(':') + nonce + QLatin1Char(':') + cnonce).toUtf8());
    const QString ha2 = hashHex(algorithm, (method + QLatin1Char(':') + uri).toUtf8());
    const QString response =
        offersAuth ? hashHex(algorithm, QStringList {ha1, nonce, count, cnonce, QStringLiteral("auth"), ha2}
                                            .join(QLatin1Char(':'))
                                            .toUtf8())
                   : hashHex(algorithm, QStringList {ha1, nonce, ha2}.join(QLatin1Char(':')).toUtf8());
    QStringList parts {
        QStringLiteral("username=") + quoted(credentials.username), QStringLiteral("realm=") + quoted(realmText),
        QStringLiteral("nonce=") + quoted(nonce), QStringLiteral("uri=") + quoted(uri),
        QStringLiteral("algorithm=") + algorithm, QStringLiteral("response=") + quoted(response)};
    if (offersAuth)
        parts << QStringLiteral("qop=auth") << QStringLiteral("nc=") + count
              << QStringLiteral("cnonce=") + quoted(cnonce);
    if (parameters_.contains(QStringLiteral("opaque")))
        parts << QStringLiteral("opaque=") + quoted(parameters_.value(QStringLiteral("opaque")));
    message.setHeaderField(field, QStringLiteral("Digest ") + parts.join(QStringLiteral(", ")));
    return true;
}

bool HttpAuthentication::applyNtlm(HttpMessage& message, const Credentials& credentials, const QString& field)
{
    const QString token = parameters_.take(QStringLiteral("token"));
    QByteArray sent;
    if (token.isEmpty()) {
        sent = ntlm::negotiateMessage();
    } else {
        const auto challenge = ntlm::parseChallenge(QByteArray::fromBase64(token.toLatin1()));
        if (!challenge)
            return false;
        ntlm::Answer answer;
        answer.user = credentials.username;
        answer.password = credentials.password;
        answer.domain = credentials.domain.value_or(QString());
        auto* random = QRandomGenerator::system();
        answer.clientChallenge.resize(8);
        random->fillRange(reinterpret_cast<quint32*>(answer.clientChallenge.data()), 2);
        answer.randomSessionKey.resize(16);
        random->fillRange(reinterpret_cast<quint32*>(answer.randomSessionKey.data()), 4);
        answer.timestamp = ntlm::currentTimestamp();
        sent = ntlm::authenticateMessage(*challenge, answer);
    }
    message.setHeaderField(field, QStringLiteral("NTLM ") + QString::fromLatin1(sent.toBase64()));
    return true;
}
