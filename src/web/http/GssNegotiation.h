#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Negotiate (SPNEGO with Kerberos) through the system's GSS-API: the token that presents the
// user's Kerberos ticket for the HTTP service of a host, taken from the user's ticket cache.
namespace gss {

// The token for the service "HTTP@host"; nothing (and the library's reason in failure) when
// there is no ticket or the realm does not know the service.
std::optional<QByteArray> initialToken(const QString& host, QString* failure = nullptr);

} // namespace gss
