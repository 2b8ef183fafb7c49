#include "LoopbackServer.h"
#include "OwnTemporaryFolder.h"
#include "web/http/DataCompressor.h"
#include "web/http/HTTPRequest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>

namespace {

using Reply = LoopbackServer::Reply;
using Request = LoopbackServer::Request;

QByteArray noise(qsizetype size)
{
    QRandomGenerator generator(11);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Adds up what a request reports, as a queue does.
class Tally : public HTTPRequestQueueListener
{
public:
    void requestDidSendBytes(HTTPRequest*, qint64 amount) override { sent += amount; }
    void requestIncrementUploadSizeBy(HTTPRequest*, qint64 amount) override { uploadTotal += amount; }
    void requestDidReceiveBytes(HTTPRequest*, qint64 amount) override { received += amount; }
    void requestIncrementDownloadSizeBy(HTTPRequest*, qint64 amount) override { downloadTotal += amount; }
    qint64 sent = 0;
    qint64 uploadTotal = 0;
    qint64 received = 0;
    qint64 downloadTotal = 0;
};

} // namespace

TEST(HTTPTransfer, BodiesFromMemoryAndFromDiskArriveWholeAndCompressedOnesInflate)
{
    const QByteArray payload = noise(700000);
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("story.vtrsf"));
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(payload);
    }
    LoopbackServer server([](const Request&) { return LoopbackServer::answer("200 OK", "stored"); });
    const struct {
        const char* name;
        bool fromDisk;
        bool compressed;
    } rows[] = {
        {"memory", false, false},
        {"disk", true, false},
        {"memory, gzip", false, true},
        {"disk, gzip", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto tally = std::make_shared<Tally>();
        auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/upload")));
        request->setQueue(tally);
        request->setShouldStreamPostDataFromDisk(row.fromDisk);
        request->setShouldCompressRequestBody(row.compressed);
        request->appendPostDataFromFile(source);
        const QString bodyFile = request->postBodyFilePath();
        request->startSynchronous();
        ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
        QTest::qWait(10);
        const Request received = server.requests().last();
        EXPECT_EQ(received.requestLine, QByteArray("POST /upload HTTP/1.1"));
        EXPECT_EQ(received.headers.contains("content-encoding"), row.compressed);
        const QByteArray body =
            row.compressed ? DataDecompressor::uncompressData(received.body, nullptr).value_or(QByteArray())
                           : received.body;
        EXPECT_EQ(body, payload);
        // All that went out is counted once against the total that was announced.
        EXPECT_EQ(tally->sent, tally->uploadTotal);
        EXPECT_EQ(quint64(tally->uploadTotal) + request->uploadBufferSize(), request->postLength());
        EXPECT_EQ(request->totalBytesSent(), request->postLength());
        // The body file the request made for itself is gone.
        if (row.fromDisk) {
            EXPECT_FALSE(QFile::exists(bodyFile));
            EXPECT_TRUE(request->compressedPostBodyFilePath().isEmpty());
        }
    }
}

