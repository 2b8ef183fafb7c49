#include "Fetch.h"
#include "LoopbackServer.h"
#include "OwnTemporaryFolder.h"
#include "support/FileBytes.h"
#include "web/http/FormDataRequest.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Request = LoopbackServer::Request;

class RedirectedBody : public FreshSession
{
};

// What a server saw of one request: its method and whether it carried the body.
struct Seen {
    QByteArray method;
    bool body = false;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out)
{
    *out << seen.method.constData() << (seen.body ? " with the body" : " without a body");
}

const Seen kPost {"POST", true};
const Seen kGet {"GET", false};

// The requests the server saw, each checked: a request carries the body whole (with its
// length and type) or nothing of it.
QList<Seen> seenBy(const LoopbackServer& server, const QByteArray& body)
{
    QList<Seen> seen;
    for (const Request& request : server.requests()) {
        const bool carries = !request.body.isEmpty();
        EXPECT_EQ(request.body, carries ? body : QByteArray()) << request.requestLine.constData();
        EXPECT_EQ(request.headers.contains("content-length"), carries) << request.requestLine.constData();
        EXPECT_EQ(request.headers.contains("content-type"), carries) << request.requestLine.constData();
        seen.append({request.requestLine.split(' ').value(0), carries});
    }
    return seen;
}

// Answers "/start" with the redirect under test, "/hop" with a 307 to "/next" and "/next" with
// the page.
LoopbackServer::Handler redirecting(const QByteArray& status, const QByteArray& location)
{
    return [status, location](const Request& request) {
        if (request.requestLine.contains(" /start "))
            return LoopbackServer::answer(status, "moved", "Location: " + location + "\r\n");
        if (request.requestLine.contains(" /hop "))
            return LoopbackServer::answer("307 Temporary Redirect", "moved", "Location: /next\r\n");
        return LoopbackServer::answer("200 OK", "arrived");
    };
}

} // namespace

