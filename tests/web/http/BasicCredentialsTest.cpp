#include "Fetch.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

namespace {

using Request = LoopbackServer::Request;

class BasicCredentials : public FreshSession
{
};

} // namespace

// Basic credentials go ahead of the challenge only when the request names no domain (a domain
// means a scheme that answers a challenge), and a name or password beyond ASCII goes out as its
// UTF-8 bytes.
TEST_F(BasicCredentials, GoAheadOfTheChallengeWithoutADomainAndAlwaysAsUTF8)
{
    const struct {
        const char* name;
        QString user;
        QString password;
        QString domain;
        QByteArray expected; // the user and password as the server must read them
        bool ahead;          // the first request already carries them
    } rows[] = {
        {"plain letters", QStringLiteral("writer"), QStringLiteral("secret"), QString(), "writer:secret", true},
        {"accented password", QStringLiteral("writer"), QStringLiteral("s\u00e9cr\u00e8te"), QString(),
         "writer:s\xc3\xa9" "cr\xc3\xa8te", true},
        {"password beyond Latin-1", QStringLiteral("writer"), QStringLiteral("\u263ascene\u00e9"), QString(),
         "writer:\xe2\x98\xba" "scene\xc3\xa9", true},
        {"accented user name", QStringLiteral("\u00e9crivain"), QStringLiteral("secret"), QString(),
         "\xc3\xa9" "crivain:secret", true},
        {"with a domain", QStringLiteral("writer"), QStringLiteral("secret"), QStringLiteral("FILMS"), "writer:secret",
         false},
        {"accented password with a domain", QStringLiteral("writer"), QStringLiteral("s\u00e9cret"),
         QStringLiteral("FILMS"), "writer:s\xc3\xa9" "cret", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        const QByteArray expected = "Basic " + row.expected.toBase64();
        LoopbackServer server([&](const Request& request) {
            if (request.headers.value("authorization") == expected)
                return LoopbackServer::answer("200 OK", "let in");
            return LoopbackServer::answer("401 Unauthorized", "keep out",
                                          "WWW-Authenticate: Basic realm=\"Films\"\r\n");
        });
        auto request = fetch(server.url(QStringLiteral("/pages")), [&](HTTPRequest& r) {
            r.setUsername(row.user);
            r.setPassword(row.password);
            r.setDomain(row.domain);
        });
        // Every row is tried, whatever an earlier one did.
        EXPECT_FALSE(request->error());
        EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
        const auto requests = server.requests();
        EXPECT_EQ(requests.size(), row.ahead ? 1 : 2);
        EXPECT_EQ(requests.value(0).headers.value("authorization"), row.ahead ? expected : QByteArray());
        EXPECT_EQ(requests.value(requests.size() - 1).headers.value("authorization"), expected);
    }
}
