#include "LoopbackServer.h"
#include "support/FileBytes.h"
#include "web/http/FormDataRequest.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QUrl kUrl(QStringLiteral("http://127.0.0.1:9/form"));
const QByteArray kBoundary = "0xKhTmLbOuNdArY";

void writeFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(FileBytes::write(path, bytes));
}

// The body as built: from memory, or from the temporary file a body with files goes to.
QByteArray builtBody(FormDataRequest& request)
{
    request.buildPostBody();
    return request.postBodyFilePath().isEmpty() ? request.postBody() : FileBytes::read(request.postBodyFilePath());
}

QString header(const FormDataRequest& request, const QString& name)
{
    return request.requestHeaders().value(name);
}

} // namespace

TEST(FormDataRequest, URLEncodedBodiesEscapeEveryReservedCharacterAndNameTheirCharset)
{
    const struct {
        const char* name;
        QList<QPair<QString, QVariant>> values;
        QByteArray body;
    } rows[] = {
        {"two values", {{"a", 1}, {"b", 2}}, "a=1&b=2"},
        {"space, ampersand, slash", {{"q", "a b&c/d"}}, "q=a%20b%26c%2Fd"},
        {"the reserved set",
         {{"k", QStringLiteral(":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`")}},
         "k=%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C%3E%25%7B%7D%7C%5C%5E%7E%60"},
        {"unreserved letters stay", {{"name-1.x_y", "Zo\u00eb"}}, "name-1.x_y=Zo%C3%AB"},
        {"key with an equals sign", {{"a=b", "c"}}, "a%3Db=c"},
        {"empty value", {{"a", ""}, {"b", "x"}}, "a=&b=x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FormDataRequest request(kUrl);
        for (const auto& [key, value] : row.values)
            request.addPostValue(value, key);
        EXPECT_EQ(builtBody(request), row.body);
        EXPECT_EQ(header(request, QStringLiteral("Content-Type")),
                  QStringLiteral("application/x-www-form-urlencoded; charset=utf-8"));
        EXPECT_EQ(header(request, QStringLiteral("Content-Length")), QString::number(row.body.size()));
        EXPECT_EQ(request.requestMethod(), QStringLiteral("POST"));
        EXPECT_EQ(request.postFormat(), FormDataRequest::URLEncoded);
    }
}

TEST(FormDataRequest, OneValueAndOneFileMakeTheGoldenMultipartBody)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ab.vtrsf"));
    writeFile(path, QByteArray("story\0bytes", 11));
    const QByteArray golden = "--" + kBoundary + "\r\n"
                              "Content-Disposition: form-data; name=\"title\"\r\n\r\n"
                              "Red Balloon & Co/1"
                              "\r\n--" + kBoundary + "\r\n"
                              "Content-Disposition: form-data; name=\"file\"; filename=\"ab.vtrsf\"\r\n"
                              "Content-Type: application/x-vantora\r\n\r\n"
                              + QByteArray("story\0bytes", 11) + "\r\n--" + kBoundary + "--\r\n";
    const struct {
        const char* name;
        std::function<void(FormDataRequest&)> addFile;
    } rows[] = {
        {"file read from disk",
         [&](FormDataRequest& r) {
             r.addFile(path, std::nullopt, QStringLiteral("application/x-vantora"), QStringLiteral("file"));
         }},
        {"bytes given", [&](FormDataRequest& r) {
             r.addData(QByteArray("story\0bytes", 11), QStringLiteral("ab.vtrsf"),
                       QStringLiteral("application/x-vantora"), QStringLiteral("file"));
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FormDataRequest request(kUrl);
        request.addPostValue(QStringLiteral("Red Balloon & Co/1"), QStringLiteral("title"));
        row.addFile(request);
        EXPECT_EQ(builtBody(request), golden);
        // A body with a file goes to disk, whatever form the file was given in.
        EXPECT_TRUE(request.shouldStreamPostDataFromDisk());
        EXPECT_EQ(header(request, QStringLiteral("Content-Type")),
                  QStringLiteral("multipart/form-data; charset=utf-8; boundary=0xKhTmLbOuNdArY"));
        EXPECT_EQ(header(request, QStringLiteral("Content-Length")), QString::number(golden.size()));
        EXPECT_EQ(request.postFormat(), FormDataRequest::MultipartFormData);
    }
}

TEST(FormDataRequest, MultipartBodiesWithValuesOnlyOrFilesOnlyCloseTheirLastPart)
{
    const struct {
        const char* name;
        std::function<void(FormDataRequest&)> fill;
        QByteArray body;
    } rows[] = {
        {"two values",
         [](FormDataRequest& r) {
             r.addPostValue(QStringLiteral("a b&c/d"), QStringLiteral("x"));
             r.addPostValue(2, QStringLiteral("y"));
         },
         "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\na b&c/d\r\n--" + kBoundary
             + "\r\nContent-Disposition: form-data; name=\"y\"\r\n\r\n2\r\n--" + kBoundary + "--\r\n"},
        {"two unnamed byte files",
         [](FormDataRequest& r) {
             r.addData("1", QStringLiteral("f"));
             r.addData("22", QStringLiteral("g"));
         },
         "--" + kBoundary
             + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"file\"\r\nContent-Type: "
               "application/octet-stream\r\n\r\n1\r\n--"
             + kBoundary
             + "\r\nContent-Disposition: form-data; name=\"g\"; filename=\"file\"\r\nContent-Type: "
               "application/octet-stream\r\n\r\n22\r\n--"
             + kBoundary + "--\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FormDataRequest request(kUrl);
        request.setPostFormat(FormDataRequest::MultipartFormData);
        row.fill(request);
        EXPECT_EQ(builtBody(request), row.body);
    }
}

TEST(FormDataRequest, AURLEncodedFormWithAFileIsSentAsMultipart)
{
    FormDataRequest request(kUrl);
    request.addPostValue(1, QStringLiteral("a"));
    request.addData("x", QStringLiteral("f"));
    ASSERT_EQ(request.postFormat(), FormDataRequest::URLEncoded);
    const QByteArray body = builtBody(request);
    EXPECT_EQ(request.postFormat(), FormDataRequest::MultipartFormData);
    EXPECT_TRUE(body.startsWith("--" + kBoundary + "\r\n"));
    EXPECT_TRUE(header(request, QStringLiteral("Content-Type")).startsWith(QStringLiteral("multipart/form-data")));
}

TEST(FormDataRequest, SettersReplaceEveryEntryOfTheirKeyAndKeepTheOthers)
{
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("one.txt"));
    const QString second = folder.filePath(QStringLiteral("two.txt"));
    writeFile(first, "1");
    writeFile(second, "2");

    FormDataRequest request(kUrl);
    request.addPostValue(QStringLiteral("first"), QStringLiteral("k"));
    request.addPostValue(QStringLiteral("other"), QStringLiteral("o"));
    request.addPostValue(QStringLiteral("again"), QStringLiteral("k"));
    request.setPostValue(QStringLiteral("second"), QStringLiteral("k"));
    EXPECT_EQ(request.postData(), (QList<FormDataRequest::ValueEntry>{{QStringLiteral("o"), QStringLiteral("other")},
                                                                      {QStringLiteral("k"), QStringLiteral("second")}}));

    request.addFile(first, QStringLiteral("f"));
    request.addData("b", QStringLiteral("d"));
    request.setFile(second, QStringLiteral("f"));
    request.setData("c", QStringLiteral("name.bin"), std::nullopt, QStringLiteral("d"));
    const auto files = request.fileData();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].key, QStringLiteral("f"));
    EXPECT_EQ(std::get<QString>(files[0].data), second);
    // Without a name or type, a path gives its last component and its extension's type.
    EXPECT_EQ(files[0].fileName, QStringLiteral("two.txt"));
    EXPECT_EQ(files[0].contentType, QStringLiteral("text/plain"));
    EXPECT_EQ(files[1].key, QStringLiteral("d"));
    EXPECT_EQ(std::get<QByteArray>(files[1].data), QByteArray("c"));
    EXPECT_EQ(files[1].fileName, QStringLiteral("name.bin"));
    EXPECT_EQ(files[1].contentType, QStringLiteral("application/octet-stream"));
    EXPECT_FALSE(request.error());
}

