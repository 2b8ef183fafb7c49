#include "FakeCloudService.h"

#include "platform/Platform.h"
#include "web/WebEndpoints.h"

#include <QXmlStreamReader>

namespace {

QString xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&apos;"));
}

// The operation element inside the SOAP body and the texts of its children; nothing for XML
// that is not well formed or holds no body.
bool readEnvelope(const QByteArray& body, QString* operation, QMap<QString, QString>* arguments)
{
    QXmlStreamReader reader(body);
    bool inBody = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == QLatin1String("Body")) {
            inBody = true;
        } else if (inBody && operation->isEmpty()) {
            *operation = reader.name().toString();
        } else if (inBody) {
            const QString name = reader.name().toString();
            arguments->insert(name, reader.readElementText());
        }
    }
    return !reader.hasError() && !operation->isEmpty();
}

} // namespace

FakeCloudService::FakeCloudService()
    : server_(std::make_unique<LoopbackServer>(
          [this](const LoopbackServer::Request& request) { return handle(request); }))
{
}

FakeCloudService::~FakeCloudService()
{
    server_.reset();
}

QString FakeCloudService::root() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server_->port());
}

quint16 FakeCloudService::port() const
{
    return server_->port();
}

void FakeCloudService::answer(const QString& operation, const QString& resultText)
{
    QMutexLocker lock(&mutex_);
    results_.insert(operation, resultText);
}

void FakeCloudService::answerRaw(const QByteArray& status, const QByteArray& body)
{
    QMutexLocker lock(&mutex_);
    rawStatus_ = status;
    rawBody_ = body;
}

void FakeCloudService::storeFile(const QString& path, StoredFile file)
{
    QMutexLocker lock(&mutex_);
    files_.insert(path, std::move(file));
}

void FakeCloudService::setUploadStatus(const QByteArray& status, const QByteArray& headers)
{
    QMutexLocker lock(&mutex_);
    uploadStatus_ = status;
    uploadHeaders_ = headers;
}

void FakeCloudService::holdUploadAnswers(bool held)
{
    QMutexLocker lock(&mutex_);
    holdUploads_ = held;
}

bool FakeCloudService::releaseUploadAnswer()
{
    return server_->releaseHeld();
}

QList<FakeCloudService::Call> FakeCloudService::calls() const
{
    QMutexLocker lock(&mutex_);
    return calls_;
}

QStringList FakeCloudService::operations() const
{
    QStringList names;
    for (const Call& call : calls())
        names.append(call.operation);
    return names;
}

QList<QByteArray> FakeCloudService::fetchedPaths() const
{
    QMutexLocker lock(&mutex_);
    return fetched_;
}

QList<FakeCloudService::Call> FakeCloudService::uploads() const
{
    QMutexLocker lock(&mutex_);
    return uploads_;
}

LoopbackServer::Reply FakeCloudService::handle(const LoopbackServer::Request& request)
{
    QMutexLocker lock(&mutex_);
    const QList<QByteArray> words = request.requestLine.split(' ');
    Call call;
    call.path = words.value(1);
    call.headers = request.headers;
    call.headBytes = request.head;
    call.body = request.body;
    LoopbackServer::Reply reply;
    reply.close = true;
    if (words.value(0) == "GET") {
        fetched_.append(call.path);
        const auto file = files_.constFind(QString::fromUtf8(call.path));
        if (file == files_.cend())
            reply = LoopbackServer::answer("404 Not Found", "<html>No such file</html>");
        else
            reply = LoopbackServer::answer(file->status, file->bytes);
        reply.close = true;
        return reply;
    }
    if (call.path.endsWith(".aspx")) {
        call.operation = QStringLiteral("upload");
        uploads_.append(call);
        reply = LoopbackServer::answer(uploadStatus_, "<html>received</html>", uploadHeaders_);
        reply.close = true;
        reply.drop = uploadStatus_.isEmpty();
        reply.held = holdUploads_;
        return reply;
    }
    if (!readEnvelope(request.body, &call.operation, &call.arguments)) {
        call.operation = QStringLiteral("malformed");
        calls_.append(call);
        reply = LoopbackServer::answer("400 Bad Request", "<html>Malformed request</html>");
        reply.close = true;
        return reply;
    }
    calls_.append(call);
    if (!rawStatus_.isEmpty()) {
        reply = LoopbackServer::answer(rawStatus_, rawBody_);
        reply.close = true;
        return reply;
    }
    QByteArray envelope = "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
                          "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body><"
                          + call.operation.toUtf8() + "Response>";
    if (const auto result = results_.constFind(call.operation); result != results_.cend())
        envelope += "<" + call.operation.toUtf8() + "Result>" + xmlEscaped(*result).toUtf8() + "</"
                    + call.operation.toUtf8() + "Result>";
    envelope += "</" + call.operation.toUtf8() + "Response></soap:Body></soap:Envelope>";
    reply = LoopbackServer::answer("200 OK", envelope, "Content-Type: application/soap+xml; charset=utf-8\r\n");
    reply.close = true;
    return reply;
}

QList<MultipartPart> multipartParts(const QByteArray& body, const QByteArray& boundary)
{
    QList<MultipartPart> parts;
    const QByteArray delimiter = "--" + boundary;
    qsizetype at = body.indexOf(delimiter);
    while (at >= 0) {
        const qsizetype start = at + delimiter.size();
        if (body.mid(start, 2) == "--")
            break;
        const qsizetype next = body.indexOf("\r\n" + delimiter, start);
        if (next < 0)
            break;
        const QByteArray part = body.mid(start + 2, next - start - 2);
        const qsizetype headEnd = part.indexOf("\r\n\r\n");
        const QByteArray head = part.left(headEnd);
        MultipartPart parsed;
        const auto parameter = [&head](const QByteArray& name) {
            const QByteArray key = name + "=\"";
            const qsizetype from = head.indexOf(key);
            if (from < 0)
                return QString();
            const qsizetype end = head.indexOf('"', from + key.size());
            return QString::fromUtf8(head.mid(from + key.size(), end - from - key.size()));
        };
        parsed.name = parameter("name");
        parsed.fileName = parameter("filename");
        parsed.content = part.mid(headEnd + 4);
        parts.append(parsed);
        at = next + 2;
    }
    return parts;
}

void pointCloudEndpointsAt(const QString& root)
{
    for (const WebEndpoint& endpoint :
         {WebEndpoints::kWebServices, WebEndpoints::kCloudTestServices, WebEndpoints::kCloudStore}) {
        const QString key = QString::fromLatin1(endpoint.settingKey);
        if (root.isEmpty())
            Platform::userDefaults().removeKey(key);
        else
            Platform::userDefaults().setString(key, root);
    }
}
