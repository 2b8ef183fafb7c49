#include "web/PhoneQueue.h"

#include "platform/FakePlatform.h"
#include "platform/QtPlatform.h"
#include "web/QueueTextEscaping.h"
#include "web/SOAPRequest.h"
#include "web/WebEndpoints.h"
#include "web/http/LoopbackServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>


namespace {

class PhoneQueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::install(home_.path());
        Platform::setUrlLoader(std::make_unique<QtUrlLoader>());
        Platform::userDefaults().setString(QString::fromLatin1(WebEndpoints::kWebServices.settingKey),
                                           server_.base());
    }
    void TearDown() override
    {
        Platform::setUrlLoader(nullptr);
        Platform::setUserDefaults(nullptr);
    }

    QTemporaryDir home_;
    PageServer server_;
};

} // namespace

TEST_F(PhoneQueueTest, TheUploadPostsTheAccountAndTheEscapedStoryInAnEnvelope)
{
    server_.answer(PhoneQueue::kUploadPath, "200 OK", "<UploadForIPhoneResult>FILEUPLOADED</UploadForIPhoneResult>");
    const QString text = QStringLiteral("<SCREENPLAY><TITLE>Café & Co</TITLE></SCREENPLAY>");
    const PhoneQueue::UploadResult result = PhoneQueue::upload(QStringLiteral("12<34>&5"), text);
    EXPECT_EQ(result.outcome, PhoneQueue::UploadResult::Uploaded);

    const QList<LoopbackServer::Request> seen = server_.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].requestLine, QByteArray("POST ") + PhoneQueue::kUploadPath + " HTTP/1.1");
    // The fields of the cloud's SOAP requests, in their order: the web-service host, wherever
    // the address points, and the length in bytes.
    EXPECT_EQ(seen[0].headers.value("host"), vtSOAPRequest::webServiceHostName().toUtf8());
    EXPECT_EQ(seen[0].headers.value("content-type"), "application/soap+xml; charset=utf-8");
    EXPECT_EQ(seen[0].headers.value("content-length").toLongLong(), seen[0].body.size());
    const QByteArray head = seen[0].head.toLower();
    EXPECT_LT(head.indexOf("\nhost:"), head.indexOf("\ncontent-type:"));
    EXPECT_LT(head.indexOf("\ncontent-type:"), head.indexOf("\ncontent-length:"));
    const QString body = QString::fromUtf8(seen[0].body);
    EXPECT_TRUE(body.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope")));
    // The account number first, escaped for XML; then the story text in the queue's escaping.
    const qsizetype account = body.indexOf(QStringLiteral("<serialnumber>12&lt;34&gt;&amp;5</serialnumber>"));
    const qsizetype story =
        body.indexOf(QStringLiteral("<screenplay>%1</screenplay>").arg(QueueTextEscaping::encode(text)));
    EXPECT_GE(account, 0);
    EXPECT_GT(story, account);
    EXPECT_EQ(QueueTextEscaping::decode(QueueTextEscaping::encode(text)), text);
}

TEST_F(PhoneQueueTest, OnlyASuccessThatSaysFileUploadedIsAnUpload)
{
    const struct {
        const char* name;
        QByteArray status;
        QByteArray body;
        bool silent;
        PhoneQueue::UploadResult::Outcome outcome;
        const char* reply;
    } rows[] = {
        {"queued", "200 OK", "<r>FILEUPLOADED</r>", false, PhoneQueue::UploadResult::Uploaded, "<r>FILEUPLOADED</r>"},
        {"inside other text", "200 OK", "done: FILEUPLOADED, thanks", false, PhoneQueue::UploadResult::Uploaded,
         "done: FILEUPLOADED, thanks"},
        {"refused", "200 OK", "Unknown account", false, PhoneQueue::UploadResult::Refused, "Unknown account"},
        {"empty", "200 OK", "", false, PhoneQueue::UploadResult::Refused, ""},
        {"server error", "500 Internal Server Error", "FILEUPLOADED", false, PhoneQueue::UploadResult::Refused,
         "FILEUPLOADED"},
        {"no answer", "", "", true, PhoneQueue::UploadResult::NoAnswer, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.silent)
            Platform::userDefaults().setString(QString::fromLatin1(WebEndpoints::kWebServices.settingKey),
                                               QStringLiteral("http://127.0.0.1:1"));
        else
            server_.answer(PhoneQueue::kUploadPath, row.status, row.body);
        const PhoneQueue::UploadResult result = PhoneQueue::upload(QStringLiteral("1"), QStringLiteral("<SCREENPLAY>"));
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.reply, QString::fromLatin1(row.reply));
    }
}