// A body goes out once, whole, with the first request. A redirect that turns the request into
// a GET (301, 302 and always 303) drops the body for good, a 307 to the same server sends it
// again whole, and no redirect carries it to another server.
TEST_F(RedirectedBody, IsSentAgainOnlyToTheSameServerAndOnlyWhenTheMethodStays)
{
    QTemporaryDir folder;
    const QString story = folder.filePath(QStringLiteral("harbour.vtrsf"));
    ASSERT_TRUE(FileBytes::write(story, QByteArray("INT. HARBOUR OFFICE - NIGHT. ").repeated(3000)));
    const struct {
        const char* name;
        std::function<std::shared_ptr<HTTPRequest>(const QUrl&)> make;
    } bodies[] = {
        {"a multipart form with a file",
         [&story](const QUrl& url) {
             auto form = FormDataRequest::requestWithURL(url);
             form->setPostFormat(FormDataRequest::MultipartFormData);
             form->setPostValue(QStringLiteral("42"), QStringLiteral("serialNumber"));
             form->setPostValue(QStringLiteral("secret"), QStringLiteral("password"));
             form->setFile(story, QStringLiteral("file"));
             return std::shared_ptr<HTTPRequest>(form);
         }},
        {"a URL-encoded form",
         [](const QUrl& url) {
             auto form = FormDataRequest::requestWithURL(url);
             form->setPostValue(QStringLiteral("42"), QStringLiteral("serialNumber"));
             form->setPostValue(QStringLiteral("secret"), QStringLiteral("password"));
             return std::shared_ptr<HTTPRequest>(form);
         }},
        {"a body streamed from a file",
         [&story](const QUrl& url) {
             auto request = HTTPRequest::requestWithURL(url);
             request->setShouldStreamPostDataFromDisk(true);
             request->addRequestHeader(QStringLiteral("Content-Type"), QStringLiteral("application/octet-stream"));
             request->appendPostDataFromFile(story);
             return request;
         }},
        {"a body file of the caller's own",
         [&story](const QUrl& url) {
             auto request = HTTPRequest::requestWithURL(url);
             request->setShouldStreamPostDataFromDisk(true);
             request->setPostBodyFilePath(story);
             request->addRequestHeader(QStringLiteral("Content-Type"), QStringLiteral("application/octet-stream"));
             return request;
         }},
    };
    const QByteArray here = "/next";
    const QByteArray away = "@away/next";
    const struct {
        const char* name;
        QByteArray status;
        QByteArray location; // "@away" stands for the other server
        bool rfc2616;
        QList<Seen> origin;
        QList<Seen> elsewhere;
        int finalStatus;
    } redirects[] = {
        {"301 on the same server", "301 Moved Permanently", here, false, {kPost, kGet}, {}, 200},
        {"302 on the same server", "302 Found", here, false, {kPost, kGet}, {}, 200},
        {"303 on the same server", "303 See Other", here, false, {kPost, kGet}, {}, 200},
        {"303 in RFC 2616 mode", "303 See Other", here, true, {kPost, kGet}, {}, 200},
        {"307 on the same server", "307 Temporary Redirect", here, false, {kPost, kPost}, {}, 200},
        {"302 in RFC 2616 mode on the same server", "302 Found", here, true, {kPost, kPost}, {}, 200},
        {"301 to another server", "301 Moved Permanently", away, false, {kPost}, {kGet}, 200},
        {"302 to another server", "302 Found", away, false, {kPost}, {kGet}, 200},
        {"303 to another server", "303 See Other", away, false, {kPost}, {kGet}, 200},
        {"302 then 307, both on the same server", "302 Found", "/hop", false, {kPost, kGet, kGet}, {}, 200},
        {"302 to another server, then 307 there", "302 Found", "@away/hop", false, {kPost}, {kGet, kGet}, 200},
        // The body never leaves for another server: the redirect's answer is the request's.
        {"307 to another server", "307 Temporary Redirect", away, false, {kPost}, {}, 307},
        {"302 in RFC 2616 mode to another server", "302 Found", away, true, {kPost}, {}, 302},
    };
    for (const auto& body : bodies) {
        for (const auto& redirect : redirects) {
            SCOPED_TRACE(std::string(body.name) + ", " + redirect.name);
            OwnTemporaryFolder temporary;
            LoopbackServer elsewhere(redirecting("200 OK", ""));
            QByteArray location = redirect.location;
            if (location.startsWith("@away"))
                location = elsewhere.url(QString::fromLatin1(location.mid(5))).toEncoded();
            LoopbackServer origin(redirecting(redirect.status, location));
            auto request = body.make(origin.url(QStringLiteral("/start")));
            request->setTimeOutSeconds(10);
            request->setShouldUseRFC2616RedirectBehaviour(redirect.rfc2616);
            request->startSynchronous();
            // Every row is tried, whatever an earlier one did.
            if (request->error()) {
                ADD_FAILURE() << request->error()->description.toStdString();
                continue;
            }
            EXPECT_EQ(request->responseStatusCode(), redirect.finalStatus);
            EXPECT_EQ(request->responseString(),
                      redirect.finalStatus == 200 ? QStringLiteral("arrived") : QStringLiteral("moved"));
            const QByteArray sent = origin.requests().value(0).body;
            EXPECT_FALSE(sent.isEmpty());
            EXPECT_EQ(origin.requests().first().headers.value("content-length").toLongLong(), sent.size());
            EXPECT_EQ(seenBy(origin, sent), redirect.origin);
            EXPECT_EQ(seenBy(elsewhere, sent), redirect.elsewhere);
            // The body file the request wrote for itself is gone once it has ended; the caller's
            // own file stays.
            EXPECT_EQ(temporary.entries(), QStringList());
            EXPECT_TRUE(QFile::exists(story));
        }
    }
}
