#include "FakeCloudService.h"
#include "model/Toolkit.h"
#include "platform/FakePlatform.h"
#include "platform/QtPlatform.h"
#include "support/LogCapture.h"
#include "web/CloudToolkit.h"
#include "web/SOAPRequest.h"
#include "web/WebEndpoints.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

using Parameters = vtZevivaRequest::Parameters;
using Factory = std::optional<vtSOAPRequest> (*)(const Parameters&);

const QString kLivePath = QStringLiteral("/Vantora3WebService/Vantora3WebService.asmx");
const QString kTestPath = QStringLiteral("/Vantora3WebServiceTest/Vantora3WebService.asmx");

Parameters everyKey()
{
    return {{QStringLiteral("serialnumber"), QStringLiteral("1234567890")},
            {QStringLiteral("userName"), QStringLiteral("storage-user")},
            {QStringLiteral("password"), QStringLiteral("secret")},
            {QStringLiteral("fileName"), QStringLiteral("Kessler Pass")},
            {QStringLiteral("environment"), QStringLiteral("LIVE")}};
}

// The texts of the operation element's children, as an XML reader sees them; "malformed" as
// the only key when the body is not well-formed XML.
QMap<QString, QString> bodyArguments(const QByteArray& body, QString* operation)
{
    QXmlStreamReader reader(body);
    QMap<QString, QString> arguments;
    bool inBody = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("Body"))
            inBody = true;
        else if (inBody && operation->isEmpty())
            *operation = reader.name().toString();
        else if (inBody)
            arguments.insert(reader.name().toString(), reader.readElementText());
    }
    if (reader.hasError())
        return {{QStringLiteral("malformed"), reader.errorString()}};
    return arguments;
}

// Settings of their own, the program's own URL loading, and every endpoint of the cloud exchange
// pointed at the fake service.
class CloudSoap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::install(folder_.path());
        Platform::setUrlLoader(std::make_unique<QtUrlLoader>());
        pointCloudEndpointsAt(service.root());
    }
    void TearDown() override { Platform::setUserDefaults(nullptr); }

    QTemporaryDir folder_;
    FakeCloudService service;
};

} // namespace