TEST(HTTPTransfer, DownloadsToAFileLandAtTheirDestinationInflatedWhenCompressed)
{
    HTTPRequest::clearSession();
    const QByteArray text = QByteArray("EXT. HARBOUR - DAWN. Gulls. ").repeated(20000);
    const QByteArray gzipped = DataCompressor::compressData(text, nullptr).value();
    LoopbackServer server([&](const Request& request) {
        if (request.requestLine.contains("/plain"))
            return LoopbackServer::answer("200 OK", text);
        if (request.requestLine.contains("/private"))
            return LoopbackServer::answer("401 Unauthorized", "<h1>Who are you?</h1>",
                                          "WWW-Authenticate: Basic realm=\"Films\"\r\n");
        if (request.requestLine.contains("/loop"))
            return LoopbackServer::answer("302 Found", "<h1>Found</h1>", "Location: /loop\r\n");
        if (request.requestLine.contains("/away"))
            return LoopbackServer::answer("302 Found", "<h1>Found</h1>", "Location: /cut\r\n");
        if (request.requestLine.contains("/cut"))
            return Reply {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nEXT. HARB", true};
        return LoopbackServer::answer("200 OK", gzipped, "Content-Encoding: gzip\r\n");
    });
    QTemporaryDir folder;
    const struct {
        const char* name;
        QString path;
        bool inflateAtTheEnd;
        bool oldFile;    // a file is at the destination before
        int failure = 0; // the code the request fails with; 0 for none
    } rows[] = {
        {"plain", QStringLiteral("/plain"), true, true},
        {"gzip inflated at the end", QStringLiteral("/gzip"), true, true},
        {"gzip inflated while it arrives", QStringLiteral("/gzip"), false, false},
        // A request that fails leaves the destination as it was: no page of the server's there.
        {"a challenge nobody answers", QStringLiteral("/private"), true, true, HTTPError::AuthenticationNeeded},
        {"a challenge nobody answers, nothing there", QStringLiteral("/private"), true, false,
         HTTPError::AuthenticationNeeded},
        {"a redirect loop", QStringLiteral("/loop"), true, true, HTTPError::TooMuchRedirection},
        {"a redirect to a body cut short", QStringLiteral("/away"), true, true, HTTPError::ConnectionFailure},
    };
    int index = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString destination = folder.filePath(QStringLiteral("download-%1.txt").arg(++index));
        if (row.oldFile) {
            // An older file at the destination is replaced.
            QFile old(destination);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("OLD DRAFT");
        }
        auto tally = std::make_shared<Tally>();
        auto request = HTTPRequest::requestWithURL(server.url(row.path));
        request->setQueue(tally);
        request->setDownloadDestinationPath(destination);
        request->setShouldWaitToInflateCompressedResponses(row.inflateAtTheEnd);
        request->startSynchronous();
        EXPECT_FALSE(request->rawResponseData());
        EXPECT_TRUE(request->temporaryFileDownloadPath().isEmpty());
        if (row.failure != 0) {
            ASSERT_TRUE(request->error());
            EXPECT_EQ(request->error()->code, row.failure);
            EXPECT_EQ(QFileInfo::exists(destination), row.oldFile);
            EXPECT_EQ(readFile(destination), QByteArray(row.oldFile ? "OLD DRAFT" : ""));
            continue;
        }
        ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
        QTest::qWait(10);
        EXPECT_EQ(readFile(destination), text);
        EXPECT_EQ(tally->received, tally->downloadTotal);
        EXPECT_EQ(quint64(tally->received), request->contentLength());
    }
}

TEST(HTTPTransfer, ACookieTheServerSetsGoesBackWithTheNextRequest)
{
    HTTPRequest::clearSession();
    LoopbackServer server([](const Request& request) {
        if (request.requestLine.contains("/login"))
            return LoopbackServer::answer("200 OK", "hello", "Set-Cookie: reel=seven; Path=/\r\n");
        return LoopbackServer::answer("200 OK", request.headers.value("cookie"));
    });
    auto login = HTTPRequest::requestWithURL(server.url(QStringLiteral("/login")));
    login->startSynchronous();
    ASSERT_FALSE(login->error());
    ASSERT_EQ(login->responseCookies().size(), 1);
    EXPECT_EQ(login->responseCookies().first().value(), QByteArray("seven"));
    EXPECT_EQ(SessionCookies::shared().cookies().size(), 1);

    auto next = HTTPRequest::requestWithURL(server.url(QStringLiteral("/cards")));
    next->setRequestCookies({QNetworkCookie("act", "two")});
    next->startSynchronous();
    EXPECT_EQ(next->responseString(), QStringLiteral("act=two; reel=seven"));

    auto without = HTTPRequest::requestWithURL(server.url(QStringLiteral("/cards")));
    without->setUseCookiePersistence(false);
    without->startSynchronous();
    EXPECT_EQ(without->responseString(), QString(QLatin1String("")));

    HTTPRequest::clearSession();
    auto cleared = HTTPRequest::requestWithURL(server.url(QStringLiteral("/cards")));
    cleared->startSynchronous();
    EXPECT_EQ(cleared->responseString(), QString(QLatin1String("")));
}

namespace {

class RedirectDelegate : public HTTPRequestDelegate
{
public:
    bool implements(Operation operation) const override { return operation == Operation::WillRedirect; }
    void requestWillRedirectToURL(HTTPRequest* request, const QUrl& url) override
    {
        asked = url;
        QUrl changed = url;
        changed.setPath(QStringLiteral("/chosen"));
        request->redirectToURL(changed);
    }
    QUrl asked;
};

} // namespace