TEST_F(PhoneQueueTest, TheListPageNamesTheQueuedFiles)
{
    const QByteArray list = QByteArray(PhoneQueue::kListPath) + "?SerialNumber=A%2FB%26C%3D1";
    const struct {
        const char* name;
        QByteArray status;
        QByteArray body;
        PhoneQueue::QueueList::Status expected;
        QStringList names;
    } rows[] = {
        {"three names", "200 OK", "<FILESTODOWNLOAD>a.txt|notes.doc|b.txt|</FILESTODOWNLOAD>",
         PhoneQueue::QueueList::Listed, {"a.txt", "notes.doc", "b.txt", ""}},
        {"nothing queued", "200 OK", "<html><FILESTODOWNLOAD></FILESTODOWNLOAD></html>", PhoneQueue::QueueList::Empty,
         {}},
        {"no list", "200 OK", "<html>Maintenance</html>", PhoneQueue::QueueList::Malformed, {}},
        {"empty page", "200 OK", "", PhoneQueue::QueueList::Unreadable, {}},
        {"error page with a list", "500 Internal Server Error", "<FILESTODOWNLOAD>a.txt</FILESTODOWNLOAD>",
         PhoneQueue::QueueList::Unreadable, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server_.answer(list, row.status, row.body);
        const PhoneQueue::QueueList read = PhoneQueue::readList(QStringLiteral("A/B&C=1"));
        EXPECT_EQ(read.status, row.expected);
        EXPECT_EQ(read.names, row.names);
        EXPECT_EQ(server_.targets().constLast(), list);
    }
}

TEST_F(PhoneQueueTest, StoryNamesAreTxtFilesAndUnsafeNamesAreNeverAskedFor)
{
    const struct {
        const char* name;
        bool story;
        bool safe;
    } rows[] = {
        {"a.txt", true, true},      {"My Story.txt", true, true}, {"a.TXT", false, true}, {"notes.doc", false, true},
        {".txt", false, true},      {"", false, false},           {"a.txt.bak", false, true},
        {"../x.txt", true, false},  {"x/y.txt", true, false},     {"..\\x.txt", true, false},
        {"a..b.txt", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = QString::fromLatin1(row.name);
        EXPECT_EQ(PhoneQueue::isStoryName(name), row.story);
        EXPECT_EQ(PhoneQueue::isSafeName(name), row.safe);
        if (!row.safe) {
            EXPECT_EQ(PhoneQueue::fetchStory(QStringLiteral("7"), name).status, PhoneQueue::QueuedStory::Unreadable);
        }
    }
    EXPECT_TRUE(server_.requests().isEmpty());
}

TEST_F(PhoneQueueTest, AQueuedStoryIsFetchedUnderItsEncodedNameAndDecoded)
{
    const QString text = QStringLiteral("<SCREENPLAY><TITLE>Big Night</TITLE></SCREENPLAY>");
    const QByteArray page = "0123456789AB" + QueueTextEscaping::encode(text).toLatin1();
    const QByteArray folder = QByteArray(PhoneQueue::kStoryFolder) + "/12%2034/ToDesktop/";
    const struct {
        const char* name;
        QByteArray status;
        QByteArray body;
        PhoneQueue::QueuedStory::Status expected;
        QString text;
        const char* reason;
    } rows[] = {
        {"My Story.txt", "200 OK", page, PhoneQueue::QueuedStory::Fetched, text, ""},
        {"twelve.txt", "200 OK", "0123456789AB", PhoneQueue::QueuedStory::Damaged, {}, "it holds no story."},
        {"short.txt", "200 OK", "0123", PhoneQueue::QueuedStory::Damaged, {}, "it holds no story."},
        {"no tag.txt", "200 OK", "0123456789ABnothing%", PhoneQueue::QueuedStory::Damaged, {}, "it holds no story."},
        {"broken.txt", "500 Internal Server Error", page, PhoneQueue::QueuedStory::Unreadable, {}, ""},
        {"gone.txt", "404 Not Found", page, PhoneQueue::QueuedStory::Unreadable, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray path = folder + QUrl::toPercentEncoding(QString::fromLatin1(row.name));
        server_.answer(path, row.status, row.body);
        const PhoneQueue::QueuedStory story =
            PhoneQueue::fetchStory(QStringLiteral("12 34"), QString::fromLatin1(row.name));
        EXPECT_EQ(story.status, row.expected);
        EXPECT_EQ(story.text, row.text);
        EXPECT_EQ(story.reason, QString::fromLatin1(row.reason));
        EXPECT_EQ(server_.targets().constLast(), path);
    }
    EXPECT_EQ(server_.targets().constFirst(), folder + "My%20Story.txt");
}

TEST_F(PhoneQueueTest, TheQueueIsClearedOnlyWhenTheServerSaysSo)
{
    const QByteArray clear = QByteArray(PhoneQueue::kClearPath) + "?serialnumber=9%209";
    const struct {
        QByteArray status;
        QByteArray body;
        bool cleared;
    } rows[] = {
        {"200 OK", "<r>FILESDELETED</r>", true},
        {"200 OK", "<r>NOTHING</r>", false},
        {"503 Service Unavailable", "FILESDELETED", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body.toStdString());
        server_.answer(clear, row.status, row.body);
        EXPECT_EQ(PhoneQueue::clearQueue(QStringLiteral("9 9")), row.cleared);
    }
    EXPECT_EQ(server_.targets(), (QList<QByteArray>{clear, clear, clear}));
}

TEST_F(PhoneQueueTest, NothingIsSentWhenTheServiceAddressMayNotCarryTheAccount)
{
    Platform::userDefaults().setString(QString::fromLatin1(WebEndpoints::kWebServices.settingKey),
                                       QStringLiteral("http://queue.example.org"));
    EXPECT_EQ(PhoneQueue::readList(QStringLiteral("1")).status, PhoneQueue::QueueList::Unreadable);
    EXPECT_EQ(PhoneQueue::upload(QStringLiteral("1"), QStringLiteral("x")).outcome,
              PhoneQueue::UploadResult::NoAnswer);
    EXPECT_FALSE(PhoneQueue::clearQueue(QStringLiteral("1")));
    EXPECT_TRUE(server_.requests().isEmpty());
}

TEST_F(PhoneQueueTest, EveryPageOfTheQueueIsTakenUpToTheSizeNoStoryReaches)
{
    auto scripted = std::make_unique<ScriptedUrlLoader>();
    ScriptedUrlLoader& loader = *scripted;
    Platform::setUrlLoader(std::move(scripted));
    PhoneQueue::fetchStory(QStringLiteral("12 34"), QStringLiteral("My Story.txt"));
    PhoneQueue::readList(QStringLiteral("12 34"));
    ASSERT_EQ(loader.requests.size(), 2u);
    for (const UrlLoadRequest& request : loader.requests) {
        SCOPED_TRACE(request.url.toString().toStdString());
        EXPECT_EQ(request.maxBodyBytes, qint64(512) * 1024 * 1024);
    }
}
