#include "Fetch.h"
#include "KerberosRealm.h"
#include "web/http/GssNegotiation.h"
#include "web/http/HTTPRequest.h"

#include <gtest/gtest.h>

namespace {

class NegotiateExchange : public FreshSession
{
};

} // namespace

TEST_F(NegotiateExchange, ARealKerberosRealmLetsTheTicketInAndRefusesWithoutOne)
{
    if (const QString missing = KerberosRealm::missingPackage(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    KerberosRealm realm;
    ASSERT_TRUE(realm.ready()) << realm.failure().toStdString();
    const QUrl page = realm.url(QStringLiteral("/page.txt"));

    const struct {
        const char* name;
        bool ticket;
        int code;
        int retries;
    } rows[] = {
        {"with the user's ticket", true, 0, 1},
        {"again, from the cached service ticket", true, 0, 1},
        {"with an empty ticket cache", false, 3, 1},
        {"with the ticket back", true, 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        realm.useTicket(row.ticket);
        auto request = fetch(page);
        EXPECT_EQ(errorCode(*request), row.code)
            << (request->error() ? request->error()->description.toStdString() : "");
        EXPECT_EQ(request->authenticationScheme(), QStringLiteral("Negotiate"));
        EXPECT_EQ(request->authenticationRetryCount(), row.retries);
        if (row.code == 0) {
            EXPECT_EQ(request->responseStatusCode(), 200);
            EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
        } else {
            EXPECT_EQ(request->error(), HTTPError::authenticationNeeded());
        }
    }
}

TEST_F(NegotiateExchange, TheSameServerStillTakesBasicWhereItAsksForIt)
{
    if (const QString missing = KerberosRealm::missingPackage(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    KerberosRealm realm;
    ASSERT_TRUE(realm.ready()) << realm.failure().toStdString();
    for (const auto& row : {std::pair {QStringLiteral("secret"), 0}, std::pair {QStringLiteral("wrong"), 3}}) {
        const QString password = row.first;
        const int code = row.second;
        SCOPED_TRACE(password.toStdString());
        SetUp();
        auto request = fetch(realm.url(QStringLiteral("/basic/page.txt")), [&](HTTPRequest& r) {
            r.setShouldPresentCredentialsBeforeChallenge(false);
            r.setUsername(QStringLiteral("writer"));
            r.setPassword(password);
        });
        EXPECT_EQ(errorCode(*request), code);
        EXPECT_EQ(request->authenticationScheme(), QStringLiteral("Basic"));
        if (code == 0) {
            EXPECT_EQ(request->responseString(), QStringLiteral("let in"));
        }
    }
}

TEST_F(NegotiateExchange, AServiceTheRealmDoesNotKnowGivesNoTokenAndSaysWhy)
{
    if (const QString missing = KerberosRealm::missingPackage(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    KerberosRealm realm;
    ASSERT_TRUE(realm.ready()) << realm.failure().toStdString();
    const struct {
        const char* name;
        QString host;
        bool ticket;
        bool token;
    } rows[] = {
        {"known service", QStringLiteral("localhost"), true, true},
        {"unknown service", QStringLiteral("elsewhere.vantora.test"), true, false},
        {"no ticket", QStringLiteral("localhost"), false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        realm.useTicket(row.ticket);
        QString failure;
        const auto token = gss::initialToken(row.host, &failure);
        EXPECT_EQ(token.has_value(), row.token);
        if (token) {
            EXPECT_GT(token->size(), 100); // a whole ticket travels in it
        } else {
            EXPECT_FALSE(failure.isEmpty());
        }
    }
}