TEST(HTTPTransfer, ADelegateThatTakesOverRedirectsChoosesWhereTheRequestGoes)
{
    LoopbackServer server([](const Request& request) {
        if (request.requestLine.contains("/start"))
            return LoopbackServer::answer("302 Found", "", "Location: /offered\r\n");
        return LoopbackServer::answer("200 OK", request.requestLine);
    });
    auto delegate = std::make_shared<RedirectDelegate>();
    auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/start")));
    request->setDelegate(delegate);
    request->startAsynchronous();
    ASSERT_TRUE(QTest::qWaitFor([&] { return request->isFinished(); }, 10000));
    EXPECT_EQ(delegate->asked, server.url(QStringLiteral("/offered")));
    EXPECT_EQ(request->responseString(), QStringLiteral("GET /chosen HTTP/1.1"));
}

TEST(HTTPTransfer, ACancelledDownloadKeepsItsPartialFileOnlyWhenItMayResume)
{
    // The server sends part of a long body, then nothing more.
    LoopbackServer server([](const Request&) {
        Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + QByteArray(5000, 'p');
        return reply;
    });
    QTemporaryDir folder;
    for (const bool resumable : {true, false}) {
        SCOPED_TRACE(resumable);
        auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/long")));
        request->setDownloadDestinationPath(folder.filePath(QStringLiteral("long.bin")));
        request->setAllowResumeForFileDownloads(resumable);
        request->startAsynchronous();
        ASSERT_TRUE(QTest::qWaitFor([&] { return request->totalBytesRead() == 5000; }, 10000));
        const QString partial = request->temporaryFileDownloadPath();
        ASSERT_TRUE(QFile::exists(partial));
        request->cancel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return request->isFinished(); }, 10000));
        EXPECT_EQ(request->error(), HTTPError::requestCancelled());
        EXPECT_EQ(QFile::exists(partial), resumable);
        QFile::remove(partial);
    }
}

TEST(HTTPTransfer, ReadsTakeAtMostTheSizeTheAnnouncedLengthAllows)
{
    const QByteArray body = noise(100000);
    const struct {
        const char* name;
        bool withLength;
        qsizetype largest;
    } rows[] = {
        {"with a length above 64 KiB", true, 65536},
        {"without a length", false, 16384},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server([&](const Request&) {
            return row.withLength ? LoopbackServer::answer("200 OK", body) : LoopbackServer::answerUntilClose(body);
        });
        auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/sizes")));
        qsizetype largest = 0;
        QByteArray assembled;
        request->setDataReceivedBlock([&](const QByteArray& piece) {
            largest = std::max(largest, piece.size());
            assembled += piece;
        });
        request->startSynchronous();
        ASSERT_FALSE(request->error());
        QTest::qWait(10);
        EXPECT_EQ(assembled, body);
        EXPECT_LE(largest, row.largest);
        // Data handed to a receiver is not kept as well.
        EXPECT_TRUE(request->rawResponseData().value_or(QByteArray()).isEmpty());
    }
}

TEST(HTTPTransfer, AProxyFromTheEnvironmentIsUsedUnlessTheHostIsExempt)
{
    LoopbackServer proxy([](const Request& request) { return LoopbackServer::answer("200 OK", request.requestLine); });
    qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toLatin1());
    qputenv("no_proxy", "skipped.invalid");
    auto proxied = HTTPRequest::requestWithURL(QUrl(QStringLiteral("http://story.invalid/a")));
    proxied->startSynchronous();
    auto exempt = HTTPRequest::requestWithURL(QUrl(QStringLiteral("http://skipped.invalid/a")));
    exempt->setTimeOutSeconds(2);
    exempt->startSynchronous();
    qunsetenv("http_proxy");
    qunsetenv("no_proxy");
    ASSERT_FALSE(proxied->error());
    EXPECT_EQ(proxied->responseString(), QStringLiteral("GET http://story.invalid/a HTTP/1.1"));
    EXPECT_EQ(proxied->proxyHost(), QStringLiteral("127.0.0.1"));
    // The exempt host is looked up itself, which fails: it never reached the proxy.
    EXPECT_TRUE(exempt->error());
    EXPECT_EQ(proxy.requests().size(), 1);
}

TEST(HTTPTransfer, UnderAMaximumBandwidthADownloadTakesTheTimeTheMaximumAllows)
{
    const QByteArray body = noise(60000);
    LoopbackServer server([&](const Request&) { return LoopbackServer::answer("200 OK", body); });
    HTTPRequest::setMaxBandwidthPerSecond(40000);
    QElapsedTimer clock;
    clock.start();
    auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/slow")));
    request->startSynchronous();
    const qint64 elapsed = clock.elapsed();
    HTTPRequest::setMaxBandwidthPerSecond(0);
    ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
    EXPECT_EQ(request->responseData().value_or(QByteArray()), body);
    // 60,000 bytes at 40,000 a second need more than one full window.
    EXPECT_GE(elapsed, 900);
    EXPECT_GT(HTTPRequest::averageBandwidthUsedPerSecond(), 0u);
}

