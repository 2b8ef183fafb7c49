#include "web/SOAPRequest.h"

#include "web/WebEndpoints.h"

#include <QFile>

namespace {

const QString kLivePath = QStringLiteral("/Vantora3WebService/Vantora3WebService.asmx");
const QString kTestPath = QStringLiteral("/Vantora3WebServiceTest/Vantora3WebService.asmx");

QString resolvedEntity(const QString& name)
{
    static const QMap<QString, QString> named{{QStringLiteral("amp"), QStringLiteral("&")},
                                              {QStringLiteral("lt"), QStringLiteral("<")},
                                              {QStringLiteral("gt"), QStringLiteral(">")},
                                              {QStringLiteral("quot"), QStringLiteral("\"")},
                                              {QStringLiteral("apos"), QStringLiteral("'")}};
    if (const auto found = named.constFind(name); found != named.cend())
        return *found;
    if (!name.startsWith(QLatin1Char('#')) || name.size() < 2)
        return {};
    bool ok = false;
    const uint code = name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X') ? name.mid(2).toUInt(&ok, 16)
                                                                                          : name.mid(1).toUInt(&ok, 10);
    // Only characters XML allows: no NUL, no lone surrogate, nothing past the last plane.
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    const char32_t character = code;
    return QString::fromUcs4(&character, 1);
}

} // namespace

// --- vtSOAPRequest -------------------------------------------------------------------------------

vtSOAPRequest vtSOAPRequest::requestWithURL(const QUrl& url, const QString& soapAction, const QString& body)
{
    Q_UNUSED(soapAction)
    return requestWithURLForDomain(url, body, webServiceHostName());
}

QString vtSOAPRequest::webServiceHostName()
{
    return QUrl(QString::fromLatin1(WebEndpoints::kWebServices.defaultBase)).host();
}

vtSOAPRequest vtSOAPRequest::requestWithURLForDomain(const QUrl& url, const QString& body, const QString& domain)
{
    vtSOAPRequest request;
    request.url = url;
    request.method = QStringLiteral("POST");
    request.body = body.toUtf8();
    request.headers = {{"Host", domain.toUtf8()},
                       {"Content-Type", "application/soap+xml; charset=utf-8"},
                       {"Content-Length", QByteArray::number(request.body.size())}};
    request.cachePolicy = CachePolicy::ReloadIgnoringLocalCacheData;
    return request;
}

QByteArray vtSOAPRequest::headerField(const QByteArray& name) const
{
    for (const auto& [field, value] : headers)
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

// --- vtZevivaRequest -----------------------------------------------------------------------------

QUrl vtZevivaRequest::endpointForEnvironment(const QString& environment)
{
    if (environment == QLatin1String("LIVE"))
        return WebEndpoints::url(WebEndpoints::kWebServices, kLivePath);
    return WebEndpoints::url(WebEndpoints::kCloudTestServices, kTestPath);
}

QString vtZevivaRequest::bodyTemplate(const QString& operation)
{
    QFile file(QStringLiteral(":/cloud/%1.txt").arg(operation));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString vtZevivaRequest::fillTemplate(const QString& bodyTemplate, const QStringList& arguments)
{
    QString filled;
    filled.reserve(bodyTemplate.size());
    qsizetype from = 0;
    for (const QString& argument : arguments) {
        const qsizetype at = bodyTemplate.indexOf(QLatin1String("%@"), from);
        if (at < 0)
            break;
        filled += QStringView(bodyTemplate).mid(from, at - from);
        filled += argument;
        from = at + 2;
    }
    filled += QStringView(bodyTemplate).mid(from);
    return filled;
}

std::optional<vtSOAPRequest> vtZevivaRequest::build(const Parameters& parameters, const QString& operation,
                                                    const QStringList& requiredKeys, qsizetype argumentCount)
{
    QStringList arguments;
    for (const QString& key : requiredKeys) {
        const auto value = parameters.constFind(key);
        if (value == parameters.cend())
            return std::nullopt;
        if (arguments.size() < argumentCount)
            arguments.append(SOAPText::escaped(*value));
    }
    const QString bodyText = bodyTemplate(operation);
    // Without its template the operation cannot be asked for: no request rather than a broken one.
    if (bodyText.isEmpty())
        return std::nullopt;
    return vtSOAPRequest::requestWithURL(endpointForEnvironment(parameters.value(QStringLiteral("environment"))),
                                         operation, fillTemplate(bodyText, arguments));
}

std::optional<vtSOAPRequest> vtZevivaRequest::miscInfoRequest(const Parameters& parameters)
{
    return build(parameters, QStringLiteral("MiscInfo"),
                 {QStringLiteral("serialnumber"), QStringLiteral("environment")}, 1);
}

std::optional<vtSOAPRequest> vtZevivaRequest::prepForUploadRequest(const Parameters& parameters)
{
    return build(parameters, QStringLiteral("PrepForUpload"),
                 {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
                  QStringLiteral("environment")},
                 3);
}

std::optional<vtSOAPRequest> vtZevivaRequest::prepForDownloadRequest(const Parameters& parameters)
{
    return build(parameters, QStringLiteral("PrepForDownload"),
                 {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
                  QStringLiteral("environment")},
                 3);
}

std::optional<vtSOAPRequest> vtZevivaRequest::cleanUpRequest(const Parameters& parameters)
{
    return build(parameters, QStringLiteral("CleanUp"),
                 {QStringLiteral("serialnumber"), QStringLiteral("userName"), QStringLiteral("password"),
                  QStringLiteral("fileName"), QStringLiteral("environment")},
                 4);
}

// --- XML text ------------------------------------------------------------------------------------

QString SOAPText::escaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar character : text) {
        switch (character.unicode()) {
        case '&':
            result += QLatin1String("&amp;");
            break;
        case '<':
            result += QLatin1String("&lt;");
            break;
        case '>':
            result += QLatin1String("&gt;");
            break;
        case '"':
            result += QLatin1String("&quot;");
            break;
        case '\'':
            result += QLatin1String("&apos;");
            break;
        default:
            result += character;
        }
    }
    return result;
}

QString SOAPText::unescaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype semicolon = text.at(i) == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i + 1) : -1;
        // Entities are short; a far semicolon belongs to other text.
        if (semicolon > i && semicolon - i <= 10) {
            const QString resolved = resolvedEntity(text.mid(i + 1, semicolon - i - 1));
            if (!resolved.isEmpty()) {
                result += resolved;
                i = semicolon + 1;
                continue;
            }
        }
        result += text.at(i);
        ++i;
    }
    return result;
}