TEST(SOAPRequests, EachFactoryNeedsEveryOneOfItsKeys)
{
    const struct {
        const char* name;
        Factory factory;
        QString operation;
        QStringList keys;
        QStringList arguments; // the children of the operation element, in order
    } rows[] = {
        {"MiscInfo", &vtZevivaRequest::miscInfoRequest, QStringLiteral("MiscInfo"),
         {QStringLiteral("serialnumber"), QStringLiteral("environment")}, {QStringLiteral("serialnumber")}},
        {"PrepForUpload", &vtZevivaRequest::prepForUploadRequest, QStringLiteral("PrepForUpload"),
         {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
          QStringLiteral("environment")},
         {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password")}},
        {"PrepForDownload", &vtZevivaRequest::prepForDownloadRequest, QStringLiteral("PrepForDownload"),
         {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
          QStringLiteral("environment")},
         {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password")}},
        {"CleanUp", &vtZevivaRequest::cleanUpRequest, QStringLiteral("CleanUp"),
         {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
          QStringLiteral("fileName"), QStringLiteral("environment")},
         {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
          QStringLiteral("fileName")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto request = row.factory(everyKey());
        ASSERT_TRUE(request);
        QString operation;
        const auto arguments = bodyArguments(request->body, &operation);
        EXPECT_EQ(operation, row.operation);
        EXPECT_EQ(arguments.keys().size(), row.arguments.size());
        for (const QString& key : row.arguments)
            EXPECT_EQ(arguments.value(key), everyKey().value(key)) << key.toStdString();
        for (const QString& key : row.keys) {
            SCOPED_TRACE(key.toStdString());
            Parameters missing = everyKey();
            missing.remove(key);
            EXPECT_FALSE(row.factory(missing));
            // An empty text is a value.
            Parameters empty = everyKey();
            empty.insert(key, QString());
            EXPECT_TRUE(row.factory(empty));
        }
    }
}

TEST(SOAPRequests, OnlyTheExactWordLIVEPicksTheLiveEndpoint)
{
    const QString live = QStringLiteral("services.vantora.app");
    const QString test = QStringLiteral("test.services.vantora.app");
    const struct {
        const char* environment;
        QString host;
        QString path;
    } rows[] = {
        {"LIVE", live, kLivePath},
        {"live", test, kTestPath},
        {"TEST", test, kTestPath},
        {"", test, kTestPath},
        {" LIVE", test, kTestPath},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.environment);
        Parameters parameters = everyKey();
        parameters.insert(QStringLiteral("environment"), QString::fromLatin1(row.environment));
        const auto request = vtZevivaRequest::miscInfoRequest(parameters);
        ASSERT_TRUE(request);
        // Both carry the account number: both are https.
        EXPECT_EQ(request->url.scheme(), QStringLiteral("https"));
        EXPECT_EQ(request->url.host(), row.host);
        EXPECT_EQ(request->url.path(), row.path);
    }
}

TEST(SOAPRequests, TheBodyIsUTF8AndItsLengthCountsBytes)
{
    const struct {
        const char* name;
        QString password;
    } rows[] = {
        {"ascii", QStringLiteral("secret")},
        {"accented", QStringLiteral("\u00e9t\u00e9\u00e0\u00fc")},
        {"beyond the first plane", QStringLiteral("\U0001F3AC\u4E2D")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Parameters parameters = everyKey();
        parameters.insert(QStringLiteral("password"), row.password);
        const auto request = vtZevivaRequest::prepForUploadRequest(parameters);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->method, QStringLiteral("POST"));
        EXPECT_EQ(request->cachePolicy, vtSOAPRequest::CachePolicy::ReloadIgnoringLocalCacheData);
        ASSERT_EQ(request->headers.size(), 3);
        EXPECT_EQ(request->headers[0].first, "Host");
        EXPECT_EQ(request->headers[0].second, vtSOAPRequest::webServiceHostName().toUtf8());
        EXPECT_EQ(request->headers[1], qMakePair(QByteArray("Content-Type"),
                                                 QByteArray("application/soap+xml; charset=utf-8")));
        EXPECT_EQ(request->headers[2].first, "Content-Length");
        EXPECT_EQ(request->headers[2].second.toLongLong(), request->body.size());
        EXPECT_TRUE(request->headerField("SOAPAction").isEmpty());
        QString operation;
        EXPECT_EQ(bodyArguments(request->body, &operation).value(QStringLiteral("password")), row.password);
    }
    // The field counts bytes: more than the characters of a text beyond ASCII.
    Parameters wide = everyKey();
    wide.insert(QStringLiteral("password"), QStringLiteral("\u00e9\u00e9\u00e9\u00e9"));
    Parameters narrow = everyKey();
    narrow.insert(QStringLiteral("password"), QStringLiteral("eeee"));
    EXPECT_EQ(vtZevivaRequest::prepForUploadRequest(wide)->headerField("Content-Length").toInt(),
              vtZevivaRequest::prepForUploadRequest(narrow)->headerField("Content-Length").toInt() + 4);
    // The three-argument form takes the host it is given, wherever the URL points.
    const auto elsewhere = vtSOAPRequest::requestWithURLForDomain(
        QUrl(QStringLiteral("http://127.0.0.1:9/x")), QStringLiteral("<a/>"), QStringLiteral("example.org"));
    EXPECT_EQ(elsewhere.headerField("host"), "example.org");
}

TEST(SOAPRequests, ArgumentsCannotBreakTheEnvelope)
{
    const QStringList hostile = {QStringLiteral("a&b<c"), QStringLiteral("</password><admin>1</admin>"),
                                 QStringLiteral("]]>\"'"), QStringLiteral("%@%@"), QStringLiteral("&amp;")};
    for (const QString& text : hostile) {
        SCOPED_TRACE(text.toStdString());
        Parameters parameters = everyKey();
        parameters.insert(QStringLiteral("userName"), text);
        parameters.insert(QStringLiteral("password"), text);
        parameters.insert(QStringLiteral("fileName"), text);
        const auto request = vtZevivaRequest::cleanUpRequest(parameters);
        ASSERT_TRUE(request);
        QString operation;
        const auto arguments = bodyArguments(request->body, &operation);
        EXPECT_FALSE(arguments.contains(QStringLiteral("malformed"))) << arguments.value("malformed").toStdString();
        EXPECT_FALSE(arguments.contains(QStringLiteral("admin")));
        EXPECT_EQ(arguments.value(QStringLiteral("userName")), text);
        EXPECT_EQ(arguments.value(QStringLiteral("password")), text);
        EXPECT_EQ(arguments.value(QStringLiteral("fileName")), text);
        EXPECT_EQ(arguments.value(QStringLiteral("serialnumber")), QStringLiteral("1234567890"));
    }
}

TEST(SOAPRequests, AnswerTextsAreUnescaped)
{
    const struct {
        QString text;
        QString plain;
    } rows[] = {
        {QStringLiteral("a&amp;b&lt;c&gt;&quot;&apos;"), QStringLiteral("a&b<c>\"'")},
        {QStringLiteral("&#65;&#x42;&#X43;"), QStringLiteral("ABC")},
        {QStringLiteral("&#x1F3AC;"), QStringLiteral("\U0001F3AC")},
        {QStringLiteral("&amp;amp;"), QStringLiteral("&amp;")},
        {QStringLiteral("fish & chips"), QStringLiteral("fish & chips")},
        {QStringLiteral("&bogus; &#0; &#xD800; &#x110000; &#; &"),
         QStringLiteral("&bogus; &#0; &#xD800; &#x110000; &#; &")},
        {QStringLiteral("a&b;c|&verylongnamehere;"), QStringLiteral("a&b;c|&verylongnamehere;")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        EXPECT_EQ(SOAPText::unescaped(row.text), row.plain);
    }
    EXPECT_EQ(SOAPText::escaped(QStringLiteral("a&b<c>\"'")), QStringLiteral("a&amp;b&lt;c&gt;&quot;&apos;"));
}

TEST_F(CloudSoap, TheMessageArrivesWithItsHeadersAndItsLengthInBytes)
{
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|user|pass"));
    EXPECT_EQ(Toolkit().getFTPInfo(QStringLiteral("\u00e9\u00e9-42"), QStringLiteral("LIVE")),
              QStringLiteral("0|user|pass"));
    ASSERT_EQ(service.calls().size(), 1);
    const auto call = service.calls().first();
    EXPECT_EQ(call.operation, QStringLiteral("MiscInfo"));
    EXPECT_EQ(call.path, kLivePath.toUtf8());
    EXPECT_EQ(call.headers.value("host"), vtSOAPRequest::webServiceHostName().toUtf8());
    EXPECT_EQ(call.headers.value("content-type"), "application/soap+xml; charset=utf-8");
    EXPECT_EQ(call.headers.value("content-length").toLongLong(), call.body.size());
    EXPECT_EQ(call.arguments.value(QStringLiteral("serialnumber")), QStringLiteral("\u00e9\u00e9-42"));
    EXPECT_FALSE(call.headers.contains("soapaction"));
    // The three fields stand in the order they were given.
    const QByteArray head = call.headBytes.toLower();
    EXPECT_LT(head.indexOf("\nhost:"), head.indexOf("\ncontent-type:"));
    EXPECT_LT(head.indexOf("\ncontent-type:"), head.indexOf("\ncontent-length:"));
}

TEST_F(CloudSoap, StoredFileListsAndTheirFailures)
{
    const QString refusal = CloudToolkit::refusalMessage();
    const struct {
        const char* name;
        std::optional<QString> miscInfo; // nothing: the answer holds no result element
        std::optional<QString> prepForDownload;
        QStringList result;
        QStringList operations;
    } rows[] = {
        {"two files", QStringLiteral("0|u|p"), QStringLiteral("SUCCESS|a|b"),
         {QStringLiteral("SUCCESS"), QStringLiteral("a"), QStringLiteral("b")},
         {QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}},
        {"no files", QStringLiteral("0|u|p"), QStringLiteral("SUCCESS"),
         {QStringLiteral("NOFILES"), QStringLiteral("There are no files in your cloud.")},
         {QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}},
        {"escaped names", QStringLiteral("0|u|p"), QStringLiteral("SUCCESS|Tom & Jerry|<draft>"),
         {QStringLiteral("SUCCESS"), QStringLiteral("Tom & Jerry"), QStringLiteral("<draft>")},
         {QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}},
        {"refused", QStringLiteral("Unauthorized Access"), QStringLiteral("SUCCESS|a"),
         {QStringLiteral("ERROR"), refusal}, {QStringLiteral("MiscInfo")}},
        {"refused in passing", QStringLiteral("x|Unauthorized Access here|y"), QStringLiteral("SUCCESS|a"),
         {QStringLiteral("ERROR"), refusal}, {QStringLiteral("MiscInfo")}},
        {"too few fields", QStringLiteral("0|u"), QStringLiteral("SUCCESS|a"),
         {QStringLiteral("ERROR"), QStringLiteral("Unable to connect to server.")}, {QStringLiteral("MiscInfo")}},
        {"no result element", std::nullopt, QStringLiteral("SUCCESS|a"),
         {QStringLiteral("ERROR"), QStringLiteral("Unable to connect to server.")}, {QStringLiteral("MiscInfo")}},
        {"listing refused", QStringLiteral("0|u|p"), QStringLiteral("Bad login"),
         {QStringLiteral("ERROR"),
          QStringLiteral("Unable to retrieve from the cloud due to: Bad login. Please try again later.")},
         {QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}},
        {"success not at the start", QStringLiteral("0|u|p"), QStringLiteral("NOT SUCCESS"),
         {QStringLiteral("ERROR"),
          QStringLiteral("Unable to retrieve from the cloud due to: NOT SUCCESS. Please try again later.")},
         {QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeCloudService fresh;
        pointCloudEndpointsAt(fresh.root());
        if (row.miscInfo)
            fresh.answer(QStringLiteral("MiscInfo"), *row.miscInfo);
        fresh.answer(QStringLiteral("PrepForDownload"), *row.prepForDownload);
        EXPECT_EQ(Toolkit().getFileNamesInCloud(QStringLiteral("42"), QStringLiteral("LIVE")), row.result);
        EXPECT_EQ(fresh.operations(), row.operations);
        if (row.operations.size() == 2) {
            // The storage credentials of the first call are those of the second.
            const auto second = fresh.calls().at(1).arguments;
            EXPECT_EQ(second.value(QStringLiteral("serialnumber")), QStringLiteral("42"));
            EXPECT_EQ(second.value(QStringLiteral("userName")), QStringLiteral("u"));
            EXPECT_EQ(second.value(QStringLiteral("password")), QStringLiteral("p"));
        }
    }
}

TEST_F(CloudSoap, AStoragePasswordWithMarkupArrivesIntact)
{
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|a&b<c|a&b<c"));
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    EXPECT_EQ(Toolkit().getInfoForUpload(QStringLiteral("42"), QStringLiteral("LIVE")),
              (QStringList{QStringLiteral("0"), QStringLiteral("a&b<c"), QStringLiteral("a&b<c")}));
    ASSERT_EQ(service.operations(), (QStringList{QStringLiteral("MiscInfo"), QStringLiteral("PrepForUpload")}));
    EXPECT_EQ(service.calls().at(1).arguments.value(QStringLiteral("password")), QStringLiteral("a&b<c"));
    EXPECT_EQ(service.calls().at(1).arguments.value(QStringLiteral("userName")), QStringLiteral("a&b<c"));
}

TEST_F(CloudSoap, UploadCredentialsAndTheirFailures)
{
    const struct {
        const char* name;
        QString miscInfo;
        QString prepForUpload;
        QStringList result;
    } rows[] = {
        {"granted", QStringLiteral("7|u|p|extra"), QStringLiteral("SUCCESS: ready"),
         {QStringLiteral("7"), QStringLiteral("u"), QStringLiteral("p")}},
        {"refused", QStringLiteral("Unauthorized Access"), QStringLiteral("SUCCESS"),
         {QStringLiteral("ERROR"), CloudToolkit::refusalMessage()}},
        {"too few fields", QStringLiteral("7"), QStringLiteral("SUCCESS"),
         {QStringLiteral("ERROR"), QStringLiteral("Unable to make a connection to the server.")}},
        {"not allowed", QStringLiteral("7|u|p"), QStringLiteral("Quota reached, SUCCESS later"),
         {QStringLiteral("ERROR"), QStringLiteral("Unable to upload to the cloud due to: Quota reached, SUCCESS later. "
                                                  "Please try again later.")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        service.answer(QStringLiteral("MiscInfo"), row.miscInfo);
        service.answer(QStringLiteral("PrepForUpload"), row.prepForUpload);
        EXPECT_EQ(Toolkit().getInfoForUpload(QStringLiteral("42"), QStringLiteral("LIVE")), row.result);
    }
}

TEST_F(CloudSoap, RemovalAsksForCredentialsFirst)
{
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|u|p"));
    service.answer(QStringLiteral("CleanUp"), QStringLiteral("SUCCESS|removed"));
    EXPECT_EQ(Toolkit().deleteFile(QStringLiteral("Draft & Notes"), QStringLiteral("42"), QStringLiteral("LIVE")),
              QStringLiteral("SUCCESS|removed"));
    ASSERT_EQ(service.operations(), (QStringList{QStringLiteral("MiscInfo"), QStringLiteral("CleanUp")}));
    EXPECT_EQ(service.calls().at(1).arguments.value(QStringLiteral("fileName")), QStringLiteral("Draft & Notes"));

    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("Unauthorized Access"));
    EXPECT_EQ(Toolkit().deleteFile(QStringLiteral("x"), QStringLiteral("42"), QStringLiteral("LIVE")),
              CloudToolkit::refusalMessage());
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("no fields"));
    EXPECT_EQ(Toolkit().deleteFile(QStringLiteral("x"), QStringLiteral("42"), QStringLiteral("LIVE")),
              QStringLiteral("ERROR"));
    // Neither of the last two got as far as a removal.
    EXPECT_EQ(service.operations().count(QStringLiteral("CleanUp")), 1);
}

TEST_F(CloudSoap, CallsThatCannotBeMadeOrSentAreLoggedAsFailures)
{
    LogCapture log;
    // Without an account number no request is built and nothing is sent.
    EXPECT_EQ(Toolkit().getFileNamesInCloud(QString(), QStringLiteral("LIVE")),
              (QStringList{QStringLiteral("ERROR"), QStringLiteral("Unable to connect to server.")}));
    EXPECT_EQ(Toolkit().getInfoForUpload(QString(), QStringLiteral("LIVE")),
              (QStringList{QStringLiteral("ERROR"), QStringLiteral("Unable to make a connection to the server.")}));
    EXPECT_TRUE(service.calls().isEmpty());
    EXPECT_EQ(log.messages().count(QStringLiteral("Could not create request.")), 2);

    // A service that cannot be reached.
    pointCloudEndpointsAt(QStringLiteral("http://127.0.0.1:1"));
    EXPECT_EQ(Toolkit().getFTPInfo(QStringLiteral("42"), QStringLiteral("LIVE")), QStringLiteral("ERROR"));
    ASSERT_FALSE(log.messages().filter(QStringLiteral("Error sending SOAP request: ")).isEmpty());
}

TEST_F(CloudSoap, AnErrorPageIsAFailedCallNotAnAnswer)
{
    service.answerRaw("500 Internal Server Error", "<html>Server Error</html>");
    EXPECT_EQ(Toolkit().getFileNamesInCloud(QStringLiteral("42"), QStringLiteral("LIVE")),
              (QStringList{QStringLiteral("ERROR"), QStringLiteral("Unable to connect to server.")}));
    EXPECT_EQ(service.operations(), QStringList{QStringLiteral("MiscInfo")});
}

TEST(CloudAddresses, StoredFileNamesStayOnePathSegment)
{
    pointCloudEndpointsAt(QStringLiteral("http://127.0.0.1:9"));
    const struct {
        QString name;
        QByteArray path;
    } rows[] = {
        {QStringLiteral("Kessler Pass"), "/Vantora3Queue/42/Kessler%20Pass.txt"},
        {QStringLiteral("../../etc/passwd"), "/Vantora3Queue/42/..%2F..%2Fetc%2Fpasswd.txt"},
        {QStringLiteral("a?b#c"), "/Vantora3Queue/42/a%3Fb%23c.txt"},
        {QStringLiteral("Caf\u00e9"), "/Vantora3Queue/42/Caf%C3%A9.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        const QUrl url = CloudToolkit::storedFileURL(QStringLiteral("42"), row.name);
        EXPECT_EQ(url.path(QUrl::FullyEncoded).toUtf8(), row.path);
        EXPECT_TRUE(url.query().isEmpty());
        EXPECT_TRUE(url.fragment().isEmpty());
    }
    pointCloudEndpointsAt(QString());
}
