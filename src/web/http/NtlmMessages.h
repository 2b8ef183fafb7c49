#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The three messages of an NTLM exchange, version 2 responses only. The client opens with a
// negotiate message, the server answers with a challenge (its 8-byte nonce and a block of
// target information), and the client proves the password with an authenticate message that
// carries the NTLMv2 response and an RC4-wrapped session key.
namespace ntlm {

enum Flag : quint32 {
    Unicode = 0x00000001,
    Oem = 0x00000002,
    RequestTarget = 0x00000004,
    NegotiateNtlm = 0x00000200,
    AlwaysSign = 0x00008000,
    ExtendedSessionSecurity = 0x00080000,
    TargetInfo = 0x00800000,
    Negotiate128 = 0x20000000,
    KeyExchange = 0x40000000,
    Negotiate56 = 0x80000000,
};

// What the client asks for in its negotiate message.
constexpr quint32 kClientFlags
    = Unicode | Oem | RequestTarget | NegotiateNtlm | AlwaysSign | ExtendedSessionSecurity | Negotiate128
      | KeyExchange | Negotiate56;

struct Challenge {
    quint32 flags = 0;
    QByteArray serverChallenge; // 8 bytes
    QString targetName;
    QByteArray targetInfo; // the attribute-value pairs, as sent
    // The server's time from the target information (100 ns ticks since 1601), when it gave one.
    std::optional<quint64> timestamp;
};

// What the client supplies to answer a challenge; the random parts are given so that the
// messages can be checked against known values.
struct Answer {
    QString user;
    QString domain;
    QString password;
    QString workstation;
    QByteArray clientChallenge;  // 8 bytes
    quint64 timestamp = 0;       // used when the challenge carries none
    QByteArray randomSessionKey; // 16 bytes, sent RC4-wrapped when key exchange was agreed
};

struct V2Response {
    QByteArray ntProof;        // the first 16 bytes of the NT response
    QByteArray ntResponse;     // ntProof followed by the client's blob
    QByteArray lmResponse;     // 24 bytes
    QByteArray sessionBaseKey; // 16 bytes
};

QByteArray negotiateMessage();
// Nothing when the bytes are not a well-formed challenge message.
std::optional<Challenge> parseChallenge(const QByteArray& message);

// The NTLMv2 one-way function of the password, the user and the domain.
QByteArray ntowfV2(const QString& password, const QString& user, const QString& domain);
// The responses for the key from ntowfV2. A timestamp from the server means no LM response.
V2Response v2Response(const QByteArray& responseKey, const QByteArray& serverChallenge,
                      const QByteArray& clientChallenge, quint64 timestamp, const QByteArray& targetInfo,
                      bool serverGaveTimestamp);
QByteArray rc4(const QByteArray& key, const QByteArray& data);
QByteArray authenticateMessage(const Challenge& challenge, const Answer& answer);

// The current time in the ticks the protocol counts (100 ns since 1601-01-01 UTC).
quint64 currentTimestamp();

} // namespace ntlm