TEST(FormDataRequest, AFileThatIsNotThereFailsTheRequestWithCodeSix)
{
    QTemporaryDir folder;
    const struct {
        const char* name;
        QString path;
    } rows[] = {
        {"missing file", folder.filePath(QStringLiteral("gone.vtrsf"))},
        {"a folder", folder.path()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto request = FormDataRequest::requestWithURL(kUrl);
        request->addFile(row.path, QStringLiteral("file"));
        ASSERT_TRUE(request->error());
        EXPECT_EQ(request->error()->code, 6);
        EXPECT_EQ(request->error()->description, QStringLiteral("No file exists at %1").arg(row.path));
        EXPECT_EQ(HTTPError::domain(), QStringLiteral("HTTPRequestErrorDomain"));
        // The part is kept all the same.
        EXPECT_EQ(request->fileData().size(), 1);
    }
}

TEST(FormDataRequest, QuotesAndLineBreaksInNamesCannotBreakAPartHeader)
{
    FormDataRequest request(kUrl);
    request.addPostValue(QStringLiteral("v"), QStringLiteral("a\"b\r\nX-Evil: 1"));
    request.addData("d", QStringLiteral("my \"story\"\n.vtrsf"), QStringLiteral("text/plain"), QStringLiteral("f"));
    const QByteArray body = builtBody(request);
    EXPECT_TRUE(body.contains("name=\"a%22b%0D%0AX-Evil: 1\"\r\n\r\nv"));
    EXPECT_TRUE(body.contains("name=\"f\"; filename=\"my %22story%22%0A.vtrsf\"\r\n"));
    EXPECT_FALSE(body.contains("\r\nX-Evil"));
}

TEST(FormDataRequest, ContentHoldingTheFixedBoundaryGetsAnotherOne)
{
    QTemporaryDir folder;
    const QString straddling = folder.filePath(QStringLiteral("big.bin"));
    // The boundary text crosses the point where the file is read in two pieces.
    QByteArray big(262144 - 5, 'x');
    big += "\r\n--" + kBoundary + "--\r\n" + QByteArray(100, 'y');
    writeFile(straddling, big);
    const QString plain = folder.filePath(QStringLiteral("plain.bin"));
    writeFile(plain, QByteArray(300000, 'z'));

    const struct {
        const char* name;
        std::function<void(FormDataRequest&)> fill;
        bool fixed;
    } rows[] = {
        {"in a value", [](FormDataRequest& r) { r.addPostValue("a\r\n--" + kBoundary + "\r\nb", QStringLiteral("v")); },
         false},
        {"in given bytes", [](FormDataRequest& r) { r.addData("--" + kBoundary, QStringLiteral("f")); }, false},
        {"in a file on disk", [&](FormDataRequest& r) { r.addFile(straddling, QStringLiteral("f")); }, false},
        {"nowhere", [&](FormDataRequest& r) { r.addFile(plain, QStringLiteral("f")); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FormDataRequest request(kUrl);
        request.setPostFormat(FormDataRequest::MultipartFormData);
        row.fill(request);
        const QByteArray body = builtBody(request);
        const QByteArray chosen = request.boundary().toLatin1();
        EXPECT_EQ(chosen == kBoundary, row.fixed);
        EXPECT_TRUE(header(request, QStringLiteral("Content-Type")).endsWith(QStringLiteral("boundary=") + chosen));
        EXPECT_TRUE(body.startsWith("--" + chosen + "\r\n"));
        EXPECT_TRUE(body.endsWith("\r\n--" + chosen + "--\r\n"));
        // The delimiter occurs only where the body puts it: once at the start, once at the end.
        EXPECT_EQ(body.count("--" + chosen), 2);
    }
}

TEST(FormDataRequest, TextsAreWrittenInTheRequestsEncoding)
{
    const struct {
        const char* name;
        quint64 encoding;
        QString value;
        QString escaped;
        QString charset;
    } rows[] = {
        {"utf-8", StringEncoding::UTF8, QStringLiteral("\u00e9\u20ac"), QStringLiteral("%C3%A9%E2%82%AC"),
         QStringLiteral("utf-8")},
        {"latin-1", StringEncoding::ISOLatin1, QStringLiteral("\u00e9"), QStringLiteral("%E9"),
         QStringLiteral("iso-8859-1")},
        {"windows-1252", StringEncoding::WindowsCP1252, QStringLiteral("\u20ac"), QStringLiteral("%80"),
         QStringLiteral("windows-1252")},
        {"ascii cannot hold it", StringEncoding::ASCII, QStringLiteral("\u00e9"), QString(""),
         QStringLiteral("us-ascii")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FormDataRequest request(kUrl);
        request.setStringEncoding(row.encoding);
        EXPECT_EQ(request.encodeURL(row.value), row.escaped);
        request.addPostValue(QStringLiteral("x"), QStringLiteral("k"));
        builtBody(request);
        EXPECT_EQ(header(request, QStringLiteral("Content-Type")),
                  QStringLiteral("application/x-www-form-urlencoded; charset=") + row.charset);
    }
    // A multipart text the encoding cannot hold fails the request rather than going out cut.
    FormDataRequest request(kUrl);
    request.setStringEncoding(StringEncoding::ASCII);
    request.setPostFormat(FormDataRequest::MultipartFormData);
    request.addPostValue(QStringLiteral("caf\u00e9"), QStringLiteral("k"));
    builtBody(request);
    ASSERT_TRUE(request.error());
    EXPECT_EQ(request.error()->code, 6);
}

TEST(FormDataRequest, ACopyCarriesTheFormAndItsSettings)
{
    auto request = FormDataRequest::requestWithURL(kUrl);
    request->addPostValue(QStringLiteral("1"), QStringLiteral("a"));
    request->addData("x", QStringLiteral("f"));
    request->setPostFormat(FormDataRequest::MultipartFormData);
    request->setStringEncoding(StringEncoding::ISOLatin1);
    request->setRequestMethod(QStringLiteral("PUT"));
    auto copy = std::dynamic_pointer_cast<FormDataRequest>(request->copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->postData(), request->postData());
    EXPECT_EQ(copy->fileData(), request->fileData());
    EXPECT_EQ(copy->postFormat(), FormDataRequest::MultipartFormData);
    EXPECT_EQ(copy->stringEncoding(), StringEncoding::ISOLatin1);
    EXPECT_EQ(copy->requestMethod(), QStringLiteral("PUT"));
    // The copy's form is its own.
    copy->setPostValue(QStringLiteral("2"), QStringLiteral("a"));
    EXPECT_EQ(request->postData().first().value, QStringLiteral("1"));
}

TEST(FormDataRequest, AMultipartPostReachesTheServerWhole)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("scene.txt"));
    writeFile(path, QByteArray(100000, 's'));
    LoopbackServer server([](const LoopbackServer::Request&) { return LoopbackServer::answer("200 OK", "ok"); });
    auto request = FormDataRequest::requestWithURL(server.url(QStringLiteral("/upload")));
    request->setTimeOutSeconds(10);
    request->addPostValue(QStringLiteral("42"), QStringLiteral("id"));
    request->addFile(path, QStringLiteral("file"));
    request->startSynchronous();
    ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
    ASSERT_EQ(server.requests().size(), 1);
    const auto received = server.requests().first();
    EXPECT_TRUE(received.requestLine.startsWith("POST /upload "));
    EXPECT_EQ(received.headers.value("content-type"), "multipart/form-data; charset=utf-8; boundary=" + kBoundary);
    EXPECT_TRUE(received.body.startsWith("--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"id\"\r\n\r\n42"
                                         "\r\n--" + kBoundary + "\r\n"));
    EXPECT_EQ(received.headers.value("content-length").toLongLong(), received.body.size());
    EXPECT_TRUE(received.body.contains("filename=\"scene.txt\"\r\nContent-Type: text/plain\r\n\r\n"
                                       + QByteArray(100000, 's') + "\r\n--" + kBoundary + "--\r\n"));
}