namespace {

// A gzip body with its trailer's length or checksum altered, or cut before it ends.
QByteArray damagedGzip(const QByteArray& whole, const char* damage)
{
    QByteArray bytes = whole;
    if (damage == std::string("cut before the trailer"))
        return bytes.left(bytes.size() - 8);
    if (damage == std::string("cut in the middle"))
        return bytes.left(bytes.size() / 2);
    if (damage == std::string("wrong checksum"))
        bytes[bytes.size() - 8] = char(bytes[bytes.size() - 8] ^ 0x5a);
    if (damage == std::string("wrong length"))
        bytes[bytes.size() - 4] = char(bytes[bytes.size() - 4] ^ 0x01);
    return bytes;
}

} // namespace

TEST(HTTPTransfer, ACompressedBodyThatIsCutOffOrDamagedFailsAndLeavesNothingBehind)
{
    const QByteArray text = QByteArray("INT. ATTIC - NIGHT. Rain on the roof. ").repeated(30000);
    const QByteArray gzipped = DataCompressor::compressData(text, nullptr).value();
    const char* damages[] = {"cut before the trailer", "cut in the middle", "wrong checksum", "wrong length"};
    QTemporaryDir folder;
    OwnTemporaryFolder temporary;
    for (const char* damage : damages) {
        const QByteArray body = damagedGzip(gzipped, damage);
        // Sent until the connection closes, so the cut body looks complete to the reader.
        LoopbackServer server([&body](const Request&) {
            Reply reply = LoopbackServer::answerUntilClose(body);
            reply.bytes.replace("HTTP/1.1 200 OK\r\n", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n");
            return reply;
        });
        const struct {
            const char* name;
            bool toFile;
            bool inflateAtTheEnd;
        } modes[] = {
            {"to a file, inflated while it arrives", true, false},
            {"to a file, inflated at the end", true, true},
            {"in memory, inflated while it arrives", false, false},
            {"in memory, inflated at the end", false, true},
        };
        for (const auto& mode : modes) {
            SCOPED_TRACE(std::string(damage) + ", " + mode.name);
            const QString destination = folder.filePath(QStringLiteral("attic.txt"));
            // A file already at the destination stays as it was.
            QFile::remove(destination);
            if (mode.toFile) {
                QFile old(destination);
                ASSERT_TRUE(old.open(QIODevice::WriteOnly));
                old.write("old draft");
            }
            auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/attic")));
            request->setTimeOutSeconds(10);
            if (mode.toFile)
                request->setDownloadDestinationPath(destination);
            request->setShouldWaitToInflateCompressedResponses(mode.inflateAtTheEnd);
            request->startSynchronous();
            ASSERT_TRUE(request->error());
            EXPECT_EQ(request->error()->code, HTTPError::CompressionFailure);
            EXPECT_TRUE(request->error()->description.startsWith(QStringLiteral("Decompression of data failed")));
            EXPECT_EQ(readFile(destination), mode.toFile ? QByteArray("old draft") : QByteArray());
            // Nor does a failed request hand out the part of the body that arrived.
            EXPECT_FALSE(request->rawResponseData());
            EXPECT_FALSE(request->responseData());
            EXPECT_EQ(temporary.entries(), QStringList());
        }
    }
    // The whole body still arrives whole.
    LoopbackServer sound([&gzipped](const Request&) {
        return LoopbackServer::answer("200 OK", gzipped, "Content-Encoding: gzip\r\n");
    });
    auto request = HTTPRequest::requestWithURL(sound.url(QStringLiteral("/attic")));
    request->setShouldWaitToInflateCompressedResponses(false);
    request->startSynchronous();
    ASSERT_FALSE(request->error());
    EXPECT_EQ(request->responseData(), text);
}

TEST(HTTPTransfer, AnInflatedDownloadThatCannotTakeItsPlaceRemovesItsTemporaryFiles)
{
    const QByteArray text = QByteArray("EXT. PIER - DUSK. ").repeated(5000);
    const QByteArray gzipped = DataCompressor::compressData(text, nullptr).value();
    LoopbackServer server([&gzipped](const Request&) {
        return LoopbackServer::answer("200 OK", gzipped, "Content-Encoding: gzip\r\n");
    });
    QTemporaryDir folder;
    OwnTemporaryFolder temporary;
    const QString destination = folder.filePath(QStringLiteral("pier.txt"));
    {
        QFile old(destination);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old draft");
    }
    auto request = HTTPRequest::requestWithURL(server.url(QStringLiteral("/pier")));
    request->setDownloadDestinationPath(destination);
    request->setShouldWaitToInflateCompressedResponses(false);
    request->startSynchronous();
    ASSERT_TRUE(request->error());
    EXPECT_EQ(request->error()->code, HTTPError::FileManagement);
    EXPECT_EQ(readFile(destination), QByteArray("old draft"));
    EXPECT_EQ(temporary.entries(), QStringList());
}

TEST(HTTPTransfer, ABodyPastTheRequestsBoundEndsTheRequestAndOnlyThen)
{
    // 16 MiB of one letter: some 16 KiB compressed.
    const QByteArray text(16 * 1024 * 1024, 'z');
    const QByteArray gzipped = DataCompressor::compressData(text, nullptr).value();
    ASSERT_LT(gzipped.size(), 100000);
    LoopbackServer server([&](const Request& request) {
        if (request.requestLine.contains("/gzip"))
            return LoopbackServer::answer("200 OK", gzipped, "Content-Encoding: gzip\r\n");
        Reply reply;
        reply.bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (int piece = 0; piece < 256; ++piece)
            reply.bytes += "10000\r\n" + QByteArray(65536, 'c') + "\r\n";
        reply.bytes += "0\r\n\r\n";
        return reply;
    });
    QTemporaryDir folder;
    OwnTemporaryFolder temporary;
    const struct {
        const char* name;
        const char* path;
        bool toFile;
        bool inflateAtTheEnd;
        quint64 most;
        bool taken;
    } rows[] = {
        {"a small gzip body that inflates past the bound, to a file", "/gzip", true, false, 4 << 20, false},
        {"the same in memory", "/gzip", false, false, 4 << 20, false},
        {"a long chunked body, to a file", "/chunked", true, false, 4 << 20, false},
        {"the same in memory", "/chunked", false, false, 4 << 20, false},
        {"the gzip body within a wider bound", "/gzip", true, false, 32 << 20, true},
        {"the gzip body with no bound", "/gzip", true, false, 0, true},
        {"the chunked body with no bound", "/chunked", true, true, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString destination = folder.filePath(QStringLiteral("bound.bin"));
        QFile::remove(destination);
        auto request = HTTPRequest::requestWithURL(server.url(QString::fromLatin1(row.path)));
        request->setTimeOutSeconds(20);
        if (row.toFile)
            request->setDownloadDestinationPath(destination);
        request->setShouldWaitToInflateCompressedResponses(row.inflateAtTheEnd);
        request->setMaxDownloadBytes(row.most);
        request->startSynchronous();
        if (row.taken) {
            ASSERT_FALSE(request->error()) << request->error()->description.toStdString();
            EXPECT_EQ(QFileInfo(destination).size(), 16 * 1024 * 1024);
        } else {
            ASSERT_TRUE(request->error());
            EXPECT_EQ(request->error()->code, HTTPError::ConnectionFailure);
            ASSERT_TRUE(request->error()->underlying);
            EXPECT_EQ(request->error()->underlying->description,
                      QStringLiteral("The server's answer is longer than the 4194304 bytes this download may take"));
            EXPECT_FALSE(QFile::exists(destination));
            EXPECT_LE(request->totalBytesRead(), quint64(4 << 20) + 262144);
        }
        EXPECT_EQ(temporary.entries(), QStringList());
    }
}

// Every bound a request promises holds on each of its four roads: a body kept in memory or
// written to a file, inflated while it arrives or once it is all there.
TEST(HTTPTransfer, EveryBoundHoldsInMemoryAndInAFileInflatedWhileArrivingAndAtTheEnd)
{
    const QByteArray sixteen(16 * 1024 * 1024, 'z');
    const QByteArray beyondMemory(HTTPRequest::kMaxBodyInMemory + 1024 * 1024, '\0');
    const QByteArray dense = noise(1024 * 1024);
    const QMap<QByteArray, QByteArray> gzipBodies = {
        {"/gzip-sixteen", DataCompressor::compressData(sixteen, nullptr).value()},
        {"/gzip-beyond-memory", DataCompressor::compressData(beyondMemory, nullptr).value()},
        {"/gzip-dense", DataCompressor::compressData(dense, nullptr).value()},
    };
    ASSERT_LT(gzipBodies.value("/gzip-beyond-memory").size(), 200000);
    ASSERT_GT(gzipBodies.value("/gzip-dense").size(), 1000000);
    LoopbackServer server([&](const Request& request) {
        const QByteArray path = request.requestLine.split(' ').value(1);
        if (gzipBodies.contains(path))
            return LoopbackServer::answer("200 OK", gzipBodies.value(path), "Content-Encoding: gzip\r\n");
        return LoopbackServer::answer("200 OK", sixteen);
    });
    const QString tooLongToKeep = QStringLiteral("The server's answer is too long to keep");
    const auto pastTheBound = [](quint64 most) {
        return QStringLiteral("The server's answer is longer than the %1 bytes this download may take").arg(most);
    };
    const struct {
        const char* name;
        const char* path;
        quint64 most;
        const QByteArray* inflated; // the body the request ends with
        bool toFileOnly;            // the file takes what memory may not
        QString refusal;            // empty: the body is taken on every road
    } bounds[] = {
        {"16 MiB inflated from 16 KiB, bound 4 MiB", "/gzip-sixteen", 4 << 20, &sixteen, false, pastTheBound(4 << 20)},
        {"16 MiB inflated from 16 KiB, bound 32 MiB", "/gzip-sixteen", 32 << 20, &sixteen, false, {}},
        {"16 MiB inflated from 16 KiB, no bound", "/gzip-sixteen", 0, &sixteen, false, {}},
        {"1 MiB received compressed, bound 512 KiB", "/gzip-dense", 512 << 10, &dense, false, pastTheBound(512 << 10)},
        {"1 MiB received compressed, bound 2 MiB", "/gzip-dense", 2 << 20, &dense, false, {}},
        {"16 MiB plain, bound 4 MiB", "/plain", 4 << 20, &sixteen, false, pastTheBound(4 << 20)},
        {"more than memory may hold, inflated from a small body", "/gzip-beyond-memory", 0, &beyondMemory, true,
         tooLongToKeep},
    };
    const struct {
        const char* name;
        bool toFile;
        bool inflateAtTheEnd;
    } roads[] = {
        {"in memory, inflated while it arrives", false, false},
        {"in memory, inflated at the end", false, true},
        {"to a file, inflated while it arrives", true, false},
        {"to a file, inflated at the end", true, true},
    };
    QTemporaryDir folder;
    OwnTemporaryFolder temporary;
    for (const auto& bound : bounds) {
        for (const auto& road : roads) {
            SCOPED_TRACE(std::string(bound.name) + ", " + road.name);
            const QString destination = folder.filePath(QStringLiteral("bound.bin"));
            QFile::remove(destination);
            auto request = HTTPRequest::requestWithURL(server.url(QString::fromLatin1(bound.path)));
            request->setTimeOutSeconds(20);
            if (road.toFile)
                request->setDownloadDestinationPath(destination);
            request->setShouldWaitToInflateCompressedResponses(road.inflateAtTheEnd);
            request->setMaxDownloadBytes(bound.most);
            request->startSynchronous();
            const bool refused = !bound.refusal.isEmpty() && !(bound.toFileOnly && road.toFile);
            // Every road is tried, whatever an earlier one did.
            if (refused) {
                EXPECT_TRUE(request->error());
                EXPECT_FALSE(QFile::exists(destination));
                EXPECT_FALSE(request->responseData());
                if (request->error()) {
                    EXPECT_EQ(request->error()->code, HTTPError::ConnectionFailure);
                    EXPECT_EQ(request->error()->underlying ? request->error()->underlying->description : QString(),
                              bound.refusal);
                }
            } else if (request->error()) {
                ADD_FAILURE() << request->error()->description.toStdString();
            } else {
                if (road.toFile) {
                    EXPECT_EQ(QFileInfo(destination).size(), bound.inflated->size());
                    EXPECT_TRUE(readFile(destination) == *bound.inflated);
                } else {
                    const auto body = request->responseData();
                    ASSERT_TRUE(body);
                    EXPECT_EQ(body->size(), bound.inflated->size());
                    EXPECT_TRUE(*body == *bound.inflated);
                }
            }
            EXPECT_EQ(temporary.entries(), QStringList());
        }
    }
}
