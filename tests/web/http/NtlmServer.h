#pragma once

#include "LoopbackServer.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <optional>

// The server's half of an NTLM exchange, for the tests and the benchmark.

QByteArray hexBytes(const char* text);
QByteArray utf16Bytes(const QString& text);

// A challenge message as a server writes it, with the target information given.
QByteArray challengeMessage(const QByteArray& serverChallenge, const QByteArray& targetInfo,
                            quint32 flags = 0xe28a8235);

// The fields of an authenticate message, as the test server reads them.
struct Authenticate {
    QByteArray lm;
    QByteArray nt;
    QString domain;
    QString user;
    QByteArray sessionKey;
    quint32 flags = 0;
};
std::optional<Authenticate> readAuthenticate(const QByteArray& message);

// A server (401) or proxy (407) that lets user "writer" of domain "FILMS" with password
// "secret" in only through a whole NTLM exchange on one connection: the negotiate message, its
// challenge, and an answer whose proof it checks. Anything else gets a bare NTLM challenge.
class NtlmGuard
{
public:
    NtlmGuard(bool proxy, bool timestamp) : proxy_(proxy), timestamp_(timestamp) {}

    LoopbackServer::Reply operator()(const LoopbackServer::Request& request);

    int refusedAnswers() const;
    QList<QString> domainsSeen() const;

private:
    QByteArray targetInfo() const;
    bool accepts(const QByteArray& message);
    LoopbackServer::Reply refuse(const QByteArray& challenge) const;

    const bool proxy_;
    const bool timestamp_;
    const QByteArray serverChallenge_ = hexBytes("5a 17 c3 09 e2 44 b8 61");
    mutable QMutex mutex_;
    int challengedConnection_ = -1;
    int refusedAnswers_ = 0;
    QList<QString> domains_;
};
