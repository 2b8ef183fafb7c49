#pragma once

#include "web/http/CredentialStores.h"
#include "web/http/HttpMessage.h"
#include "web/http/HttpResponseParser.h"

#include <QMap>
#include <QString>

#include <memory>
#include <optional>

// The answer to one authentication challenge of a server (401) or a proxy (407): the scheme
// and realm it asked for, and the header that presents credentials. Basic, Digest (MD5,
// MD5-sess, SHA-256; qop "auth"), NTLM (version 2) and, for servers, Negotiate (the user's
// Kerberos ticket, no password) are answered; of several challenges the strongest is taken,
// Negotiate only when it stands alone. NTLM proves the password over one connection in two legs: the first
// application sends the negotiate message, the one after the server's challenge the answer.
class HttpAuthentication
{
public:
    // The strongest challenge of the answer that can be met; none when there is none.
    static std::shared_ptr<HttpAuthentication> fromResponse(const HttpResponseHead& head, bool proxy);

    const QString& scheme() const { return scheme_; }
    std::optional<QString> realm() const;
    bool requiresUserNameAndPassword() const { return !isNegotiate(); }
    bool requiresAccountDomain() const { return isNtlm(); }
    bool isNtlm() const { return scheme_ == QLatin1String("NTLM"); }
    bool isNegotiate() const { return scheme_ == QLatin1String("Negotiate"); }

    // Whether the object still holds for a new challenge: one of the same scheme and realm after
    // credentials were applied means they were refused, unless it only says its nonce went stale.
    bool isValidFor(const HttpResponseHead& head, bool proxy);
    // Puts the credentials into the message's Authorization (or Proxy-Authorization) field.
    bool apply(HttpMessage& message, const Credentials& credentials, const QString& method, bool proxy);

private:
    using Parameters = QMap<QString, QString>;
    static std::optional<std::pair<QString, Parameters>> parseChallenge(const QString& value);
    bool applyNtlm(HttpMessage& message, const Credentials& credentials, const QString& field);

    QString scheme_;
    Parameters parameters_;
    int nonceCount_ = 0;
    int appliedCount_ = 0;
};
